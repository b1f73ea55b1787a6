#pragma once

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageTimer.h"
#include "platform/Window.h"

namespace Quill::Platform {

class FakeBackend;
class FakePresenter;

// An in-memory window for tests: it keeps the state the program sets, lets
// the test script the pointer, and delivers timer ticks on the fake clock.
// State changes the program makes (minimise, show, full screen) produce no
// messages: a test scripts the messages a desktop would send. Destroy it
// before its FakeBackend.
class FakeWindow : public Window {
public:
    FakeWindow(FakeBackend& backend, const WindowConfig& config, Rectangle desktop);
    ~FakeWindow() override;
    FakeWindow(const FakeWindow&) = delete;
    FakeWindow& operator=(const FakeWindow&) = delete;

    void Show() override;
    void ShowWithoutActivation() override;
    void Hide() override;
    void Raise() override;
    void Restore() override;
    void Minimize() override;
    [[nodiscard]] bool IsVisible() const override { return mVisible; }
    [[nodiscard]] bool IsMinimized() const override { return mMinimized; }
    [[nodiscard]] bool HasKeyboardFocus() const override { return mFocused; }
    void SetTitle(const std::string& title) override { mTitle = title; }
    [[nodiscard]] std::string GetTitle() const override { return mTitle; }
    [[nodiscard]] bool SetFullScreen(bool fullScreen) override;
    [[nodiscard]] bool IsFullScreen() const override { return mFullScreen; }
    void SetPosition(Point position) override;
    [[nodiscard]] Rectangle GetClientRect() const override;
    [[nodiscard]] Rectangle GetPictureRect() const override;
    [[nodiscard]] Point GetPointerPosition() const override;
    [[nodiscard]] bool IsPointerInClient() const override { return mPointerInClient.load(); }
    void SetMouseCapture(bool captured) override;
    [[nodiscard]] bool HasMouseCapture() const override { return mCaptured; }
    void SetCursor(CursorKind kind) override;
    [[nodiscard]] bool SetCursorPicture(const CursorPicture& picture) override;
    void StartTimer(int timerId, int periodMs) override;
    void StopTimer(int timerId) override;

    // Test controls: where the pointer is (in picture coordinates) and
    // whether it is over the client area.
    void SetPointer(Point position, bool inClient);

    // Test inspection.
    [[nodiscard]] const WindowConfig& GetConfig() const { return mConfig; }
    // The standard pointer last set, or nothing while a picture is shown.
    [[nodiscard]] std::optional<CursorKind> GetCursor() const { return mCursor; }
    [[nodiscard]] const std::optional<CursorPicture>& GetCursorPicture() const { return mCursorPicture; }
    // How often the capture was switched on.
    [[nodiscard]] int GetCaptureCount() const { return mCaptureCount; }
    // How often the window was raised (Show and Raise both raise).
    [[nodiscard]] int GetRaiseCount() const { return mRaiseCount; }
    [[nodiscard]] bool IsTimerRunning(int timerId) const { return mTimers.count(timerId) != 0; }
    [[nodiscard]] int GetTimerPeriod(int timerId) const;

    // Used by FakeBackend: the next due timer tick, if any.
    [[nodiscard]] std::optional<int> TakeTimerTick(std::int64_t now);
    // Used by FakePresenter: presenters of this window fail once it is gone.
    void AttachPresenter(FakePresenter* presenter);
    void DetachPresenter(FakePresenter* presenter);

private:
    FakeBackend& mBackend;
    WindowConfig mConfig;
    Rectangle mDesktop;
    std::string mTitle;
    Point mPosition;
    bool mVisible = false;
    bool mMinimized = false;
    bool mFocused = false;
    bool mFullScreen = false;
    bool mCaptured = false;
    int mCaptureCount = 0;
    int mRaiseCount = 0;
    std::optional<CursorKind> mCursor = CursorKind::Pointer;
    std::optional<CursorPicture> mCursorPicture;
    std::atomic<int> mPointerX{0};
    std::atomic<int> mPointerY{0};
    std::atomic<bool> mPointerInClient{false};
    std::map<int, MessageTimer> mTimers;
    std::vector<FakePresenter*> mPresenters;
};

} // namespace Quill::Platform
