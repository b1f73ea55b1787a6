#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Presenter.h"

namespace Quill::Platform {

class FakeBackend;
class FakeWindow;

// An in-memory presenter for tests. It keeps its own copy of the picture and
// updates only the dirty part on each present, as a real texture would, so
// tests see exactly what would be on screen.
class FakePresenter : public Presenter {
public:
    FakePresenter(FakeBackend& backend, FakeWindow& window, const PresenterConfig& config);
    ~FakePresenter() override;
    FakePresenter(const FakePresenter&) = delete;
    FakePresenter& operator=(const FakePresenter&) = delete;

    [[nodiscard]] bool Present(std::span<const std::uint32_t> pixels, int strideInPixels,
                               const std::optional<Rectangle>& dirty) override;
    [[nodiscard]] bool IsAccelerated() const override { return mConfig.mAccelerated; }
    [[nodiscard]] bool SetVSync(bool on) override;
    [[nodiscard]] bool GetVSync() const override { return mConfig.mVSync; }
    [[nodiscard]] int GetRefreshRate() const override { return mRefreshRate; }

    // Test controls.
    void SetRefreshRate(int hz) { mRefreshRate = hz; }
    // The next count presents fail (the display is lost).
    void FailNextPresents(int count) { mFailuresLeft = count; }

    // Test inspection.
    [[nodiscard]] const PresenterConfig& GetConfig() const { return mConfig; }
    // Successful presents.
    [[nodiscard]] int GetPresentCount() const { return mPresentCount; }
    // The area uploaded by the last successful present.
    [[nodiscard]] Rectangle GetLastDirty() const { return mLastDirty; }
    // What is on screen, 0xAARRGGBB row by row, mWidth x mHeight.
    [[nodiscard]] const std::vector<std::uint32_t>& GetShownPixels() const { return mShown; }
    [[nodiscard]] std::uint32_t ShownAt(int x, int y) const;

    // Used by FakeWindow when it goes away.
    void WindowGone() { mWindow = nullptr; }

private:
    FakeBackend& mBackend;
    FakeWindow* mWindow = nullptr;
    PresenterConfig mConfig;
    int mRefreshRate = 60;
    int mFailuresLeft = 0;
    int mPresentCount = 0;
    Rectangle mLastDirty;
    std::vector<std::uint32_t> mShown;
};

} // namespace Quill::Platform
