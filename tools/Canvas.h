#pragma once

#include <cairo.h>

#include <filesystem>
#include <string>

namespace Quill::Content {

// A colour with components 0..1, as cairo takes them.
struct Rgba {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    double a = 1.0;
};

// Colour from 0xRRGGBB and an opacity.
Rgba Hex(unsigned rgb, double alpha = 1.0);
// Linear mix: t = 0 gives a, t = 1 gives b.
Rgba Mix(const Rgba& a, const Rgba& b, double t);

// An ARGB picture with its cairo drawing context: what every generated picture
// is drawn on before it is written as PNG.
class Canvas {
public:
    Canvas(int width, int height);
    // Reads a PNG file; an unreadable file gives a 1 x 1 transparent canvas and
    // IsValid() false.
    explicit Canvas(const std::filesystem::path& pngFile);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    Canvas(Canvas&& other) noexcept;
    Canvas& operator=(Canvas&& other) noexcept;

    [[nodiscard]] int Width() const { return mWidth; }
    [[nodiscard]] int Height() const { return mHeight; }
    [[nodiscard]] bool IsValid() const { return mValid; }
    [[nodiscard]] cairo_t* Cr() const { return mCr; }
    [[nodiscard]] cairo_surface_t* Surface() const { return mSurface; }

    // Shapes, added to the current path.
    void RoundedRect(double x, double y, double w, double h, double radius) const;
    // Fill and stroke helpers that keep the path.
    void Fill(const Rgba& c) const;
    void Stroke(const Rgba& c, double width) const;
    void SetSource(const Rgba& c) const;
    // Vertical linear gradient from top colour at y0 to bottom colour at y1.
    void FillVertical(double y0, const Rgba& top, double y1, const Rgba& bottom) const;
    // Radial gradient around (cx, cy) from inner colour to outer colour at radius.
    void FillRadial(double cx, double cy, double radius, const Rgba& inner, const Rgba& outer) const;

    // Draws another canvas with its top-left corner at (x, y), optionally scaled.
    void Paint(const Canvas& source, double x, double y, double scale = 1.0, double alpha = 1.0) const;
    // Draws part of another canvas at (x, y).
    void PaintPart(const Canvas& source, int sx, int sy, int sw, int sh, double x, double y) const;

    // Pixel access in straight (not premultiplied) 0xAARRGGBB form.
    [[nodiscard]] unsigned Pixel(int x, int y) const;
    // Makes every pixel fully transparent.
    void Clear() const;

    // The picture as PNG bytes (no time stamps, so identical pictures give
    // identical files).
    [[nodiscard]] std::string EncodePng() const;
    // Writes the PNG atomically; false on failure.
    [[nodiscard]] bool SavePng(const std::filesystem::path& file) const;

private:
    void Release();

    int mWidth = 0;
    int mHeight = 0;
    bool mValid = true;
    cairo_surface_t* mSurface = nullptr;
    cairo_t* mCr = nullptr;
};

} // namespace Quill::Content
