#pragma once

#include <cstdint>

namespace Quill {

// Where the display keeps each colour channel in one of its pixels. Native-format
// image copies are built for it; the display layer reports it.
class PixelFormat {
public:
    // One colour channel: how many bits, shifted how far, under which mask.
    class Channel {
    public:
        int mBits = 8;
        int mShift = 0;
        std::uint32_t mMask = 0xFF;

        constexpr bool operator==(const Channel&) const = default;
    };

    Channel mRed{8, 16, 0x00FF0000};
    Channel mGreen{8, 8, 0x0000FF00};
    Channel mBlue{8, 0, 0x000000FF};

    constexpr bool operator==(const PixelFormat&) const = default;

    // 32-bit 0x00RRGGBB (alpha kept in the top byte by the native copy).
    [[nodiscard]] static constexpr PixelFormat RGB888() { return PixelFormat{}; }
    // 16-bit 5-6-5.
    [[nodiscard]] static constexpr PixelFormat RGB565()
    {
        PixelFormat f;
        f.mRed = {5, 11, 0xF800};
        f.mGreen = {6, 5, 0x07E0};
        f.mBlue = {5, 0, 0x001F};
        return f;
    }
};

} // namespace Quill
