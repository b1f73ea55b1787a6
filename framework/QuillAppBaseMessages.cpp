// Window messages of the application: what is handled as it arrives, the
// deferred queue and its routing into the widget manager, focus, the cursor
// choice and the outcome of opening a web address.
#include <algorithm>

#include "framework/QuillAppBase.h"
#include "framework/WidgetManager.h"
#include "graphics/DDInterface.h"
#include "platform/Backend.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"

namespace Quill {

namespace {

using Platform::MessageKind;

// Wheel rotation of one notch.
constexpr int kWheelNotch = 120;
// A timer gap longer than this starts a new continuous run.
constexpr std::uint32_t kTimerGap = 500;
// The URL outcome is decided only after the timer has run this long without a gap.
constexpr std::uint32_t kURLContinuousRun = 5000;
// Inactive this long after the request: the browser came up. Still active this long: it did not.
constexpr std::uint32_t kURLOpenedAfter = 8000;
constexpr std::uint32_t kURLFailedAfter = 12000;

// Messages that go through the deferred queue.
bool IsDeferred(MessageKind kind)
{
    switch (kind) {
    case MessageKind::KeyDown:
    case MessageKind::KeyUp:
    case MessageKind::Char:
    case MessageKind::SysKeyDown:
    case MessageKind::SysKeyUp:
    case MessageKind::MouseMove:
    case MessageKind::LeftButtonDown:
    case MessageKind::LeftButtonUp:
    case MessageKind::LeftButtonDoubleClick:
    case MessageKind::RightButtonDown:
    case MessageKind::RightButtonUp:
    case MessageKind::RightButtonDoubleClick:
    case MessageKind::MiddleButtonDown:
    case MessageKind::MiddleButtonUp:
    case MessageKind::MouseWheel:
    case MessageKind::Move:
    case MessageKind::Size:
    case MessageKind::Activate:
    case MessageKind::Close:
    case MessageKind::Timer:
        return true;
    case MessageKind::SysChar:
    case MessageKind::Paint:
    case MessageKind::EndSession:
        return false;
    }
    return false;
}

bool IsMouseMessage(MessageKind kind)
{
    switch (kind) {
    case MessageKind::MouseMove:
    case MessageKind::LeftButtonDown:
    case MessageKind::LeftButtonUp:
    case MessageKind::LeftButtonDoubleClick:
    case MessageKind::RightButtonDown:
    case MessageKind::RightButtonUp:
    case MessageKind::RightButtonDoubleClick:
    case MessageKind::MiddleButtonDown:
    case MessageKind::MiddleButtonUp:
        return true;
    default:
        return false;
    }
}

} // namespace

void QuillAppBase::HandleWindowMessage(const Platform::WindowMessage& message)
{
    switch (message.mKind) {
    case MessageKind::Paint:
        if (mInitialized && !mHidden && mLoopStarted)
            Redraw(nullptr);
        return;
    case MessageKind::EndSession:
        Shutdown();
        return;
    case MessageKind::SysChar:
        // Characters typed with Alt that the program uses are swallowed; the rest
        // are the system's (nothing to do here).
        return;
    case MessageKind::Activate:
        if (!mPlayingDemo)
            mActive = message.mActive;
        break;
    default:
        break;
    }

    if (IsDeferred(message.mKind) && !mInPopup) {
        const bool closed =
            !mDeferredMessages.empty() && mDeferredMessages.back().mKind == MessageKind::Close;
        if (!closed)
            mDeferredMessages.push_back(message);
    }

    if (message.mKind == MessageKind::SysKeyDown) {
        if (message.mCode == Platform::VK_RETURN) {
            // Keys held a moment too long repeat: one press is one switch.
            if (!mForceFullscreen && !mForceWindowed && !message.mRepeat)
                SwitchScreenMode(!mIsWindowed);
        } else if (message.mCode == Platform::VK_F4) {
            // Alt+F4 closes, as the system's own handling of it would.
            HandleWindowMessage(Platform::WindowMessage::Simple(MessageKind::Close));
        }
        // Every other system key is swallowed.
    }
}

void QuillAppBase::ProcessDeferredMessages()
{
    while (!mDeferredMessages.empty()) {
        const Platform::WindowMessage message = mDeferredMessages.front();
        mDeferredMessages.pop_front();
        // Demo recording writes a record of each message here, before it is acted on.
        if (mPlayingDemo && message.mKind != MessageKind::Close)
            continue;
        ProcessDeferredMessage(message);
    }
}

void QuillAppBase::ProcessDeferredMessage(const Platform::WindowMessage& message)
{
    WidgetManager* manager = mWidgetManager.get();
    switch (message.mKind) {
    case MessageKind::Char:
        mLastUserInputTick = mLastTimerTick;
        if (manager)
            manager->KeyChar(static_cast<char32_t>(message.mCode));
        return;
    case MessageKind::KeyDown:
    case MessageKind::SysKeyDown:
        mLastUserInputTick = mLastTimerTick;
        if (manager)
            manager->KeyDown(message.mCode);
        return;
    case MessageKind::KeyUp:
    case MessageKind::SysKeyUp:
        if (manager)
            manager->KeyUp(message.mCode);
        return;
    case MessageKind::Move:
        if (mIsPhysWindowed && mMainWnd && mMainWnd->IsVisible() && !mMainWnd->IsMinimized()) {
            mPreferredX = message.mX;
            mPreferredY = message.mY;
        }
        return;
    case MessageKind::Size:
        if (mShutdown)
            return;
        if (message.mMinimized != mMinimized) {
            mMinimized = message.mMinimized;
            if (mMinimized) {
                if (mMuteOnLostFocus)
                    Mute(true);
            } else {
                if (mMuteOnLostFocus)
                    Unmute(true);
                if (manager)
                    manager->MarkAllDirty();
            }
        }
        RehupFocus();
        return;
    case MessageKind::Activate:
        if (mHidden || mShutdown)
            return;
        RehupFocus();
        if (mActive && !mIsPhysWindowed && manager)
            manager->MarkAllDirty();
        if (!mActive && mURLPending)
            URLOpenSucceeded(mPendingURL);
        return;
    case MessageKind::Timer:
        if (message.mTimerId == kTimerId && mLoopStarted && !mHidden)
            ProcessTimerTick();
        return;
    case MessageKind::MouseWheel:
        if (manager)
            manager->MouseWheel(message.mWheelDelta / kWheelNotch);
        return;
    case MessageKind::Close:
        mCloseRequest = true;
        Shutdown();
        return;
    default:
        break;
    }

    if (!IsMouseMessage(message.mKind) || mHidden || !manager)
        return;
    const int x = message.mX;
    const int y = message.mY;
    mLastUserInputTick = mLastTimerTick;
    manager->MouseMove(x, y);
    if (!mMouseIn) {
        mMouseIn = true;
        EnforceCursor();
    }
    auto press = [&](int clickCount) {
        if (mMainWnd)
            mMainWnd->SetMouseCapture(true);
        manager->MouseDown(x, y, clickCount);
    };
    auto release = [&](int clickCount) {
        manager->MouseUp(x, y, clickCount);
        if (mMainWnd && manager->mActualDownButtons == 0)
            mMainWnd->SetMouseCapture(false);
    };
    switch (message.mKind) {
    case MessageKind::LeftButtonDown:
        press(1);
        break;
    case MessageKind::LeftButtonDoubleClick:
        press(2);
        break;
    case MessageKind::RightButtonDown:
        press(-1);
        break;
    case MessageKind::RightButtonDoubleClick:
        press(-2);
        break;
    case MessageKind::MiddleButtonDown:
        press(3);
        break;
    case MessageKind::LeftButtonUp:
        release(1);
        break;
    case MessageKind::RightButtonUp:
        release(-1);
        break;
    case MessageKind::MiddleButtonUp:
        release(3);
        break;
    default:
        break;
    }
}

void QuillAppBase::ProcessTimerTick()
{
    const std::uint32_t tick = GetTickCount();
    if (tick - mLastTimerTick > kTimerGap)
        mContinuousTimerStart = tick;
    mLastTimerTick = tick;

    if (mURLPending && tick - mContinuousTimerStart > kURLContinuousRun) {
        const std::uint32_t sinceRequest = tick - mURLOpenTick;
        if (sinceRequest > kURLOpenedAfter && !mActive)
            URLOpenSucceeded(mPendingURL);
        else if (sinceRequest > kURLFailedAfter && mActive)
            URLOpenFailed(mPendingURL);
    }

    const bool inside = mMainWnd && mMainWnd->IsPointerInClient();
    if (inside == mMouseIn)
        return;
    // Demo recording writes an enter or leave record here.
    if (!inside && mWidgetManager && mMainWnd) {
        const Platform::Point pointer = mMainWnd->GetPointerPosition();
        mWidgetManager->MouseExit(pointer.mX, pointer.mY);
    }
    mMouseIn = inside;
    EnforceCursor();
}

void QuillAppBase::RehupFocus()
{
    const bool hasFocus = mActive && !mMinimized;
    if (hasFocus == mHasFocus)
        return;
    mHasFocus = hasFocus;
    if (hasFocus) {
        if (mMuteOnLostFocus)
            Unmute(true);
        if (mWidgetManager)
            mWidgetManager->GotFocus();
        GotFocus();
        return;
    }
    if (mMuteOnLostFocus)
        Mute(true);
    if (mWidgetManager)
        mWidgetManager->LostFocus();
    LostFocus();
    if (mMainWnd)
        mMainWnd->SetMouseCapture(false);
    if (mWidgetManager && mWidgetManager->mLastDownWidget != nullptr)
        mWidgetManager->ReleaseDownButtons();
}

void QuillAppBase::SetCursor(int cursorNum)
{
    mCursorNum = cursorNum;
    EnforceCursor();
}

void QuillAppBase::SetCursorImage(int cursorNum, Image* image)
{
    if (cursorNum < 0 || cursorNum >= NUM_CURSORS)
        return;
    mCustomCursorImages[static_cast<std::size_t>(cursorNum)] = image;
    EnforceCursor();
}

void QuillAppBase::EnforceCursor()
{
    if (!mWidgetManager || !mMainWnd)
        return;
    auto clearPicture = [this] {
        if (mDDInterface && mDDInterface->SetCursorImage(nullptr))
            mForceRedraw = true;
    };
    if (mHidden || !mMouseIn) {
        clearPicture();
        mMainWnd->SetCursor(Platform::CursorKind::Pointer);
        mSysCursorShown = true;
        return;
    }
    Image* picture = mCursorNum >= 0 && mCursorNum < NUM_CURSORS
                         ? mCustomCursorImages[static_cast<std::size_t>(mCursorNum)]
                         : nullptr;
    if (picture != nullptr && (mCustomCursorsEnabled || mPlayingDemo) && mDDInterface) {
        if (mDDInterface->SetCursorImage(picture))
            mForceRedraw = true;
        if (mDDInterface->GetCursorImage() == picture) {
            mSysCursorShown = false;
            return;
        }
    }
    clearPicture();
    int kind = mOverrideCursor >= 0 ? mOverrideCursor : mCursorNum;
    if (kind < 0 || kind >= NUM_CURSORS)
        kind = CURSOR_POINTER;
    mMainWnd->SetCursor(static_cast<Platform::CursorKind>(kind));
    mSysCursorShown = kind != CURSOR_NONE;
}

bool QuillAppBase::OpenURL(const std::string& url, bool shutdownOnOpen)
{
    if (mURLPending && url == mPendingURL)
        return true;
    mURLPending = true;
    mPendingURL = url;
    mShutdownOnURLOpen = shutdownOnOpen;
    mURLOpenTick = GetTickCount();
    if (mPlatform->OpenURL(url))
        return true;
    URLOpenFailed(url);
    return false;
}

void QuillAppBase::URLOpenFailed(const std::string& /*url*/)
{
    mURLPending = false;
}

void QuillAppBase::URLOpenSucceeded(const std::string& /*url*/)
{
    mURLPending = false;
    if (mShutdownOnURLOpen)
        Shutdown();
}

} // namespace Quill
