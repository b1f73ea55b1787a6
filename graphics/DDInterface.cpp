#include "graphics/DDInterface.h"

#include <array>
#include <optional>
#include <span>

#include "graphics/DDImage.h"
#include "graphics/ImageRegistry.h"
#include "graphics/MemoryImage.h"
#include "graphics/PixelFormat.h"
#include "platform/Backend.h"
#include "platform/CursorPicture.h"
#include "platform/Presenter.h"
#include "platform/Window.h"

namespace Quill {

namespace {

// Opaque black, the colour of a fresh screen.
constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;
// Largest cursor picture handed to the desktop.
constexpr int kMaxCursorSide = 256;

// The image as a pointer picture with its top-left corner as the hot spot; none
// when it is not a software image or has an unusable size.
std::optional<Platform::CursorPicture> ToCursorPicture(Image* image)
{
    auto* memoryImage = dynamic_cast<MemoryImage*>(image);
    if (memoryImage == nullptr || memoryImage->mWidth <= 0 || memoryImage->mHeight <= 0 ||
        memoryImage->mWidth > kMaxCursorSide || memoryImage->mHeight > kMaxCursorSide)
        return std::nullopt;
    Platform::CursorPicture picture;
    picture.mWidth = memoryImage->mWidth;
    picture.mHeight = memoryImage->mHeight;
    picture.mPixels.reserve(static_cast<std::size_t>(picture.mWidth) *
                            static_cast<std::size_t>(picture.mHeight));
    for (int y = 0; y < picture.mHeight; ++y) {
        for (int x = 0; x < picture.mWidth; ++x)
            picture.mPixels.push_back(memoryImage->GetPixel(x, y));
    }
    return picture;
}

} // namespace

DDInterface::DDInterface(Platform::Backend& platform, ImageRegistry& registry, int width, int height)
    : mWidth(width), mHeight(height), mPlatform(platform), mRegistry(registry)
{}

DDInterface::~DDInterface()
{
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    mPresenter.reset();
    mScreenImage.reset();
}

std::string DDInterface::ResultName(int result)
{
    static constexpr std::array<const char*, 8> kNames = {"RESULT_OK",
                                                          "RESULT_FAIL",
                                                          "RESULT_DD_CREATE_FAIL",
                                                          "RESULT_SURFACE_FAIL",
                                                          "RESULT_EXCLUSIVE_FAIL",
                                                          "RESULT_DISPCHANGE_FAIL",
                                                          "RESULT_INVALID_COLORDEPTH",
                                                          "RESULT_3D_FAIL"};
    if (result < 0 || result >= static_cast<int>(kNames.size()))
        return "RESULT_UNKNOWN";
    return kNames[static_cast<std::size_t>(result)];
}

std::recursive_mutex& DDInterface::GetLock() const
{
    return mRegistry.GetLock();
}

int DDInterface::Init(Platform::Window* window, bool isWindowed)
{
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    mPresenter.reset();
    mErrorString.clear();
    m3DFailed = false;
    mWindow = window;
    mIsWindowed = isWindowed;
    if (window == nullptr) {
        mErrorString = "no window to present into";
        return RESULT_DD_CREATE_FAIL;
    }
    if (window->IsFullScreen() == isWindowed && !window->SetFullScreen(!isWindowed)) {
        mErrorString = mPlatform.GetLastError();
        return isWindowed ? RESULT_FAIL : RESULT_EXCLUSIVE_FAIL;
    }

    Platform::PresenterConfig config;
    config.mWidth = mWidth;
    config.mHeight = mHeight;
    config.mAccelerated = mIs3D;
    config.mVSync = mVSync;
    Platform::PresenterResult made = mPlatform.CreatePresenter(*window, config);
    if (made.mStatus == Platform::PresenterStatus::AcceleratedFailed) {
        m3DFailed = true;
        mErrorString = made.mError;
        return RESULT_3D_FAIL;
    }
    if (made.mStatus != Platform::PresenterStatus::Ok || !made.mPresenter) {
        mErrorString = made.mError.empty() ? mPlatform.GetLastError() : made.mError;
        return RESULT_SURFACE_FAIL;
    }
    mPresenter = std::move(made.mPresenter);
    mRefreshRate = mPresenter->GetRefreshRate();
    if (mRefreshRate <= 0)
        mRefreshRate = 60;
    mMillisecondsPerFrame = 1000 / mRefreshRate;
    mRegistry.SetDisplayFormat(PixelFormat::RGB888());

    if (!mScreenImage || mScreenImage->mWidth != mWidth || mScreenImage->mHeight != mHeight) {
        mScreenImage = std::make_unique<DDImage>(this);
        mScreenImage->Create(mWidth, mHeight);
        std::uint32_t* bits = mScreenImage->GetBits();
        std::fill(bits, bits + mScreenImage->GetPixelCount(), kOpaqueBlack);
        mScreenImage->BitsChanged();
        // The screen is a window's content: always opaque, which lets blits take their fast path.
        mScreenImage->SetImageMode(false, false);
    }
    mScreenImage->MarkAllDirty();
    return RESULT_OK;
}

void DDInterface::Cleanup()
{
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    mPresenter.reset();
    mWindow = nullptr;
}

bool DDInterface::Redraw(const Rect* clip)
{
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    if (!mPresenter || !mScreenImage)
        return false;
    std::optional<Rect> dirty = mScreenImage->GetDirtyRect();
    if (clip != nullptr) {
        const Rect part = clip->Intersection(Rect(0, 0, mWidth, mHeight));
        if (part.mWidth > 0 && part.mHeight > 0) {
            dirty = dirty ? dirty->Union(part) : part;
        }
    }
    // Nothing changed: present again without uploading anything.
    const Platform::Rectangle area =
        dirty ? Platform::Rectangle{dirty->mX, dirty->mY, dirty->mWidth, dirty->mHeight}
              : Platform::Rectangle{};
    const std::uint32_t* bits = mScreenImage->GetBits();
    const std::span<const std::uint32_t> pixels(bits, mScreenImage->GetPixelCount());
    if (!mPresenter->Present(pixels, mWidth, area))
        return false;
    mScreenImage->ClearDirtyRect();
    ++mPresentCount;
    return true;
}

void DDInterface::SetVSync(bool on)
{
    std::lock_guard<std::recursive_mutex> lock(GetLock());
    mVSync = on;
    if (mPresenter)
        (void)mPresenter->SetVSync(on);
}

bool DDInterface::SetCursorImage(Image* image)
{
    if (image == mCursorImage)
        return false;
    if (image == nullptr) {
        mCursorImage = nullptr;
        return true;
    }
    std::optional<Platform::CursorPicture> picture = ToCursorPicture(image);
    if (!picture || mWindow == nullptr || !mWindow->SetCursorPicture(*picture)) {
        // Unusable picture: the desktop's pointers stay in use.
        const bool changed = mCursorImage != nullptr;
        mCursorImage = nullptr;
        return changed;
    }
    mCursorImage = image;
    return true;
}

void DDInterface::SetCursorPos(int x, int y)
{
    mCursorX = x;
    mCursorY = y;
    mNextCursorX = x;
    mNextCursorY = y;
}

void DDInterface::SetNextCursorPos(int x, int y)
{
    mNextCursorX = x;
    mNextCursorY = y;
}

} // namespace Quill
