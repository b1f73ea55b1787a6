#include "platform/SdlPresenter.h"

#include <SDL.h>

#include <algorithm>

#include "platform/ScreenMapping.h"
#include "platform/SdlWindow.h"

namespace Quill::Platform {

namespace {

constexpr int kFallbackRefreshRate = 60;
constexpr int kBytesPerPixel = 4;

} // namespace

SdlPresenter::SdlPresenter(SdlWindow& window, const PresenterConfig& config, SDL_Renderer* renderer,
                           SDL_Texture* texture)
    : mWindow(&window), mConfig(config), mRenderer(renderer), mTexture(texture)
{
    SDL_RendererInfo info{};
    mAccelerated = SDL_GetRendererInfo(mRenderer, &info) == 0 && (info.flags & SDL_RENDERER_ACCELERATED) != 0;
    mWindow->AttachPresenter(this);
}

SdlPresenter::~SdlPresenter()
{
    if (mWindow)
        mWindow->DetachPresenter(this);
    Release();
}

PresenterResult SdlPresenter::Make(SdlWindow& window, const PresenterConfig& config)
{
    PresenterResult result;
    if (config.mWidth <= 0 || config.mHeight <= 0) {
        result.mError = "The picture has no pixels.";
        return result;
    }
    if (window.GetPresenter()) {
        result.mError = "The window already has a presenter.";
        return result;
    }
    Uint32 flags = config.mAccelerated ? SDL_RENDERER_ACCELERATED : SDL_RENDERER_SOFTWARE;
    if (config.mVSync)
        flags |= SDL_RENDERER_PRESENTVSYNC;
    SDL_Renderer* renderer = SDL_CreateRenderer(window.GetSdlWindow(), -1, flags);
    if (!renderer) {
        result.mStatus = config.mAccelerated ? PresenterStatus::AcceleratedFailed : PresenterStatus::Failed;
        result.mError = SDL_GetError();
        return result;
    }
    // The picture's alpha byte means nothing on screen: an XRGB texture
    // copied without blending ignores it.
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                             config.mWidth, config.mHeight);
    if (!texture || SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE) != 0) {
        result.mStatus = config.mAccelerated ? PresenterStatus::AcceleratedFailed : PresenterStatus::Failed;
        result.mError = SDL_GetError();
        if (texture)
            SDL_DestroyTexture(texture);
        SDL_DestroyRenderer(renderer);
        return result;
    }
    result.mPresenter = std::make_unique<SdlPresenter>(window, config, renderer, texture);
    result.mStatus = PresenterStatus::Ok;
    return result;
}

bool SdlPresenter::Present(std::span<const std::uint32_t> pixels, int strideInPixels,
                           const std::optional<Rectangle>& dirty)
{
    if (mLost || !mRenderer || !mTexture)
        return false;
    const int width = mConfig.mWidth;
    const int height = mConfig.mHeight;
    if (strideInPixels < width ||
        pixels.size() < static_cast<std::size_t>(strideInPixels) * static_cast<std::size_t>(height - 1) +
                            static_cast<std::size_t>(width))
        return false;

    SDL_Rect area{0, 0, width, height};
    if (dirty) {
        const int left = std::max(dirty->mX, 0);
        const int top = std::max(dirty->mY, 0);
        const int right = std::min(dirty->mX + dirty->mWidth, width);
        const int bottom = std::min(dirty->mY + dirty->mHeight, height);
        area = SDL_Rect{left, top, right - left, bottom - top};
    }
    if (area.w > 0 && area.h > 0) {
        const std::uint32_t* first =
            pixels.data() + static_cast<std::ptrdiff_t>(area.y) * strideInPixels + area.x;
        if (SDL_UpdateTexture(mTexture, &area, first, strideInPixels * kBytesPerPixel) != 0)
            return false;
    }

    int outputWidth = 0;
    int outputHeight = 0;
    if (SDL_GetRendererOutputSize(mRenderer, &outputWidth, &outputHeight) != 0)
        return false;
    const ScreenMapping mapping(width, height, outputWidth, outputHeight);
    const Rectangle picture = mapping.GetPictureRect();
    // Smooth only when scaling, and only on the graphics card: at its own size
    // the picture stays pixel-exact, and the software renderer's smooth
    // scaling costs about four times its plain one (several milliseconds a
    // frame on a large display).
    const bool smoothing = !mapping.IsOneToOne() && mAccelerated;
    if (mSmoothing != smoothing) {
        SDL_SetTextureScaleMode(mTexture, smoothing ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
        mSmoothing = smoothing;
    }
    if (picture.mWidth != outputWidth || picture.mHeight != outputHeight) {
        SDL_SetRenderDrawColor(mRenderer, 0, 0, 0, SDL_ALPHA_OPAQUE);
        if (SDL_RenderClear(mRenderer) != 0)
            return false;
    }
    const SDL_Rect target{picture.mX, picture.mY, picture.mWidth, picture.mHeight};
    if (SDL_RenderCopy(mRenderer, mTexture, nullptr, &target) != 0)
        return false;
    SDL_RenderPresent(mRenderer);
    return !mLost;
}

bool SdlPresenter::SetVSync(bool on)
{
    if (!mRenderer || SDL_RenderSetVSync(mRenderer, on ? 1 : 0) != 0)
        return false;
    mConfig.mVSync = on;
    return true;
}

int SdlPresenter::GetRefreshRate() const
{
    if (!mWindow)
        return kFallbackRefreshRate;
    SDL_DisplayMode mode{};
    if (SDL_GetWindowDisplayMode(mWindow->GetSdlWindow(), &mode) == 0 && mode.refresh_rate > 0)
        return mode.refresh_rate;
    const int display = SDL_GetWindowDisplayIndex(mWindow->GetSdlWindow());
    if (display >= 0 && SDL_GetDesktopDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0)
        return mode.refresh_rate;
    return kFallbackRefreshRate;
}

void SdlPresenter::WindowGone()
{
    Release();
    mWindow = nullptr;
    mLost = true;
}

void SdlPresenter::Release()
{
    if (mTexture)
        SDL_DestroyTexture(mTexture);
    if (mRenderer)
        SDL_DestroyRenderer(mRenderer);
    mTexture = nullptr;
    mRenderer = nullptr;
}

} // namespace Quill::Platform
