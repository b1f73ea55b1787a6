#include "platform/FakePresenter.h"

#include <algorithm>

#include "platform/FakeBackend.h"
#include "platform/FakeWindow.h"

namespace Quill::Platform {

FakePresenter::FakePresenter(FakeBackend& backend, FakeWindow& window, const PresenterConfig& config)
    : mBackend(backend), mWindow(&window), mConfig(config),
      mShown(static_cast<std::size_t>(std::max(config.mWidth, 0)) *
             static_cast<std::size_t>(std::max(config.mHeight, 0)))
{
    mWindow->AttachPresenter(this);
}

FakePresenter::~FakePresenter()
{
    if (mWindow)
        mWindow->DetachPresenter(this);
    mBackend.ForgetPresenter(this);
}

bool FakePresenter::Present(std::span<const std::uint32_t> pixels, int strideInPixels,
                            const std::optional<Rectangle>& dirty)
{
    if (!mWindow)
        return false;
    if (mFailuresLeft > 0) {
        --mFailuresLeft;
        return false;
    }
    const int width = mConfig.mWidth;
    const int height = mConfig.mHeight;
    if (strideInPixels < width || height <= 0 ||
        pixels.size() < static_cast<std::size_t>(strideInPixels) * static_cast<std::size_t>(height - 1) +
                            static_cast<std::size_t>(width))
        return false;

    Rectangle area{0, 0, width, height};
    if (dirty) {
        const int left = std::max(dirty->mX, 0);
        const int top = std::max(dirty->mY, 0);
        const int right = std::min(dirty->mX + dirty->mWidth, width);
        const int bottom = std::min(dirty->mY + dirty->mHeight, height);
        area = Rectangle{left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
    }
    for (int y = area.mY; y < area.mY + area.mHeight; ++y) {
        const auto from = pixels.begin() + static_cast<std::ptrdiff_t>(y) * strideInPixels + area.mX;
        std::copy(from, from + area.mWidth,
                  mShown.begin() + static_cast<std::ptrdiff_t>(y) * width + area.mX);
    }
    mLastDirty = area;
    ++mPresentCount;
    return true;
}

bool FakePresenter::SetVSync(bool on)
{
    mConfig.mVSync = on;
    return true;
}

std::uint32_t FakePresenter::ShownAt(int x, int y) const
{
    return mShown[static_cast<std::size_t>(y) * static_cast<std::size_t>(mConfig.mWidth) +
                  static_cast<std::size_t>(x)];
}

} // namespace Quill::Platform
