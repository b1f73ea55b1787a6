#pragma once

namespace Quill {

// A pixel position.
class Point {
public:
    int mX = 0;
    int mY = 0;

    constexpr Point() = default;
    constexpr Point(int x, int y) : mX(x), mY(y) {}

    constexpr bool operator==(const Point&) const = default;
};

} // namespace Quill
