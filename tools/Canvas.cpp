#include "tools/Canvas.h"

#include <cmath>
#include <utility>

#include "platform/Files.h"

namespace Quill::Content {

Rgba Hex(unsigned rgb, double alpha)
{
    return {static_cast<double>((rgb >> 16) & 0xFF) / 255.0, static_cast<double>((rgb >> 8) & 0xFF) / 255.0,
            static_cast<double>(rgb & 0xFF) / 255.0, alpha};
}

Rgba Mix(const Rgba& a, const Rgba& b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Canvas::Canvas(int width, int height)
    : mWidth(width), mHeight(height),
      mSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)), mCr(cairo_create(mSurface))
{}

Canvas::Canvas(const std::filesystem::path& pngFile)
{
    mSurface = cairo_image_surface_create_from_png(pngFile.c_str());
    if (cairo_surface_status(mSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(mSurface);
        mSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        mValid = false;
    }
    mWidth = cairo_image_surface_get_width(mSurface);
    mHeight = cairo_image_surface_get_height(mSurface);
    mCr = cairo_create(mSurface);
}

Canvas::~Canvas()
{
    Release();
}

Canvas::Canvas(Canvas&& other) noexcept
    : mWidth(other.mWidth), mHeight(other.mHeight), mValid(other.mValid),
      mSurface(std::exchange(other.mSurface, nullptr)), mCr(std::exchange(other.mCr, nullptr))
{}

Canvas& Canvas::operator=(Canvas&& other) noexcept
{
    if (this != &other) {
        Release();
        mWidth = other.mWidth;
        mHeight = other.mHeight;
        mValid = other.mValid;
        mSurface = std::exchange(other.mSurface, nullptr);
        mCr = std::exchange(other.mCr, nullptr);
    }
    return *this;
}

void Canvas::Release()
{
    if (mCr)
        cairo_destroy(mCr);
    if (mSurface)
        cairo_surface_destroy(mSurface);
    mCr = nullptr;
    mSurface = nullptr;
}

void Canvas::RoundedRect(double x, double y, double w, double h, double radius) const
{
    const double r = std::min(radius, std::min(w, h) / 2.0);
    cairo_new_sub_path(mCr);
    cairo_arc(mCr, x + w - r, y + r, r, -M_PI / 2.0, 0.0);
    cairo_arc(mCr, x + w - r, y + h - r, r, 0.0, M_PI / 2.0);
    cairo_arc(mCr, x + r, y + h - r, r, M_PI / 2.0, M_PI);
    cairo_arc(mCr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(mCr);
}

void Canvas::SetSource(const Rgba& c) const
{
    cairo_set_source_rgba(mCr, c.r, c.g, c.b, c.a);
}

void Canvas::Fill(const Rgba& c) const
{
    SetSource(c);
    cairo_fill_preserve(mCr);
}

void Canvas::Stroke(const Rgba& c, double width) const
{
    SetSource(c);
    cairo_set_line_width(mCr, width);
    cairo_stroke_preserve(mCr);
}

void Canvas::FillVertical(double y0, const Rgba& top, double y1, const Rgba& bottom) const
{
    cairo_pattern_t* p = cairo_pattern_create_linear(0.0, y0, 0.0, y1);
    cairo_pattern_add_color_stop_rgba(p, 0.0, top.r, top.g, top.b, top.a);
    cairo_pattern_add_color_stop_rgba(p, 1.0, bottom.r, bottom.g, bottom.b, bottom.a);
    cairo_set_source(mCr, p);
    cairo_fill_preserve(mCr);
    cairo_pattern_destroy(p);
}

void Canvas::FillRadial(double cx, double cy, double radius, const Rgba& inner, const Rgba& outer) const
{
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0.0, cx, cy, radius);
    cairo_pattern_add_color_stop_rgba(p, 0.0, inner.r, inner.g, inner.b, inner.a);
    cairo_pattern_add_color_stop_rgba(p, 1.0, outer.r, outer.g, outer.b, outer.a);
    cairo_set_source(mCr, p);
    cairo_fill_preserve(mCr);
    cairo_pattern_destroy(p);
}

void Canvas::Paint(const Canvas& source, double x, double y, double scale, double alpha) const
{
    cairo_save(mCr);
    cairo_translate(mCr, x, y);
    cairo_scale(mCr, scale, scale);
    cairo_set_source_surface(mCr, source.mSurface, 0.0, 0.0);
    if (scale != 1.0)
        cairo_pattern_set_filter(cairo_get_source(mCr), CAIRO_FILTER_BEST);
    cairo_paint_with_alpha(mCr, alpha);
    cairo_restore(mCr);
}

void Canvas::PaintPart(const Canvas& source, int sx, int sy, int sw, int sh, double x, double y) const
{
    cairo_save(mCr);
    cairo_rectangle(mCr, x, y, sw, sh);
    cairo_clip(mCr);
    cairo_set_source_surface(mCr, source.mSurface, x - sx, y - sy);
    cairo_paint(mCr);
    cairo_restore(mCr);
}

unsigned Canvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
        return 0;
    cairo_surface_flush(mSurface);
    const unsigned char* data = cairo_image_surface_get_data(mSurface);
    const int stride = cairo_image_surface_get_stride(mSurface);
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    const std::uint32_t p = row[x];
    const unsigned a = p >> 24;
    if (a == 0)
        return 0;
    auto un = [a](unsigned c) { return std::min(255u, (c * 255u + a / 2u) / a); };
    return (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
}

void Canvas::Clear() const
{
    cairo_save(mCr);
    cairo_set_operator(mCr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(mCr);
    cairo_restore(mCr);
}

namespace {

cairo_status_t AppendPng(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

std::string Canvas::EncodePng() const
{
    std::string bytes;
    cairo_surface_flush(mSurface);
    // A surface in an error state, or a failed encode, gives no bytes rather than a broken file.
    if (cairo_surface_status(mSurface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_write_to_png_stream(mSurface, AppendPng, &bytes) != CAIRO_STATUS_SUCCESS)
        return {};
    return bytes;
}

bool Canvas::SavePng(const std::filesystem::path& file) const
{
    const std::string bytes = EncodePng();
    return !bytes.empty() && Platform::WriteFileAtomically(file, bytes);
}

} // namespace Quill::Content
