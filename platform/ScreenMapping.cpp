#include "platform/ScreenMapping.h"

#include <algorithm>
#include <cstdint>

namespace Quill::Platform {

namespace {

// Division rounding towards minus infinity, so positions left of or above the
// picture map to negative coordinates instead of folding onto 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

ScreenMapping::ScreenMapping(int pictureWidth, int pictureHeight, int outputWidth, int outputHeight)
    : mPictureWidth(std::max(pictureWidth, 1)), mPictureHeight(std::max(pictureHeight, 1))
{
    const std::int64_t ow = std::max(outputWidth, 1);
    const std::int64_t oh = std::max(outputHeight, 1);
    std::int64_t w = ow;
    std::int64_t h = oh;
    // Compare the aspect ratios by cross-multiplying: the narrower side limits.
    if (ow * mPictureHeight > oh * mPictureWidth)
        w = std::max<std::int64_t>(1, oh * mPictureWidth / mPictureHeight);
    else
        h = std::max<std::int64_t>(1, ow * mPictureHeight / mPictureWidth);
    mPicture = Rectangle{static_cast<int>((ow - w) / 2), static_cast<int>((oh - h) / 2), static_cast<int>(w),
                         static_cast<int>(h)};
}

Point ScreenMapping::ToPicture(Point output) const
{
    const std::int64_t x =
        FloorDiv((static_cast<std::int64_t>(output.mX) - mPicture.mX) * mPictureWidth, mPicture.mWidth);
    const std::int64_t y =
        FloorDiv((static_cast<std::int64_t>(output.mY) - mPicture.mY) * mPictureHeight, mPicture.mHeight);
    return Point{static_cast<int>(x), static_cast<int>(y)};
}

bool ScreenMapping::IsOneToOne() const
{
    return mPicture.mWidth == mPictureWidth && mPicture.mHeight == mPictureHeight;
}

} // namespace Quill::Platform
