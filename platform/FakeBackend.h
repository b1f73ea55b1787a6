#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "platform/FakeClock.h"

namespace Quill::Platform {

class FakePresenter;
class FakeWindow;

// The platform in memory, for tests: scripted clock and messages, recorded
// calls, scripted answers. Windows and presenters it makes are FakeWindow and
// FakePresenter and must be destroyed before it.
class FakeBackend : public Backend {
public:
    FakeBackend();
    ~FakeBackend() override;
    FakeBackend(const FakeBackend&) = delete;
    FakeBackend& operator=(const FakeBackend&) = delete;

    [[nodiscard]] Clock& GetClock() override { return mClock; }
    [[nodiscard]] bool HasDisplay() const override { return mHasDisplay; }
    [[nodiscard]] std::unique_ptr<Window> CreateWindow(const WindowConfig& config) override;
    [[nodiscard]] PresenterResult CreatePresenter(Window& window, const PresenterConfig& config) override;
    [[nodiscard]] std::string GetLastError() const override { return mLastError; }
    [[nodiscard]] std::optional<WindowMessage> PollMessage() override;
    [[nodiscard]] Rectangle GetDesktopWorkArea() const override { return mWorkArea; }
    [[nodiscard]] Rectangle GetDesktopBounds() const override { return mDesktop; }
    [[nodiscard]] std::string GetClipboardText() override { return mClipboard; }
    [[nodiscard]] bool SetClipboardText(const std::string& text) override;
    [[nodiscard]] bool OpenURL(const std::string& url) override;
    MessageBoxAnswer ShowMessageBox(const MessageBoxRequest& request, Window* parent) override;
    bool SetCurrentThreadPriority(ThreadPriority priority) override;
    void DebugOutput(std::string_view text) override;
    [[nodiscard]] ScreenSaverState GetScreenSaverState() const override { return mScreenSaver; }

    // The scripted clock.
    [[nodiscard]] FakeClock& GetFakeClock() { return mClock; }

    // Scripted messages: delivered in order once the clock has reached their
    // time (QueueMessage: at once), before any timer tick.
    void QueueMessage(const WindowMessage& message);
    void QueueMessageAt(std::int64_t time, const WindowMessage& message);
    [[nodiscard]] std::size_t GetQueuedMessageCount() const { return mScripted.size(); }

    // Scripted outcomes.
    void SetHasDisplay(bool hasDisplay) { mHasDisplay = hasDisplay; }
    void SetDesktop(Rectangle bounds, Rectangle workArea);
    // The next CreateWindow fails with this text.
    void FailNextWindow(const std::string& error);
    // Outcomes of the next CreatePresenter calls, in order; once used up,
    // presenters are made successfully.
    void QueuePresenterOutcome(PresenterStatus status, const std::string& error = {});
    void SetOpenURLResult(bool result) { mOpenURLResult = result; }
    // Answers of the next message boxes, in order; once used up, the default
    // (first) button answers.
    void QueueMessageBoxAnswer(MessageBoxAnswer answer);
    void SetScreenSaverState(const ScreenSaverState& state) { mScreenSaver = state; }
    void SetThreadPriorityResult(bool result) { mPriorityResult = result; }

    // Recorded calls.
    [[nodiscard]] const std::vector<std::string>& GetOpenedURLs() const { return mOpenedURLs; }
    [[nodiscard]] const std::vector<MessageBoxRequest>& GetMessageBoxes() const { return mMessageBoxes; }
    [[nodiscard]] std::vector<ThreadPriority> GetPriorityRequests() const;
    [[nodiscard]] std::vector<std::string> GetDebugOutput() const;
    [[nodiscard]] int GetWindowsCreated() const { return mWindowsCreated; }
    // The live windows, oldest first, and the newest live window and presenter.
    [[nodiscard]] const std::vector<FakeWindow*>& GetWindows() const { return mWindows; }
    [[nodiscard]] FakeWindow* GetLastWindow() const;
    [[nodiscard]] FakePresenter* GetLastPresenter() const { return mLastPresenter; }

    // Used by FakeWindow and FakePresenter.
    void RegisterWindow(FakeWindow* window);
    void UnregisterWindow(FakeWindow* window);
    void ForgetPresenter(FakePresenter* presenter);

private:
    FakeClock mClock;
    bool mHasDisplay = true;
    Rectangle mDesktop{0, 0, 1920, 1080};
    Rectangle mWorkArea{0, 32, 1920, 1048};
    std::string mLastError;
    // Scripted messages by due time; equal times keep their order.
    std::multimap<std::int64_t, WindowMessage> mScripted;
    std::optional<std::string> mWindowFailure;
    std::deque<std::pair<PresenterStatus, std::string>> mPresenterOutcomes;
    bool mOpenURLResult = true;
    std::deque<MessageBoxAnswer> mAnswers;
    ScreenSaverState mScreenSaver;
    bool mPriorityResult = true;
    std::string mClipboard;
    std::vector<std::string> mOpenedURLs;
    std::vector<MessageBoxRequest> mMessageBoxes;
    // Written from any thread.
    mutable std::mutex mThreadSafeMutex;
    std::vector<ThreadPriority> mPriorityRequests;
    std::vector<std::string> mDebugOutput;
    int mWindowsCreated = 0;
    std::vector<FakeWindow*> mWindows;
    FakePresenter* mLastPresenter = nullptr;
};

} // namespace Quill::Platform
