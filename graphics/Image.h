#pragma once

#include <memory>

#include "graphics/AnimInfo.h"
#include "graphics/Color.h"
#include "graphics/Point.h"
#include "graphics/Rect.h"
#include "graphics/Span.h"

namespace Quill {

// Draw modes of the drawing operations.
enum DrawMode {
    DRAWMODE_NORMAL = 0,
    DRAWMODE_ADDITIVE = 1
};

// An image: a size, a grid of cels (sub-pictures) and optional animation data.
// Drawing operations target an image through these virtual operations; here
// they draw nothing, and software and display images implement them.
// Positions and rectangles arrive already translated and clipped by the
// caller unless an operation takes a clip rectangle of its own.
class Image {
public:
    int mWidth = 0;
    int mHeight = 0;
    // Cel grid: the image is cut into rows × columns cels of equal size.
    int mNumRows = 1;
    int mNumCols = 1;
    // Animation of the cels; none for a still image.
    std::unique_ptr<AnimInfo> mAnimInfo;

    Image() = default;
    Image(const Image& other);
    Image& operator=(const Image& other);
    virtual ~Image();

    [[nodiscard]] int GetWidth() const { return mWidth; }
    [[nodiscard]] int GetHeight() const { return mHeight; }
    // Size of one cel: width / columns and height / rows (0 for an empty grid).
    [[nodiscard]] int GetCelWidth() const;
    [[nodiscard]] int GetCelHeight() const;
    // Source rectangle of the cel at a column and row.
    [[nodiscard]] Rect GetCelRect(int col, int row) const;
    // Source rectangle of a cel counted across the rows (cel = row · columns + column).
    [[nodiscard]] Rect GetCelRect(int cel) const;
    // Source rectangle of the cel the animation shows after the given number of ticks.
    [[nodiscard]] Rect GetAnimCelRect(int time) const;

    // Filled polygon of at least 3 vertices, offset by (tx, ty) and clipped;
    // false when the image cannot draw it (only accelerated display images can).
    virtual bool PolyFill(const Point* vertices, int numVertices, const Rect* clipRect, const Color& color,
                          int drawMode, int tx, int ty, bool convex);
    virtual void FillRect(const Rect& rect, const Color& color, int drawMode);
    // Outline covering (width + 1) × (height + 1) pixels, as four FillRect calls.
    virtual void DrawRect(const Rect& rect, const Color& color, int drawMode);
    // Sets the pixels of the rectangle to fully transparent black.
    virtual void ClearRect(const Rect& rect);
    virtual void DrawLine(double startX, double startY, double endX, double endY, const Color& color,
                          int drawMode);
    // One FillRect of (x, y, width, 1) per span.
    virtual void FillScanLines(const Span* spans, int count, const Color& color, int drawMode);
    // Copies part of another image to (x, y), tinted by the colour (White: untinted).
    virtual void Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    // As Blt, at a sub-pixel position and clipped by the clip rectangle.
    virtual void BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                      const Color& color, int drawMode);
    // As BltF, turned by the angle (radians, counter-clockwise on screen) about
    // the point (x + rotCenterX, y + rotCenterY).
    virtual void BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, double rot, float rotCenterX, float rotCenterY);
    // Part of another image stretched into the destination rectangle, clipped by
    // the clip rectangle; fastStretch picks nearest-pixel sampling over the smooth filter.
    virtual void StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, bool fastStretch);
    // Horizontally mirrored Blt.
    virtual void BltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    // Horizontally mirrored StretchBlt.
    virtual void StretchBltMirror(Image* image, const Rect& destRect, const Rect& srcRect,
                                  const Rect& clipRect, const Color& color, int drawMode, bool fastStretch);
};

} // namespace Quill
