#pragma once

#include "platform/Presenter.h"

struct SDL_Renderer;
struct SDL_Texture;

namespace Quill::Platform {

class SdlWindow;

// Presents the picture through an SDL renderer (accelerated or software) and
// a streaming texture of the picture's size; the window shows it scaled to
// fit with its aspect kept and black bars around. A window has at most one
// presenter at a time: destroy the old one before making another.
class SdlPresenter : public Presenter {
public:
    // Use Make.
    SdlPresenter(SdlWindow& window, const PresenterConfig& config, SDL_Renderer* renderer,
                 SDL_Texture* texture);
    ~SdlPresenter() override;
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    // A presenter for the window, or why there is none.
    [[nodiscard]] static PresenterResult Make(SdlWindow& window, const PresenterConfig& config);

    [[nodiscard]] bool Present(std::span<const std::uint32_t> pixels, int strideInPixels,
                               const std::optional<Rectangle>& dirty) override;
    [[nodiscard]] bool IsAccelerated() const override { return mAccelerated; }
    [[nodiscard]] bool SetVSync(bool on) override;
    [[nodiscard]] bool GetVSync() const override { return mConfig.mVSync; }
    [[nodiscard]] int GetRefreshRate() const override;

    // The graphics device was reset: the texture is gone, every later present
    // fails until a new presenter is made.
    void MarkLost() { mLost = true; }
    // The window is being destroyed: let go of everything tied to it.
    void WindowGone();

private:
    void Release();

    SdlWindow* mWindow = nullptr;
    PresenterConfig mConfig;
    SDL_Renderer* mRenderer = nullptr;
    SDL_Texture* mTexture = nullptr;
    bool mLost = false;
    // The renderer runs on the graphics card.
    bool mAccelerated = false;
    // Whether the texture is currently drawn with smoothing (scaled) or not.
    std::optional<bool> mSmoothing;
};

} // namespace Quill::Platform
