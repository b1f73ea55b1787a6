#pragma once

#include <algorithm>

namespace Quill {

// A rectangle of whole pixels.
class Rect {
public:
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;

    // Coordinates and sizes beyond this are meaningless for any image; drawing
    // code bounds what it is given to it, so that its sums never overflow.
    static constexpr int kCoordinateLimit = 1 << 28;

    constexpr Rect() = default;
    constexpr Rect(int x, int y, int width, int height) : mX(x), mY(y), mWidth(width), mHeight(height) {}

    // A value kept within ±kCoordinateLimit.
    [[nodiscard]] static constexpr int Bound(int v)
    {
        return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
    }
    // The rectangle with every field kept within ±kCoordinateLimit.
    [[nodiscard]] constexpr Rect Bounded() const
    {
        return Rect(Bound(mX), Bound(mY), Bound(mWidth), Bound(mHeight));
    }

    // The overlap of the two. Disjoint rectangles give (0, 0, 0, 0); an overlap of
    // zero width or height keeps its position. Computed wide, so extreme
    // rectangles cannot overflow.
    [[nodiscard]] constexpr Rect Intersection(const Rect& other) const
    {
        using Wide = long long;
        const Wide left = std::max<Wide>(mX, other.mX);
        const Wide top = std::max<Wide>(mY, other.mY);
        const Wide right = std::min<Wide>(Wide{mX} + mWidth, Wide{other.mX} + other.mWidth);
        const Wide bottom = std::min<Wide>(Wide{mY} + mHeight, Wide{other.mY} + other.mHeight);
        if (right - left >= 0 && bottom - top >= 0)
            return Rect(static_cast<int>(left), static_cast<int>(top), Narrow(right - left),
                        Narrow(bottom - top));
        return Rect();
    }

    // The smallest rectangle holding both. Computed wide, so extreme rectangles
    // cannot overflow.
    [[nodiscard]] constexpr Rect Union(const Rect& other) const
    {
        using Wide = long long;
        const Wide left = std::min<Wide>(mX, other.mX);
        const Wide top = std::min<Wide>(mY, other.mY);
        const Wide right = std::max<Wide>(Wide{mX} + mWidth, Wide{other.mX} + other.mWidth);
        const Wide bottom = std::max<Wide>(Wide{mY} + mHeight, Wide{other.mY} + other.mHeight);
        return Rect(static_cast<int>(left), static_cast<int>(top), Narrow(right - left),
                    Narrow(bottom - top));
    }

    // True when both rectangles share at least one pixel.
    [[nodiscard]] constexpr bool Intersects(const Rect& other) const
    {
        using Wide = long long;
        return mX < Wide{other.mX} + other.mWidth && other.mX < Wide{mX} + mWidth &&
               mY < Wide{other.mY} + other.mHeight && other.mY < Wide{mY} + mHeight;
    }

    [[nodiscard]] constexpr bool Contains(int x, int y) const
    {
        using Wide = long long;
        return x >= mX && x < Wide{mX} + mWidth && y >= mY && y < Wide{mY} + mHeight;
    }

    constexpr bool operator==(const Rect&) const = default;

private:
    // A non-negative wide size as an int (sizes past the int range are cut to it).
    [[nodiscard]] static constexpr int Narrow(long long v)
    {
        return static_cast<int>(std::min<long long>(v, 0x7FFFFFFF));
    }
};

} // namespace Quill
