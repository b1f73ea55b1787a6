#pragma once

#include <array>

#include "tools/Canvas.h"

namespace Quill::Content {

// The colours the whole game is drawn from, in one place so that pictures
// made in different files stay in one family.
struct Palette {
    // Deep plum of outlines and text shadows.
    static Rgba Ink() { return Hex(0x4a2a5e); }
    // Warm cream of tiles, buttons and highlights.
    static Rgba Cream() { return Hex(0xfff6e8); }
    // Berry pink of the main buttons.
    static Rgba Berry() { return Hex(0xe8508f); }
    static Rgba BerryDark() { return Hex(0xb83a74); }
    // Panel lilac: dialogs and side panels.
    static Rgba Panel() { return Hex(0x865ca0); }
    static Rgba PanelDark() { return Hex(0x5e3d78); }
    static Rgba PanelLight() { return Hex(0xc9a6e3); }
    // Sky of the backgrounds, top to bottom.
    static Rgba SkyTop() { return Hex(0x7fc8f0); }
    static Rgba SkyBottom() { return Hex(0xffd9ec); }
    // Honey gold of numbers, stars and accents.
    static Rgba Gold() { return Hex(0xffd35c); }
    // Meadow green of the ground.
    static Rgba Meadow() { return Hex(0x8fd46b); }

    // One colour per cage kind; the number of cage kinds is this array's size.
    static std::array<Rgba, 6> Cages()
    {
        return {Hex(0xff5d86), Hex(0xff7a2e), Hex(0xffdc1e), Hex(0x3fcf7f), Hex(0x3fa9ff), Hex(0xa274ff)};
    }
};

} // namespace Quill::Content
