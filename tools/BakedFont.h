#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "tools/Canvas.h"

namespace Quill::Content {

class TypeFace;

// How one image font is made from an outline font.
struct FontStyle {
    // Pixel size the glyphs are rendered at.
    int pixelSize = 16;
    // Radius of the dark outline around every glyph, in pixels.
    double outlineRadius = 1.0;
    // Opacity of the outline layer.
    double outlineAlpha = 0.6;
    // Where the outline layer sits relative to the face (a small drop).
    int shadowDx = 0;
    int shadowDy = 1;
};

// An image font: the glyphs of characters 32..126 rendered into a picture of
// two horizontal strips (the white face on top, the white outline below, both
// tinted when drawn), with the per-character data that the font descriptor
// language states: rectangles, advance widths, offsets and kerning pairs.
class BakedFont {
public:
    static constexpr int kFirstChar = 32;
    static constexpr int kLastChar = 126;
    static constexpr int kCharCount = kLastChar - kFirstChar + 1;

    // Per-character data of both layers (they share their geometry).
    struct Glyph {
        int cellX = 0;     // left of the cell in each strip
        int cellWidth = 0; // width of the cell
        int advance = 0;   // pen advance
        int offsetX = 0;   // cell left relative to the pen
    };

    BakedFont(const TypeFace& face, const FontStyle& style);

    // The picture: face strip in rows 0 .. CellHeight() - 1, outline strip below.
    [[nodiscard]] const Canvas& Picture() const { return *mPicture; }
    [[nodiscard]] int Ascent() const { return mAscent; }
    [[nodiscard]] int Padding() const { return mPadding; }
    [[nodiscard]] int CellHeight() const { return mCellHeight; }
    [[nodiscard]] const Glyph& GlyphOf(char c) const;
    [[nodiscard]] int Kerning(char first, char second) const;
    [[nodiscard]] std::size_t KerningPairCount() const { return mKerning.size(); }

    // Text width with kerning, as the game measures it.
    [[nodiscard]] int StringWidth(const std::string& text) const;
    // Draws text as the game does: outline layer first, then the face, tinted
    // with the colour, baseline at y. Justify: -1 left at x, 0 centred in
    // [x, x + width), 1 right-aligned to x + width.
    void Draw(const Canvas& target, const std::string& text, int x, int y, const Rgba& colour, int width = 0,
              int justify = -1) const;

    // The font descriptor file that describes the picture named pictureName.
    [[nodiscard]] std::string Descriptor(const std::string& title, const std::string& pictureName) const;

private:
    void DrawLayer(const Canvas& target, const std::string& text, int x, int y, const Rgba& colour,
                   int stripY, int dx, int dy) const;

    FontStyle mStyle;
    std::string mFaceName;
    std::unique_ptr<Canvas> mPicture;
    int mAscent = 0;
    int mPadding = 0;
    int mCellHeight = 0;
    std::array<Glyph, kCharCount> mGlyphs{};
    std::map<std::pair<char, char>, int> mKerning;
};

} // namespace Quill::Content
