#pragma once

#include <cstdint>

namespace Quill {

// An RGBA colour, each component meant to hold 0..255.
class Color {
public:
    int mRed = 0;
    int mGreen = 0;
    int mBlue = 0;
    int mAlpha = 255;

    // Opaque black.
    constexpr Color() = default;
    constexpr Color(int red, int green, int blue) : mRed(red), mGreen(green), mBlue(blue) {}
    constexpr Color(int red, int green, int blue, int alpha)
        : mRed(red), mGreen(green), mBlue(blue), mAlpha(alpha)
    {}
    // From 0xAARRGGBB; a packed alpha of 0 means opaque, so 0x00RRGGBB is an opaque colour.
    constexpr explicit Color(std::uint32_t packed)
        : mRed(static_cast<int>((packed >> 16) & 0xFF)), mGreen(static_cast<int>((packed >> 8) & 0xFF)),
          mBlue(static_cast<int>(packed & 0xFF)),
          mAlpha((packed >> 24) == 0 ? 255 : static_cast<int>((packed >> 24) & 0xFF))
    {}

    // 0xAARRGGBB for pixel work.
    [[nodiscard]] constexpr std::uint32_t ToInt() const
    {
        return (static_cast<std::uint32_t>(mAlpha) << 24) | (static_cast<std::uint32_t>(mRed) << 16) |
               (static_cast<std::uint32_t>(mGreen) << 8) | static_cast<std::uint32_t>(mBlue);
    }

    constexpr bool operator==(const Color&) const = default;

    static const Color Black;
    // Also "no tint": drawing paths test for it and take a faster route.
    static const Color White;
};

inline constexpr Color Color::Black{0, 0, 0, 255};
inline constexpr Color Color::White{255, 255, 255, 255};

} // namespace Quill
