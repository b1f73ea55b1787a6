#include "graphics/DDImage.h"

#include <algorithm>
#include <cmath>

#include "graphics/DDInterface.h"
#include "graphics/ImageRegistry.h"

namespace Quill {

namespace {

// Runs a drawing operation whose area has been recorded, so that the
// BitsChanged it ends with does not count the whole image.
class TrackedScope {
public:
    explicit TrackedScope(int& depth) : mDepth(depth) { ++mDepth; }
    ~TrackedScope() { --mDepth; }
    TrackedScope(const TrackedScope&) = delete;
    TrackedScope& operator=(const TrackedScope&) = delete;

private:
    int& mDepth;
};

} // namespace

DDImage::DDImage(DDInterface* ddInterface)
    : MemoryImage(ddInterface != nullptr ? &ddInterface->GetRegistry() : ImageRegistry::Installed()),
      mDDInterface(ddInterface)
{}

DDImage::~DDImage() = default;

void DDImage::AddDirty(const Rect& rect)
{
    const Rect area = rect.Intersection(Rect(0, 0, mWidth, mHeight));
    if (area.mWidth <= 0 || area.mHeight <= 0)
        return;
    if (!mDirtyRect) {
        mDirtyRect = area;
        return;
    }
    const int left = std::min(mDirtyRect->mX, area.mX);
    const int top = std::min(mDirtyRect->mY, area.mY);
    const int right = std::max(mDirtyRect->mX + mDirtyRect->mWidth, area.mX + area.mWidth);
    const int bottom = std::max(mDirtyRect->mY + mDirtyRect->mHeight, area.mY + area.mHeight);
    mDirtyRect = Rect(left, top, right - left, bottom - top);
}

void DDImage::MarkAllDirty()
{
    if (mWidth > 0 && mHeight > 0)
        mDirtyRect = Rect(0, 0, mWidth, mHeight);
}

void DDImage::BitsChanged()
{
    MemoryImage::BitsChanged();
    if (mTrackedDepth == 0)
        MarkAllDirty();
}

void DDImage::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    TrackedScope scope(mTrackedDepth);
    AddDirty(rect);
    MemoryImage::FillRect(rect, color, drawMode);
}

void DDImage::ClearRect(const Rect& rect)
{
    TrackedScope scope(mTrackedDepth);
    AddDirty(rect);
    MemoryImage::ClearRect(rect);
}

void DDImage::Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    TrackedScope scope(mTrackedDepth);
    AddDirty(Rect(x, y, srcRect.mWidth, srcRect.mHeight));
    MemoryImage::Blt(image, x, y, srcRect, color, drawMode);
}

void DDImage::BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                   const Color& color, int drawMode)
{
    TrackedScope scope(mTrackedDepth);
    // A sub-pixel position touches one more pixel on each side.
    const int left = static_cast<int>(std::floor(x)) - 1;
    const int top = static_cast<int>(std::floor(y)) - 1;
    AddDirty(Rect(left, top, srcRect.mWidth + 3, srcRect.mHeight + 3).Intersection(clipRect));
    MemoryImage::BltF(image, x, y, srcRect, clipRect, color, drawMode);
}

void DDImage::BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                         const Color& color, int drawMode, double rot, float rotCenterX, float rotCenterY)
{
    TrackedScope scope(mTrackedDepth);
    // A turned picture stays within the clip; nothing tighter is worth computing here.
    AddDirty(clipRect);
    MemoryImage::BltRotated(image, x, y, srcRect, clipRect, color, drawMode, rot, rotCenterX, rotCenterY);
}

void DDImage::StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                         const Color& color, int drawMode, bool fastStretch)
{
    TrackedScope scope(mTrackedDepth);
    AddDirty(destRect.Intersection(clipRect));
    MemoryImage::StretchBlt(image, destRect, srcRect, clipRect, color, drawMode, fastStretch);
}

} // namespace Quill
