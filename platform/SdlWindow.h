#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>

#include "platform/MessageTimer.h"
#include "platform/ScreenMapping.h"
#include "platform/Window.h"

struct SDL_Window;

namespace Quill::Platform {

class SdlBackend;
class SdlPresenter;

// A window on the desktop through SDL. Made by SdlBackend::CreateWindow;
// destroy it before the backend.
class SdlWindow : public Window {
public:
    // Takes ownership of the SDL window.
    SdlWindow(SdlBackend& backend, SDL_Window* window, const WindowConfig& config);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    void Show() override;
    void ShowWithoutActivation() override;
    void Hide() override;
    void Raise() override;
    void Restore() override;
    void Minimize() override;
    [[nodiscard]] bool IsVisible() const override;
    [[nodiscard]] bool IsMinimized() const override;
    [[nodiscard]] bool HasKeyboardFocus() const override;
    void SetTitle(const std::string& title) override;
    [[nodiscard]] std::string GetTitle() const override;
    [[nodiscard]] bool SetFullScreen(bool fullScreen) override;
    [[nodiscard]] bool IsFullScreen() const override;
    void SetPosition(Point position) override;
    [[nodiscard]] Rectangle GetClientRect() const override;
    [[nodiscard]] Rectangle GetPictureRect() const override;
    [[nodiscard]] Point GetPointerPosition() const override;
    [[nodiscard]] bool IsPointerInClient() const override;
    void SetMouseCapture(bool captured) override;
    [[nodiscard]] bool HasMouseCapture() const override { return mCaptured; }
    void SetCursor(CursorKind kind) override;
    [[nodiscard]] bool SetCursorPicture(const CursorPicture& picture) override;
    void StartTimer(int timerId, int periodMs) override;
    void StopTimer(int timerId) override;

    // For the backend and the presenter.
    [[nodiscard]] SDL_Window* GetSdlWindow() const { return mWindow; }
    [[nodiscard]] std::uint32_t GetId() const { return mId; }
    [[nodiscard]] int GetPictureWidth() const { return mConfig.mWidth; }
    [[nodiscard]] int GetPictureHeight() const { return mConfig.mHeight; }
    // From window coordinates into the picture's.
    [[nodiscard]] ScreenMapping GetMapping() const;
    // Notes where the pointer is (picture coordinates), from a pointer event.
    void NotePointer(Point picturePosition);
    // Reads the pointer from SDL while it is over this window.
    void RefreshPointer();
    // The next due timer tick, if any.
    [[nodiscard]] std::optional<int> TakeTimerTick(std::int64_t now);
    // The presenter drawing into this window; it is told when the window goes.
    void AttachPresenter(SdlPresenter* presenter) { mPresenter = presenter; }
    void DetachPresenter(SdlPresenter* presenter);
    [[nodiscard]] SdlPresenter* GetPresenter() const { return mPresenter; }

private:
    SdlBackend& mBackend;
    SDL_Window* mWindow = nullptr;
    std::uint32_t mId = 0;
    WindowConfig mConfig;
    bool mCaptured = false;
    std::atomic<int> mPointerX{0};
    std::atomic<int> mPointerY{0};
    std::map<int, MessageTimer> mTimers;
    SdlPresenter* mPresenter = nullptr;
};

} // namespace Quill::Platform
