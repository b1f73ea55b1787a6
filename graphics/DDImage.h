#pragma once

#include <optional>

#include "graphics/MemoryImage.h"

namespace Quill {

class DDInterface;

// A display image: a software image that remembers which part of it changed
// since the display last showed it, so that a present uploads only that part.
// The screen the widget manager paints into is one.
class DDImage : public MemoryImage {
public:
    // An empty image of the display layer (none: not tied to a display).
    explicit DDImage(DDInterface* ddInterface = nullptr);
    ~DDImage() override;
    DDImage(const DDImage&) = delete;
    DDImage& operator=(const DDImage&) = delete;

    // The display layer this image belongs to (not owned).
    DDInterface* mDDInterface = nullptr;

    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void ClearRect(const Rect& rect) override;
    void Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    void BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
              int drawMode) override;
    void BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                    const Color& color, int drawMode, double rot, float rotCenterX,
                    float rotCenterY) override;
    void StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                    const Color& color, int drawMode, bool fastStretch) override;
    // A change made through GetBits cannot say where it was: the whole image counts as changed.
    void BitsChanged() override;

    // The part changed since the last ClearDirtyRect (within the image); none when nothing changed.
    [[nodiscard]] std::optional<Rect> GetDirtyRect() const { return mDirtyRect; }
    void ClearDirtyRect() { mDirtyRect.reset(); }
    // Counts the whole image as changed.
    void MarkAllDirty();

private:
    // Adds the area (clipped to the image) to the changed part.
    void AddDirty(const Rect& rect);

    std::optional<Rect> mDirtyRect;
    // A drawing operation is running and has reported its own area.
    int mTrackedDepth = 0;
};

} // namespace Quill
