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
    // An operation run by another (a sub-pixel blit by the turning one, a stretch by a blit)
    // draws within the area the outer one recorded, which may be tighter than its own.
    if (mTrackedDepth > 0)
        return;
    const Rect area = rect.Intersection(Rect(0, 0, mWidth, mHeight));
    if (area.mWidth <= 0 || area.mHeight <= 0)
        return;
    if (!mDirtyRect) {
        mDirtyRect = area;
        return;
    }
    mDirtyRect = mDirtyRect->Union(area);
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
    AddDirty(rect);
    TrackedScope scope(mTrackedDepth);
    MemoryImage::FillRect(rect, color, drawMode);
}

void DDImage::ClearRect(const Rect& rect)
{
    AddDirty(rect);
    TrackedScope scope(mTrackedDepth);
    MemoryImage::ClearRect(rect);
}

void DDImage::Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    AddDirty(Rect(x, y, srcRect.mWidth, srcRect.mHeight));
    TrackedScope scope(mTrackedDepth);
    MemoryImage::Blt(image, x, y, srcRect, color, drawMode);
}

void DDImage::BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                   const Color& color, int drawMode)
{
    // Positions beyond any image (or not numbers) draw nothing; the others are bounded before
    // the sums below, so they cannot overflow.
    constexpr float kLimit = static_cast<float>(Rect::kCoordinateLimit);
    if (std::abs(x) < kLimit && std::abs(y) < kLimit) {
        const Rect source = srcRect.Bounded();
        // A sub-pixel position touches one more pixel on each side.
        const int left = static_cast<int>(std::floor(x)) - 1;
        const int top = static_cast<int>(std::floor(y)) - 1;
        AddDirty(Rect(left, top, source.mWidth + 3, source.mHeight + 3).Intersection(clipRect));
    }
    TrackedScope scope(mTrackedDepth);
    MemoryImage::BltF(image, x, y, srcRect, clipRect, color, drawMode);
}

void DDImage::BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                         const Color& color, int drawMode, double rot, float rotCenterX, float rotCenterY)
{
    // A turned picture stays within the clip; nothing tighter is worth computing here.
    AddDirty(clipRect);
    TrackedScope scope(mTrackedDepth);
    MemoryImage::BltRotated(image, x, y, srcRect, clipRect, color, drawMode, rot, rotCenterX, rotCenterY);
}

void DDImage::StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                         const Color& color, int drawMode, bool fastStretch)
{
    AddDirty(destRect.Intersection(clipRect));
    TrackedScope scope(mTrackedDepth);
    MemoryImage::StretchBlt(image, destRect, srcRect, clipRect, color, drawMode, fastStretch);
}

} // namespace Quill
