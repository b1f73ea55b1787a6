#include "platform/FakeBackend.h"

#include <algorithm>

#include "platform/FakePresenter.h"
#include "platform/FakeWindow.h"

namespace Quill::Platform {

FakeBackend::FakeBackend() = default;

FakeBackend::~FakeBackend() = default;

std::unique_ptr<Window> FakeBackend::CreateWindow(const WindowConfig& config)
{
    if (mWindowFailure) {
        mLastError = *mWindowFailure;
        mWindowFailure.reset();
        return nullptr;
    }
    if (config.mWidth <= 0 || config.mHeight <= 0) {
        mLastError = "window size must be positive";
        return nullptr;
    }
    ++mWindowsCreated;
    return std::make_unique<FakeWindow>(*this, config, mWorkArea);
}

PresenterResult FakeBackend::CreatePresenter(Window& window, const PresenterConfig& config)
{
    PresenterResult result;
    if (!mPresenterOutcomes.empty()) {
        const auto [status, error] = mPresenterOutcomes.front();
        mPresenterOutcomes.pop_front();
        if (status != PresenterStatus::Ok) {
            result.mStatus = status;
            result.mError = error;
            mLastError = error;
            return result;
        }
    }
    auto* fakeWindow = dynamic_cast<FakeWindow*>(&window);
    if (!fakeWindow || config.mWidth <= 0 || config.mHeight <= 0) {
        result.mError = mLastError = "not a window of this backend, or an empty picture";
        return result;
    }
    auto presenter = std::make_unique<FakePresenter>(*this, *fakeWindow, config);
    mLastPresenter = presenter.get();
    result.mPresenter = std::move(presenter);
    result.mStatus = PresenterStatus::Ok;
    return result;
}

std::optional<WindowMessage> FakeBackend::PollMessage()
{
    const std::int64_t now = mClock.Now();
    if (!mScripted.empty() && mScripted.begin()->first <= now) {
        const WindowMessage message = mScripted.begin()->second;
        mScripted.erase(mScripted.begin());
        return message;
    }
    for (FakeWindow* window : mWindows) {
        if (const std::optional<int> id = window->TakeTimerTick(now))
            return WindowMessage::TimerTick(*id);
    }
    return std::nullopt;
}

bool FakeBackend::SetClipboardText(const std::string& text)
{
    mClipboard = text;
    return true;
}

bool FakeBackend::OpenURL(const std::string& url)
{
    mOpenedURLs.push_back(url);
    return mOpenURLResult;
}

MessageBoxAnswer FakeBackend::ShowMessageBox(const MessageBoxRequest& request, Window* /*parent*/)
{
    mMessageBoxes.push_back(request);
    if (mAnswers.empty())
        return DefaultAnswer(request.mButtons);
    const MessageBoxAnswer answer = mAnswers.front();
    mAnswers.pop_front();
    return answer;
}

bool FakeBackend::SetCurrentThreadPriority(ThreadPriority priority)
{
    const std::lock_guard lock(mThreadSafeMutex);
    mPriorityRequests.push_back(priority);
    return mPriorityResult;
}

void FakeBackend::DebugOutput(std::string_view text)
{
    const std::lock_guard lock(mThreadSafeMutex);
    mDebugOutput.emplace_back(text);
}

void FakeBackend::QueueMessage(const WindowMessage& message)
{
    mScripted.emplace(mClock.Now(), message);
}

void FakeBackend::QueueMessageAt(std::int64_t time, const WindowMessage& message)
{
    mScripted.emplace(time, message);
}

void FakeBackend::SetDesktop(Rectangle bounds, Rectangle workArea)
{
    mDesktop = bounds;
    mWorkArea = workArea;
}

void FakeBackend::FailNextWindow(const std::string& error)
{
    mWindowFailure = error;
}

void FakeBackend::QueuePresenterOutcome(PresenterStatus status, const std::string& error)
{
    mPresenterOutcomes.emplace_back(status, error);
}

void FakeBackend::QueueMessageBoxAnswer(MessageBoxAnswer answer)
{
    mAnswers.push_back(answer);
}

std::vector<ThreadPriority> FakeBackend::GetPriorityRequests() const
{
    const std::lock_guard lock(mThreadSafeMutex);
    return mPriorityRequests;
}

std::vector<std::string> FakeBackend::GetDebugOutput() const
{
    const std::lock_guard lock(mThreadSafeMutex);
    return mDebugOutput;
}

FakeWindow* FakeBackend::GetLastWindow() const
{
    return mWindows.empty() ? nullptr : mWindows.back();
}

void FakeBackend::RegisterWindow(FakeWindow* window)
{
    mWindows.push_back(window);
}

void FakeBackend::UnregisterWindow(FakeWindow* window)
{
    mWindows.erase(std::remove(mWindows.begin(), mWindows.end(), window), mWindows.end());
}

void FakeBackend::ForgetPresenter(FakePresenter* presenter)
{
    if (mLastPresenter == presenter)
        mLastPresenter = nullptr;
}

} // namespace Quill::Platform
