#pragma once

namespace Quill {

// One pixel row of a scan-line fill: the rectangle (mX, mY, mWidth, 1).
class Span {
public:
    int mY = 0;
    int mX = 0;
    int mWidth = 0;

    constexpr Span() = default;
    constexpr Span(int y, int x, int width) : mY(y), mX(x), mWidth(width) {}

    constexpr bool operator==(const Span&) const = default;
};

} // namespace Quill
