#pragma once

// The blending rules of software images, one pixel at a time, written plainly
// as the formulas read. The vector kernels must give exactly these results;
// the tests compare them pixel by pixel.

#include <array>
#include <cstdint>

#include "graphics/Color.h"

namespace Quill::BlendReference {

// Saturating add lookup of additive drawing: entry i is min(i, 255).
inline constexpr std::array<std::uint8_t, 512> kAddClampTable = [] {
    std::array<std::uint8_t, 512> table{};
    for (int i = 0; i < 512; ++i)
        table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i < 256 ? i : 255);
    return table;
}();

[[nodiscard]] constexpr int AlphaOf(std::uint32_t p)
{
    return static_cast<int>(p >> 24);
}
[[nodiscard]] constexpr int RedOf(std::uint32_t p)
{
    return static_cast<int>((p >> 16) & 0xFF);
}
[[nodiscard]] constexpr int GreenOf(std::uint32_t p)
{
    return static_cast<int>((p >> 8) & 0xFF);
}
[[nodiscard]] constexpr int BlueOf(std::uint32_t p)
{
    return static_cast<int>(p & 0xFF);
}
[[nodiscard]] constexpr std::uint32_t Pack(int alpha, int red, int green, int blue)
{
    return (static_cast<std::uint32_t>(alpha) << 24) | (static_cast<std::uint32_t>(red) << 16) |
           (static_cast<std::uint32_t>(green) << 8) | static_cast<std::uint32_t>(blue);
}

// Alpha of a source of alpha sa composited onto a destination of alpha da.
[[nodiscard]] constexpr int CompositeAlpha(int sa, int da)
{
    return da + (255 - da) * sa / 255;
}
// Weight of the source in that composite (0..255); sa > 0.
[[nodiscard]] constexpr int CompositeWeight(int sa, int da)
{
    return sa * 255 / CompositeAlpha(sa, da);
}

// The alpha-composite formula: source s over destination d; a source of
// alpha 0 leaves the destination as it is.
[[nodiscard]] constexpr std::uint32_t Composite(std::uint32_t d, std::uint32_t s)
{
    const int sa = AlphaOf(s);
    if (sa == 0)
        return d;
    const int da = AlphaOf(d);
    const int na = CompositeAlpha(sa, da);
    const int w = sa * 255 / na;
    const int red = (RedOf(d) * (256 - w) + RedOf(s) * w) >> 8;
    const int green = (GreenOf(d) * (256 - w) + GreenOf(s) * w) >> 8;
    const int blue = ((BlueOf(d) * (256 - w)) >> 8) + ((BlueOf(s) * w) >> 8);
    return Pack(na, red, green, blue);
}

// Untinted blit onto an opaque destination: alpha 255 copies, alpha 0 leaves
// the destination, anything else blends and gives alpha 255.
[[nodiscard]] constexpr std::uint32_t OverOpaque(std::uint32_t d, std::uint32_t s)
{
    const int a = AlphaOf(s);
    if (a == 255)
        return s;
    if (a == 0)
        return d;
    const int red = (RedOf(d) * (256 - a) + RedOf(s) * a) >> 8;
    const int green = (GreenOf(d) * (256 - a) + GreenOf(s) * a) >> 8;
    const int blue = ((BlueOf(d) * (256 - a)) >> 8) + ((BlueOf(s) * a) >> 8);
    return Pack(255, red, green, blue);
}

// What OverOpaque needs of a source pixel, prepared once per image: four
// 16-bit lanes (blue, green, red, then the destination weight) holding each
// channel times the source weight w (alpha, or 256 for alpha 255 so that an
// opaque pixel comes out exactly) and 256 − w. Blue's term has its low byte
// cleared, so that (d · (256 − w) + term) >> 8 gives blue's separately
// truncated sum and the red and green formulas at once.
[[nodiscard]] constexpr std::uint64_t OverTerms(std::uint32_t s)
{
    const int a = AlphaOf(s);
    const int w = a == 255 ? 256 : a;
    const auto blue = static_cast<std::uint64_t>((BlueOf(s) * w) & 0xFF00);
    const auto green = static_cast<std::uint64_t>(GreenOf(s) * w);
    const auto red = static_cast<std::uint64_t>(RedOf(s) * w);
    return blue | (green << 16) | (red << 32) | (static_cast<std::uint64_t>(256 - w) << 48);
}

// Blit tinted by a colour other than White: the colour's alpha scales the
// source alpha and its channels scale the source channels.
[[nodiscard]] constexpr std::uint32_t Tinted(std::uint32_t d, std::uint32_t s, const Color& c)
{
    const int sa = AlphaOf(s) * c.mAlpha / 255;
    if (sa == 0)
        return d;
    const int da = AlphaOf(d);
    const int na = CompositeAlpha(sa, da);
    const int w = sa * 255 / na;
    const int red = ((RedOf(s) * w * c.mRed + RedOf(d) * (256 - w) * 256) >> 16) & 0xFF;
    const int green = ((((GreenOf(s) * w * c.mGreen) >> 8) + GreenOf(d) * (256 - w)) >> 8) & 0xFF;
    const int blue = (((BlueOf(s) * w * c.mBlue) >> 16) + ((BlueOf(d) * (256 - w)) >> 8)) & 0xFF;
    return Pack(na, red, green, blue);
}

// Additive blit, untinted. srcHasAlpha is the source image's has-alpha flag:
// with it each channel is weighted by the pixel's alpha. Pixels of alpha 0
// add nothing either way (an invisible pixel gives no light).
[[nodiscard]] constexpr std::uint32_t Additive(std::uint32_t d, std::uint32_t s, bool srcHasAlpha)
{
    const int sa = AlphaOf(s);
    if (sa == 0)
        return d;
    int tr = RedOf(s);
    int tg = GreenOf(s);
    int tb = BlueOf(s);
    if (srcHasAlpha) {
        tr = (tr * sa) >> 8;
        tg = (tg * sa) >> 8;
        tb = (tb * sa) >> 8;
    }
    return Pack(AlphaOf(d), kAddClampTable[static_cast<std::size_t>(RedOf(d) + tr)],
                kAddClampTable[static_cast<std::size_t>(GreenOf(d) + tg)],
                kAddClampTable[static_cast<std::size_t>(BlueOf(d) + tb)]);
}

// The channel terms an untinted additive blit adds for a source pixel, packed
// with alpha 0: Additive(d, s, h) is d plus these terms, saturated per channel.
[[nodiscard]] constexpr std::uint32_t AdditiveTerms(std::uint32_t s, bool srcHasAlpha)
{
    const int sa = AlphaOf(s);
    if (sa == 0)
        return 0;
    if (!srcHasAlpha)
        return s & 0x00FFFFFFu;
    return Pack(0, (RedOf(s) * sa) >> 8, (GreenOf(s) * sa) >> 8, (BlueOf(s) * sa) >> 8);
}

// Additive blit tinted by a colour: per channel the multiplier
// m = channel · alpha / 255 of the colour scales the source.
[[nodiscard]] constexpr std::uint32_t AdditiveTinted(std::uint32_t d, std::uint32_t s, const Color& c,
                                                     bool srcHasAlpha)
{
    const int sa = AlphaOf(s);
    if (sa == 0)
        return d;
    const int mr = c.mRed * c.mAlpha / 255;
    const int mg = c.mGreen * c.mAlpha / 255;
    const int mb = c.mBlue * c.mAlpha / 255;
    int tr = (RedOf(s) * mr) >> 8;
    int tg = (GreenOf(s) * mg) >> 8;
    int tb = (BlueOf(s) * mb) >> 8;
    if (srcHasAlpha) {
        tr = (tr * sa) >> 8;
        tg = (tg * sa) >> 8;
        tb = (tb * sa) >> 8;
    }
    return Pack(AlphaOf(d), kAddClampTable[static_cast<std::size_t>(RedOf(d) + tr)],
                kAddClampTable[static_cast<std::size_t>(GreenOf(d) + tg)],
                kAddClampTable[static_cast<std::size_t>(BlueOf(d) + tb)]);
}

// A filled pixel: an opaque colour replaces the pixel, any other is composited.
[[nodiscard]] constexpr std::uint32_t Fill(std::uint32_t d, const Color& c)
{
    if (c.mAlpha == 255)
        return c.ToInt();
    return Composite(d, c.ToInt());
}

} // namespace Quill::BlendReference
