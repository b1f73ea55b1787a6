#pragma once

#include <memory>
#include <string_view>

#include "graphics/Color.h"
#include "graphics/Image.h"
#include "graphics/Rect.h"

namespace Quill {

class Font;

// The drawing context: a destination image with a translation, a clip
// rectangle, a colour, a font, a draw mode and three flags. Every call is
// translated (truncating toward zero), clipped and handed to one of the
// destination's drawing operations. There is no state stack: draw with a copy
// when a narrower clip or another translation is needed, then drop it.
class Graphics {
public:
    // Text justification of DrawStringJustified and DrawStringWrapped.
    static constexpr int JUSTIFY_CENTER = 0;
    static constexpr int JUSTIFY_RIGHT = 1;
    static constexpr int JUSTIFY_LEFT = -1;

    // Where drawing goes (not owned); a shared empty image for a measuring context.
    Image* mDestImage = nullptr;
    // Added to every coordinate passed in.
    float mTransX = 0.0f;
    float mTransY = 0.0f;
    // In destination pixels, translation already applied.
    Rect mClipRect;
    Color mColor;
    // Not owned; none means text draws and measures nothing.
    Font* mFont = nullptr;
    // DRAWMODE_NORMAL or DRAWMODE_ADDITIVE.
    int mDrawMode = DRAWMODE_NORMAL;
    // Images are tinted by the current colour (otherwise drawn with White).
    bool mColorizeImages = false;
    // Stretched images sample the nearest pixel instead of the smooth filter.
    bool mFastStretch = false;
    // Text operations interpret colour escapes ("^RRGGBB^", "^^").
    bool mWriteColoredString = true;

    // A context on the image, or (none) a measuring context on an empty 0 × 0 image.
    explicit Graphics(Image* destImage = nullptr);
    Graphics(const Graphics&) = default;
    Graphics& operator=(const Graphics&) = default;
    virtual ~Graphics();

    // A heap copy owned by the caller.
    [[nodiscard]] std::unique_ptr<Graphics> Create() const;

    [[nodiscard]] Image* GetDestImage() const { return mDestImage; }
    void SetColor(const Color& color) { mColor = color; }
    [[nodiscard]] const Color& GetColor() const { return mColor; }
    void SetFont(Font* font) { mFont = font; }
    [[nodiscard]] Font* GetFont() const { return mFont; }
    void SetDrawMode(int drawMode) { mDrawMode = drawMode; }
    [[nodiscard]] int GetDrawMode() const { return mDrawMode; }
    void SetColorizeImages(bool colorize) { mColorizeImages = colorize; }
    [[nodiscard]] bool GetColorizeImages() const { return mColorizeImages; }
    void SetFastStretch(bool fastStretch) { mFastStretch = fastStretch; }
    [[nodiscard]] bool GetFastStretch() const { return mFastStretch; }
    void SetWriteColoredString(bool colored) { mWriteColoredString = colored; }
    [[nodiscard]] bool GetWriteColoredString() const { return mWriteColoredString; }

    // Adds to the translation.
    void Translate(int x, int y);
    // Narrows the clip to its overlap with the translated rectangle (never widens it).
    void ClipRect(int x, int y, int width, int height);
    void ClipRect(const Rect& rect);
    [[nodiscard]] const Rect& GetClipRect() const { return mClipRect; }

    // Fills the rectangle with the colour (nothing for a colour of alpha 0).
    void FillRect(int x, int y, int width, int height);
    void FillRect(const Rect& rect);
    // Outline covering (width + 1) × (height + 1) pixels.
    void DrawRect(int x, int y, int width, int height);
    void DrawRect(const Rect& rect);
    // Makes the clipped rectangle transparent black.
    void ClearRect(int x, int y, int width, int height);
    void ClearRect(const Rect& rect);

    // The whole image with its top-left corner at (x, y).
    void DrawImage(Image* image, int x, int y);
    // Part of the image; nothing when the part reaches outside the image.
    void DrawImage(Image* image, int x, int y, const Rect& srcRect);
    // Part of the image stretched into the destination rectangle.
    void DrawImage(Image* image, const Rect& destRect, const Rect& srcRect);
    // One cel (column, row); nothing for a cel outside the grid.
    void DrawImageCel(Image* image, int x, int y, int col, int row);
    // One cel of a strip: counts columns when the image has one row, rows otherwise.
    void DrawImageCel(Image* image, int x, int y, int cel);
    // One cel stretched into the destination rectangle.
    void DrawImageCel(Image* image, const Rect& destRect, int col, int row);
    // The image as a frame of nine parts: corners unscaled, edges and centre tiled.
    void DrawImageBox(const Rect& destRect, Image* image);
    void DrawImageBox(const Rect& srcRect, const Rect& destRect, Image* image);

    // The font draws the text at (x, y) (its baseline as the font defines it), clipped.
    void DrawString(std::string_view text, int x, int y);
    // Draws (or, with draw false, only measures) the characters offset ..
    // offset + length of the text (length < 0: to the end), interpreting
    // colour escapes; returns the width in pixels. Justification centres or
    // right-aligns the part within width.
    int DrawStringJustified(std::string_view text, int x, int y, int width, int justification,
                            bool draw = true, int offset = 0, int length = -1);
    // Word-wrapped text within the rectangle's width, first baseline at
    // rect.y + ascent − ascent padding. Line spacing −1 means the font's.
    // Returns the height used; maxWidth (if given) receives the widest line.
    int DrawStringWrapped(const Rect& rect, std::string_view text, int lineSpacing = -1,
                          int justification = JUSTIFY_LEFT, int* maxWidth = nullptr);
    // Height the wrapped text would take in the given width, with this context's font.
    int MeasureWrappedHeight(int width, std::string_view text, int lineSpacing = -1,
                             int* maxWidth = nullptr) const;

private:
    // Destination pixel of a coordinate: truncate(coordinate + translation).
    [[nodiscard]] int TransX(int x) const;
    [[nodiscard]] int TransY(int y) const;
    // The colour images are drawn with: the current one when colourising, else White.
    [[nodiscard]] Color ImageColor() const;
    // Walks and (when draw is set) draws the wrapped lines; returns the height.
    int WrapString(const Rect& rect, std::string_view text, int lineSpacing, int justification, int* maxWidth,
                   bool draw);
    // Tiles a piece of the image over a region, starting at (x, y), within this context's clip.
    void TileImage(Image* image, const Rect& piece, int x, int y, int countX, int countY);
};

} // namespace Quill
