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

    constexpr Rect() = default;
    constexpr Rect(int x, int y, int width, int height) : mX(x), mY(y), mWidth(width), mHeight(height) {}

    // The overlap of the two. Disjoint rectangles give (0, 0, 0, 0); an overlap of
    // zero width or height keeps its position.
    [[nodiscard]] constexpr Rect Intersection(const Rect& other) const
    {
        const int left = std::max(mX, other.mX);
        const int top = std::max(mY, other.mY);
        const int right = std::min(mX + mWidth, other.mX + other.mWidth);
        const int bottom = std::min(mY + mHeight, other.mY + other.mHeight);
        if (right - left >= 0 && bottom - top >= 0)
            return Rect(left, top, right - left, bottom - top);
        return Rect();
    }

    // True when both rectangles share at least one pixel.
    [[nodiscard]] constexpr bool Intersects(const Rect& other) const
    {
        return mX < other.mX + other.mWidth && other.mX < mX + mWidth && mY < other.mY + other.mHeight &&
               other.mY < mY + mHeight;
    }

    [[nodiscard]] constexpr bool Contains(int x, int y) const
    {
        return x >= mX && x < mX + mWidth && y >= mY && y < mY + mHeight;
    }

    constexpr bool operator==(const Rect&) const = default;
};

} // namespace Quill
