#pragma once

#include <cmath>
#include <numbers>

#include "graphics/Color.h"

namespace Quill {

// One additive sparkle of the game screen. The rules append them; the board
// ages, moves and draws them.
struct Particle {
    // Position in screen pixels.
    float mX = 0.0f;
    float mY = 0.0f;
    // Velocity in pixels per tick.
    float mVelocityX = 0.0f;
    float mVelocityY = 0.0f;
    // Tint of the sparkle picture, alpha included.
    Color mColor;
    // Cel of the particle picture, from 0.
    int mFrame = 0;
    // Ticks lived, from 0.
    int mAge = 0;

    // A fresh sparkle at (x, y) flying at the given speed in the direction of
    // angle degrees (counter-clockwise from the right, screen y pointing down).
    static Particle Launch(int x, int y, int angleDegrees, float speed, Color color)
    {
        const float radians = static_cast<float>(angleDegrees) * std::numbers::pi_v<float> / 180.0f;
        Particle p;
        p.mX = static_cast<float>(x);
        p.mY = static_cast<float>(y);
        p.mVelocityX = std::cos(radians) * speed;
        p.mVelocityY = -std::sin(radians) * speed;
        p.mColor = color;
        return p;
    }
};

} // namespace Quill
