#pragma once

namespace Quill::Platform {

// A position in whole pixels.
struct Point {
    int mX = 0;
    int mY = 0;

    constexpr bool operator==(const Point&) const = default;
};

// A rectangle in whole pixels: top-left corner and size.
struct Rectangle {
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;

    [[nodiscard]] constexpr bool Contains(Point p) const
    {
        return p.mX >= mX && p.mX < mX + mWidth && p.mY >= mY && p.mY < mY + mHeight;
    }
    [[nodiscard]] constexpr bool IsEmpty() const { return mWidth <= 0 || mHeight <= 0; }

    constexpr bool operator==(const Rectangle&) const = default;
};

} // namespace Quill::Platform
