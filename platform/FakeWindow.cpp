#include "platform/FakeWindow.h"

#include <algorithm>

#include "platform/FakeBackend.h"
#include "platform/FakePresenter.h"
#include "platform/ScreenMapping.h"

namespace Quill::Platform {

FakeWindow::FakeWindow(FakeBackend& backend, const WindowConfig& config, Rectangle desktop)
    : mBackend(backend), mConfig(config), mDesktop(desktop), mTitle(config.mTitle),
      mFullScreen(config.mFullScreen)
{
    if (config.mPosition)
        mPosition = *config.mPosition;
    else
        mPosition = Point{desktop.mX + (desktop.mWidth - config.mWidth) / 2,
                          desktop.mY + (desktop.mHeight - config.mHeight) / 2};
    if (config.mVisible)
        Show();
    mBackend.RegisterWindow(this);
}

FakeWindow::~FakeWindow()
{
    for (FakePresenter* presenter : mPresenters)
        presenter->WindowGone();
    mBackend.UnregisterWindow(this);
}

void FakeWindow::Show()
{
    mVisible = true;
    mFocused = true;
    ++mRaiseCount;
}

void FakeWindow::ShowWithoutActivation()
{
    mVisible = true;
}

void FakeWindow::Hide()
{
    mVisible = false;
    mFocused = false;
}

void FakeWindow::Raise()
{
    mFocused = true;
    ++mRaiseCount;
}

void FakeWindow::Restore()
{
    mMinimized = false;
}

void FakeWindow::Minimize()
{
    mMinimized = true;
    mFocused = false;
}

bool FakeWindow::SetFullScreen(bool fullScreen)
{
    mFullScreen = fullScreen;
    return true;
}

void FakeWindow::SetPosition(Point position)
{
    mPosition = position;
}

Rectangle FakeWindow::GetClientRect() const
{
    if (mFullScreen)
        return mBackend.GetDesktopBounds();
    return Rectangle{mPosition.mX, mPosition.mY, mConfig.mWidth, mConfig.mHeight};
}

Rectangle FakeWindow::GetPictureRect() const
{
    const Rectangle client = GetClientRect();
    return ScreenMapping(mConfig.mWidth, mConfig.mHeight, client.mWidth, client.mHeight).GetPictureRect();
}

Point FakeWindow::GetPointerPosition() const
{
    return Point{mPointerX.load(), mPointerY.load()};
}

void FakeWindow::SetMouseCapture(bool captured)
{
    if (captured && !mCaptured)
        ++mCaptureCount;
    mCaptured = captured;
}

void FakeWindow::SetCursor(CursorKind kind)
{
    mCursor = kind;
    mCursorPicture.reset();
}

bool FakeWindow::SetCursorPicture(const CursorPicture& picture)
{
    if (!picture.IsValid())
        return false;
    mCursorPicture = picture;
    mCursor.reset();
    return true;
}

void FakeWindow::StartTimer(int timerId, int periodMs)
{
    mTimers.insert_or_assign(timerId, MessageTimer(timerId, periodMs, mBackend.GetClock().Now()));
}

void FakeWindow::StopTimer(int timerId)
{
    mTimers.erase(timerId);
}

void FakeWindow::SetPointer(Point position, bool inClient)
{
    mPointerX.store(position.mX);
    mPointerY.store(position.mY);
    mPointerInClient.store(inClient);
}

int FakeWindow::GetTimerPeriod(int timerId) const
{
    const auto it = mTimers.find(timerId);
    return it == mTimers.end() ? 0 : it->second.GetPeriod();
}

std::optional<int> FakeWindow::TakeTimerTick(std::int64_t now)
{
    for (auto& [id, timer] : mTimers) {
        if (timer.TakeTick(now))
            return id;
    }
    return std::nullopt;
}

void FakeWindow::AttachPresenter(FakePresenter* presenter)
{
    mPresenters.push_back(presenter);
}

void FakeWindow::DetachPresenter(FakePresenter* presenter)
{
    mPresenters.erase(std::remove(mPresenters.begin(), mPresenters.end(), presenter), mPresenters.end());
}

} // namespace Quill::Platform
