#pragma once

namespace Quill {

// Margins on the four sides of a rectangle, in pixels.
class Insets {
public:
    int mLeft = 0;
    int mTop = 0;
    int mRight = 0;
    int mBottom = 0;

    constexpr Insets() = default;
    constexpr Insets(int left, int top, int right, int bottom)
        : mLeft(left), mTop(top), mRight(right), mBottom(bottom)
    {}

    constexpr bool operator==(const Insets&) const = default;
};

} // namespace Quill
