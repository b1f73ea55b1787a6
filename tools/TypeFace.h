#pragma once

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <string>

#include "tools/Canvas.h"

namespace Quill::Content {

// One outline font file, opened with FreeType, usable both for baking image
// fonts glyph by glyph and for setting text in the artwork through cairo.
class TypeFace {
public:
    explicit TypeFace(const std::filesystem::path& file);
    ~TypeFace();
    TypeFace(const TypeFace&) = delete;
    TypeFace& operator=(const TypeFace&) = delete;

    [[nodiscard]] bool IsValid() const { return mFace != nullptr; }
    [[nodiscard]] FT_Face Face() const { return mFace; }
    [[nodiscard]] const std::filesystem::path& File() const { return mFile; }

    // Width in pixels of a text at the pixel size, as cairo sets it.
    [[nodiscard]] double TextWidth(cairo_t* cr, const std::string& text, double size) const;
    // Adds the outline of the text to the current path with its baseline start
    // at (x, y).
    void TextPath(cairo_t* cr, const std::string& text, double size, double x, double y) const;
    // Artwork label: a soft shadow, an outline and a vertical gradient fill,
    // centred on x with its baseline at y.
    void DrawLabel(const Canvas& canvas, const std::string& text, double size, double cx, double baseline,
                   const Rgba& top, const Rgba& bottom, const Rgba& outline, double outlineWidth) const;

private:
    std::filesystem::path mFile;
    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;
    cairo_font_face_t* mCairoFace = nullptr;
};

} // namespace Quill::Content
