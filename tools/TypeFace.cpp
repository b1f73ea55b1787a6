#include "tools/TypeFace.h"

#include <cairo-ft.h>

namespace Quill::Content {

TypeFace::TypeFace(const std::filesystem::path& file) : mFile(file)
{
    if (FT_Init_FreeType(&mLibrary) != 0) {
        mLibrary = nullptr;
        return;
    }
    if (FT_New_Face(mLibrary, file.c_str(), 0, &mFace) != 0) {
        mFace = nullptr;
        return;
    }
    mCairoFace = cairo_ft_font_face_create_for_ft_face(mFace, 0);
}

TypeFace::~TypeFace()
{
    // cairo may keep the face alive in its caches; it releases its reference
    // when the font face is destroyed, before FreeType lets go of the face.
    if (mCairoFace)
        cairo_font_face_destroy(mCairoFace);
    if (mFace)
        FT_Done_Face(mFace);
    if (mLibrary)
        FT_Done_FreeType(mLibrary);
}

double TypeFace::TextWidth(cairo_t* cr, const std::string& text, double size) const
{
    cairo_save(cr);
    cairo_set_font_face(cr, mCairoFace);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    cairo_restore(cr);
    return ext.x_advance;
}

void TypeFace::TextPath(cairo_t* cr, const std::string& text, double size, double x, double y) const
{
    cairo_set_font_face(cr, mCairoFace);
    cairo_set_font_size(cr, size);
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, text.c_str());
}

void TypeFace::DrawLabel(const Canvas& canvas, const std::string& text, double size, double cx,
                         double baseline, const Rgba& top, const Rgba& bottom, const Rgba& outline,
                         double outlineWidth) const
{
    cairo_t* cr = canvas.Cr();
    const double x = cx - TextWidth(cr, text, size) / 2.0;
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    // Soft drop shadow below the outline.
    cairo_new_path(cr);
    TextPath(cr, text, size, x, baseline + size * 0.08);
    canvas.Stroke({outline.r, outline.g, outline.b, outline.a * 0.35}, outlineWidth * 2.0);
    cairo_new_path(cr);
    TextPath(cr, text, size, x, baseline);
    if (outlineWidth > 0.0)
        canvas.Stroke(outline, outlineWidth * 2.0);
    canvas.FillVertical(baseline - size * 0.75, top, baseline, bottom);
    cairo_new_path(cr);
    cairo_restore(cr);
}

} // namespace Quill::Content
