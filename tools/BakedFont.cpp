#include "tools/BakedFont.h"

#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <vector>

#include "tools/TypeFace.h"

namespace Quill::Content {

namespace {

// One rendered glyph before it is placed in the picture.
struct RawGlyph {
    int width = 0;
    int rows = 0;
    int left = 0;
    int top = 0;
    int advance = 0;
    std::vector<std::uint8_t> alpha;
};

// Grows a glyph's coverage by a disc of the radius (anti-aliased edge), then
// softens it a little, for the outline layer.
std::vector<std::uint8_t> Dilate(const std::vector<std::uint8_t>& src, int w, int h, double radius)
{
    std::vector<std::uint8_t> grown(src.size(), 0);
    const int reach = static_cast<int>(std::ceil(radius));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double best = 0.0;
            for (int dy = -reach; dy <= reach; ++dy) {
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int sx = x + dx;
                    const int sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= w || sy >= h)
                        continue;
                    const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
                    const double weight = std::clamp(radius + 0.5 - d, 0.0, 1.0);
                    best = std::max(best, weight * src[static_cast<std::size_t>(sy * w + sx)]);
                }
            }
            grown[static_cast<std::size_t>(y * w + x)] = static_cast<std::uint8_t>(std::lround(best));
        }
    }
    return grown;
}

// Text of one character as the descriptor language quotes it.
std::string Quoted(char c)
{
    if (c == '"')
        return "'\"'";
    if (c == '\\')
        return "\"\\\\\"";
    return std::string("\"") + c + "\"";
}

// Kerning in font units between two glyphs, from the font's own positioning
// tables (shaping the pair and comparing with the plain advance).
int PairKerning(hb_font_t* font, char a, char b)
{
    hb_buffer_t* buffer = hb_buffer_create();
    const char text[2] = {a, b};
    hb_buffer_add_utf8(buffer, text, 2, 0, 2);
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(font, buffer, nullptr, 0);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
    int kern = 0;
    if (count == 2)
        kern = pos[0].x_advance - hb_font_get_glyph_h_advance(font, info[0].codepoint);
    hb_buffer_destroy(buffer);
    return kern;
}

void AppendWrapped(std::ostringstream& out, const std::vector<std::string>& items)
{
    std::size_t column = 4;
    out << "(";
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string piece = items[i] + (i + 1 < items.size() ? ", " : "");
        if (column + piece.size() > 100) {
            out << "\n    ";
            column = 4;
        }
        out << piece;
        column += piece.size();
    }
    out << ")";
}

} // namespace

BakedFont::BakedFont(const TypeFace& typeFace, const FontStyle& style) : mStyle(style)
{
    FT_Face face = typeFace.Face();
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.pixelSize));
    mFaceName = std::string(face->family_name ? face->family_name : "") + " " +
                (face->style_name ? face->style_name : "");

    std::array<RawGlyph, kCharCount> raw{};
    int descent = 0;
    for (int c = kFirstChar; c <= kLastChar; ++c) {
        RawGlyph& g = raw[static_cast<std::size_t>(c - kFirstChar)];
        if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        g.width = static_cast<int>(slot->bitmap.width);
        g.rows = static_cast<int>(slot->bitmap.rows);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        g.alpha.resize(static_cast<std::size_t>(g.width * g.rows));
        for (int y = 0; y < g.rows; ++y)
            for (int x = 0; x < g.width; ++x)
                g.alpha[static_cast<std::size_t>(y * g.width + x)] =
                    slot->bitmap.buffer[y * slot->bitmap.pitch + x];
        if (g.rows > 0) {
            mAscent = std::max(mAscent, g.top);
            descent = std::max(descent, g.rows - g.top);
        }
    }

    mPadding = static_cast<int>(std::ceil(style.outlineRadius)) + 1;
    mCellHeight = mAscent + descent + 2 * mPadding;
    int x = 0;
    for (int i = 0; i < kCharCount; ++i) {
        Glyph& g = mGlyphs[static_cast<std::size_t>(i)];
        const RawGlyph& r = raw[static_cast<std::size_t>(i)];
        g.cellX = x;
        g.cellWidth = r.width + 2 * mPadding;
        g.advance = r.advance;
        g.offsetX = r.left - mPadding;
        x += g.cellWidth;
    }

    mPicture = std::make_unique<Canvas>(x, 2 * mCellHeight);
    cairo_surface_t* surface = mPicture->Surface();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    auto put = [&](int px, int py, std::uint8_t a) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(py) * stride);
        // White with coverage as alpha (premultiplied): tinting then gives the
        // drawing colour.
        row[px] = (static_cast<std::uint32_t>(a) * 0x01010101u);
    };
    for (int i = 0; i < kCharCount; ++i) {
        const RawGlyph& r = raw[static_cast<std::size_t>(i)];
        const Glyph& g = mGlyphs[static_cast<std::size_t>(i)];
        if (r.rows == 0)
            continue;
        // The glyph inside its padded cell, then grown for the outline strip.
        const int cw = g.cellWidth;
        const int ch = mCellHeight;
        std::vector<std::uint8_t> cell(static_cast<std::size_t>(cw * ch), 0);
        const int oy = mPadding + mAscent - r.top;
        for (int y = 0; y < r.rows; ++y)
            for (int gx = 0; gx < r.width; ++gx)
                cell[static_cast<std::size_t>((oy + y) * cw + mPadding + gx)] =
                    r.alpha[static_cast<std::size_t>(y * r.width + gx)];
        const std::vector<std::uint8_t> outline = Dilate(cell, cw, ch, style.outlineRadius);
        for (int y = 0; y < ch; ++y) {
            for (int cx = 0; cx < cw; ++cx) {
                put(g.cellX + cx, y, cell[static_cast<std::size_t>(y * cw + cx)]);
                put(g.cellX + cx, mCellHeight + y, outline[static_cast<std::size_t>(y * cw + cx)]);
            }
        }
    }
    cairo_surface_mark_dirty(surface);

    // Kerning pairs from the font's positioning tables, in whole pixels.
    hb_blob_t* blob = hb_blob_create_from_file(typeFace.File().c_str());
    hb_face_t* hbFace = hb_face_create(blob, 0);
    hb_font_t* hbFont = hb_font_create(hbFace);
    const int upem = static_cast<int>(hb_face_get_upem(hbFace));
    hb_font_set_scale(hbFont, upem, upem);
    for (int a = kFirstChar + 1; a <= kLastChar; ++a) {
        for (int b = kFirstChar + 1; b <= kLastChar; ++b) {
            // Pairs with a backslash or both quote kinds would need escapes in
            // the descriptor; their kerning is immaterial.
            if (a == '\\' || b == '\\' || (a == '"' && b == '\'') || (a == '\'' && b == '"'))
                continue;
            const int units = PairKerning(hbFont, static_cast<char>(a), static_cast<char>(b));
            const int px = static_cast<int>(std::lround(static_cast<double>(units) * style.pixelSize / upem));
            if (px != 0)
                mKerning[{static_cast<char>(a), static_cast<char>(b)}] = std::clamp(px, -128, 127);
        }
    }
    hb_font_destroy(hbFont);
    hb_face_destroy(hbFace);
    hb_blob_destroy(blob);
}

const BakedFont::Glyph& BakedFont::GlyphOf(char c) const
{
    const int i = std::clamp(static_cast<int>(static_cast<unsigned char>(c)), kFirstChar, kLastChar);
    return mGlyphs[static_cast<std::size_t>(i - kFirstChar)];
}

int BakedFont::Kerning(char first, char second) const
{
    const auto it = mKerning.find({first, second});
    return it == mKerning.end() ? 0 : it->second;
}

int BakedFont::StringWidth(const std::string& text) const
{
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        width += GlyphOf(text[i]).advance;
        if (i > 0)
            width += Kerning(text[i - 1], text[i]);
    }
    return width;
}

void BakedFont::DrawLayer(const Canvas& target, const std::string& text, int x, int y, const Rgba& colour,
                          int stripY, int dx, int dy) const
{
    cairo_t* cr = target.Cr();
    int pen = x;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Glyph& g = GlyphOf(text[i]);
        const int gx = pen + g.offsetX + dx;
        const int gy = y - mAscent - mPadding + dy;
        cairo_save(cr);
        cairo_rectangle(cr, gx, gy, g.cellWidth, mCellHeight);
        cairo_clip(cr);
        target.SetSource(colour);
        cairo_mask_surface(cr, mPicture->Surface(), gx - g.cellX, gy - stripY);
        cairo_restore(cr);
        pen += g.advance + (i + 1 < text.size() ? Kerning(text[i], text[i + 1]) : 0);
    }
}

void BakedFont::Draw(const Canvas& target, const std::string& text, int x, int y, const Rgba& colour,
                     int width, int justify) const
{
    int left = x;
    if (justify == 0)
        left = x + (width - StringWidth(text)) / 2;
    else if (justify == 1)
        left = x + width - StringWidth(text);
    const Rgba shade{colour.r * 0.16, colour.g * 0.07, colour.b * 0.2, colour.a * mStyle.outlineAlpha};
    DrawLayer(target, text, left, y, shade, mCellHeight, mStyle.shadowDx, mStyle.shadowDy);
    DrawLayer(target, text, left, y, colour, 0, 0, 0);
}

std::string BakedFont::Descriptor(const std::string& title, const std::string& pictureName) const
{
    std::vector<std::string> chars;
    std::vector<std::string> widths;
    std::vector<std::string> offsets;
    std::vector<std::string> cells;
    for (int c = kFirstChar; c <= kLastChar; ++c) {
        const Glyph& g = mGlyphs[static_cast<std::size_t>(c - kFirstChar)];
        chars.push_back(Quoted(static_cast<char>(c)));
        widths.push_back(std::to_string(g.advance));
        offsets.push_back("(" + std::to_string(g.offsetX) + ", " + std::to_string(-mPadding) + ")");
        cells.push_back(std::to_string(g.cellWidth));
    }
    std::vector<std::string> pairs;
    std::vector<std::string> kerns;
    for (const auto& [pair, px] : mKerning) {
        const std::string text{pair.first, pair.second};
        const char q = (pair.first == '"' || pair.second == '"') ? '\'' : '"';
        pairs.push_back(q + text + q);
        kerns.push_back(std::to_string(px));
    }
    const int pictureWidth = mPicture->Width();
    const std::string size = std::to_string(mStyle.pixelSize);
    std::ostringstream out;
    out << "# " << title << ": " << mFaceName << " at " << size << " pixels, characters 32 to 126.\n"
        << "# Written by the content generator; change tools/ContentGenerator.cpp, not this file.\n"
        << "# The picture holds two strips of glyph cells: the face on top, the outline below.\n\n";
    out << "SetDefaultPointSize " << size << ";\n\n";
    out << "Define Chars ";
    AppendWrapped(out, chars);
    out << ";\n\nDefine Widths ";
    AppendWrapped(out, widths);
    out << ";\n\nDefine Offsets ";
    AppendWrapped(out, offsets);
    out << ";\n\nCreateHorzSpanRectList FaceRects (0, 0, " << pictureWidth << ", " << mCellHeight << ") ";
    AppendWrapped(out, cells);
    out << ";\n\nCreateHorzSpanRectList OutlineRects (0, " << mCellHeight << ", " << pictureWidth << ", "
        << mCellHeight << ") ";
    AppendWrapped(out, cells);
    out << ";\n\n";
    if (!pairs.empty()) {
        out << "Define KernPairs ";
        AppendWrapped(out, pairs);
        out << ";\n\nDefine KernOffsets ";
        AppendWrapped(out, kerns);
        out << ";\n\n";
    }
    out << "# The face: white, tinted with the drawing colour.\n"
        << "CreateLayer Main;\n"
        << "LayerSetImage Main \"" << pictureName << "\";\n"
        << "LayerSetPointSize Main " << size << ";\n"
        << "LayerSetAscent Main " << mAscent << ";\n"
        << "LayerSetImageMap Main Chars FaceRects;\n"
        << "LayerSetCharWidths Main Chars Widths;\n"
        << "LayerSetCharOffsets Main Chars Offsets;\n";
    if (!pairs.empty())
        out << "LayerSetKerningPairs Main KernPairs KernOffsets;\n";
    out << "LayerSetBaseOrder Main 1;\n\n"
        << "# The outline: same metrics, a darker shade of the colour, drawn first.\n"
        << "CreateLayerFrom Outline Main;\n"
        << "LayerSetImageMap Outline Chars OutlineRects;\n"
        << "LayerSetColorMult Outline (0.16, 0.07, 0.2, " << mStyle.outlineAlpha << ");\n"
        << "LayerSetOffset Outline (" << mStyle.shadowDx << ", " << mStyle.shadowDy << ");\n"
        << "LayerSetBaseOrder Outline 0;\n";
    return out.str();
}

} // namespace Quill::Content
