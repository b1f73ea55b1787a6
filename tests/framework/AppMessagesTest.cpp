// Window messages on the fake platform: the deferred queue and what it refuses,
// routing into the widget manager with the click-count convention, focus and
// muting, the pointer leaving the window, cursors, popups, Alt keys and URLs.
#include <gtest/gtest.h>

#include <algorithm>

#include "graphics/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "platform/SingleInstance.h"
#include "platform/VirtualKeys.h"
#include "tests/framework/AppTestSupport.h"

namespace QuillTest {
namespace {

using Quill::Platform::MessageKind;
using Quill::Platform::WindowMessage;

class AppMessagesTest : public AppFixtureBase, public testing::Test {
protected:
    // Delivers and replays at once.
    void Send(const WindowMessage& message)
    {
        Deliver(message);
        mApp->ProcessDeferredMessages();
    }
    [[nodiscard]] bool Logged(const std::string& entry) const
    {
        return std::find(mLog.begin(), mLog.end(), entry) != mLog.end();
    }
};

TEST_F(AppMessagesTest, FloodOfInputIsReplayedInArrivalOrder)
{
    TestApp& app = StartApp();
    ClickProbe& probe = AddProbe("p", 0, 0, 800, 600, true);
    (void)probe;
    mLog.clear();
    std::vector<std::string> expected;
    for (int i = 0; i < 600; ++i) {
        switch (i % 3) {
        case 0:
            mPlatform.QueueMessage(WindowMessage::Key(MessageKind::KeyDown, 65 + i % 26));
            expected.push_back("p keydown " + std::to_string(65 + i % 26));
            break;
        case 1:
            mPlatform.QueueMessage(WindowMessage::Key(MessageKind::Char, 97 + i % 26));
            expected.push_back("p char " + std::to_string(97 + i % 26));
            break;
        default:
            mPlatform.QueueMessage(WindowMessage::Mouse(MessageKind::MouseMove, i % 800, i / 3));
            expected.push_back("p move " + std::to_string(i % 800) + "," + std::to_string(i / 3));
            break;
        }
    }
    mPlatform.QueueMessage(WindowMessage::Simple(MessageKind::Close));
    EXPECT_TRUE(app.RunMessageLoop(-1));

    std::vector<std::string> got;
    std::copy_if(mLog.begin(), mLog.end(), std::back_inserter(got), [](const std::string& entry) {
        return entry.rfind("p keydown", 0) == 0 || entry.rfind("p char", 0) == 0 ||
               entry.rfind("p move", 0) == 0;
    });
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(app.mShutdown);
    EXPECT_TRUE(app.mCloseRequest);
}

TEST_F(AppMessagesTest, NothingIsQueuedAfterAClose)
{
    TestApp& app = StartApp();
    AddProbe("p", 0, 0, 800, 600, true);
    mLog.clear();
    Deliver(WindowMessage::Key(MessageKind::KeyDown, 'A'));
    Deliver(WindowMessage::Simple(MessageKind::Close));
    Deliver(WindowMessage::Key(MessageKind::KeyDown, 'B'));
    Deliver(WindowMessage::Mouse(MessageKind::LeftButtonDown, 5, 5));
    Deliver(WindowMessage::Simple(MessageKind::Close));
    ASSERT_EQ(app.GetDeferredMessages().size(), 2u);
    EXPECT_EQ(app.GetDeferredMessages().back().mKind, MessageKind::Close);

    app.ProcessDeferredMessages();
    EXPECT_TRUE(app.mShutdown);
    EXPECT_TRUE(Logged("p keydown 65"));
    EXPECT_FALSE(Logged("p keydown 66"));
    EXPECT_EQ(std::count_if(mLog.begin(), mLog.end(),
                            [](const std::string& e) { return e.rfind("p down", 0) == 0; }),
              0);
}

TEST_F(AppMessagesTest, PopupKeepsInputFromTheWidgets)
{
    TestApp& app = StartApp();
    AddProbe("p", 0, 0, 800, 600, true);
    Send(WindowMessage::Key(MessageKind::KeyDown, 'K'));
    EXPECT_TRUE(app.mWidgetManager->IsKeyDown('K'));
    mLog.clear();

    app.BeginPopup();
    Deliver(WindowMessage::Key(MessageKind::KeyDown, 'Q'));
    Deliver(WindowMessage::Mouse(MessageKind::LeftButtonDown, 10, 10));
    EXPECT_TRUE(app.GetDeferredMessages().empty());
    app.mTimeAcc = 400.0;
    app.EndPopup();
    // Keys held before the box are forgotten, and the time it was up is not caught up.
    EXPECT_FALSE(app.mWidgetManager->IsKeyDown('K'));
    EXPECT_DOUBLE_EQ(app.mTimeAcc, 0.0);
    app.ProcessDeferredMessages();
    EXPECT_TRUE(mLog.empty());

    // After a box in windowed mode, input flows again.
    EXPECT_EQ(app.MsgBox("Hello", "Title", Quill::MSGBOX_OK), Quill::MSGBOX_ANSWER_OK);
    EXPECT_FALSE(app.mInPopup);
    Send(WindowMessage::Key(MessageKind::KeyDown, 'Z'));
    EXPECT_TRUE(Logged("p keydown 90"));
}

TEST_F(AppMessagesTest, ButtonsBecomeClickCounts)
{
    TestApp& app = StartApp();
    ClickProbe& probe = AddProbe("p", 100, 100, 200, 200);
    Send(WindowMessage::Mouse(MessageKind::LeftButtonDown, 110, 120));
    EXPECT_TRUE(Window()->HasMouseCapture());
    Send(WindowMessage::Mouse(MessageKind::LeftButtonUp, 110, 120));
    EXPECT_FALSE(Window()->HasMouseCapture());
    Send(WindowMessage::Mouse(MessageKind::LeftButtonDoubleClick, 110, 120));
    Send(WindowMessage::Mouse(MessageKind::LeftButtonUp, 110, 120));
    Send(WindowMessage::Mouse(MessageKind::RightButtonDown, 111, 121));
    Send(WindowMessage::Mouse(MessageKind::RightButtonUp, 111, 121));
    Send(WindowMessage::Mouse(MessageKind::RightButtonDoubleClick, 111, 121));
    Send(WindowMessage::Mouse(MessageKind::MiddleButtonDown, 112, 122));
    // The middle button is still held: the capture stays until the last button goes up.
    Send(WindowMessage::Mouse(MessageKind::RightButtonUp, 112, 122));
    EXPECT_TRUE(Window()->HasMouseCapture());
    Send(WindowMessage::Mouse(MessageKind::MiddleButtonUp, 112, 122));
    EXPECT_FALSE(Window()->HasMouseCapture());

    EXPECT_EQ(probe.mDownCounts, (std::vector<int>{1, 2, -1, -2, 3}));
    EXPECT_EQ(probe.mUpCounts, (std::vector<int>{1, 1, -1, -1, 3}));
    // Coordinates reach the widget relative to its corner; buttons decoded as the widgets see them.
    EXPECT_TRUE(Logged("p down 10,20 b0 c1"));
    EXPECT_TRUE(Logged("p down 11,21 b1 c2"));
    EXPECT_TRUE(Logged("p down 12,22 b2 c1"));
    EXPECT_TRUE(app.mMouseIn);
}

TEST_F(AppMessagesTest, WheelGoesToTheFocusInWholeNotches)
{
    StartApp();
    AddProbe("p", 0, 0, 10, 10, true);
    Send(WindowMessage::Wheel(240));
    Send(WindowMessage::Wheel(-120));
    EXPECT_TRUE(Logged("p wheel 2"));
    EXPECT_TRUE(Logged("p wheel -1"));
}

TEST_F(AppMessagesTest, PointerLeavingWithoutAMessageIsNoticedOnTheTimer)
{
    TestApp& app = StartApp();
    AddProbe("p", 0, 0, 400, 400);
    app.mLoopStarted = true;
    Window()->SetPointer({50, 60}, true);
    Send(WindowMessage::Mouse(MessageKind::MouseMove, 50, 60));
    ASSERT_TRUE(Logged("p enter"));
    EXPECT_TRUE(app.mMouseIn);

    // The pointer moves onto another window: no mouse message comes.
    Window()->SetPointer({900, 60}, false);
    Send(WindowMessage::TimerTick(Quill::QuillAppBase::kTimerId));
    EXPECT_TRUE(Logged("p leave"));
    EXPECT_FALSE(app.mMouseIn);
    EXPECT_FALSE(app.mWidgetManager->mMouseIn);
}

TEST_F(AppMessagesTest, FocusLossMutesReleasesAndRestores)
{
    TestApp& app = StartApp();
    ClickProbe& probe = AddProbe("p", 0, 0, 400, 400, true);
    (void)probe;
    RecordingMusic& music = *app.mMusic;

    Send(WindowMessage::Mouse(MessageKind::LeftButtonDown, 10, 10));
    Send(WindowMessage::Key(MessageKind::KeyDown, 'W'));
    mLog.clear();
    Send(WindowMessage::Activated(false));
    EXPECT_FALSE(app.mHasFocus);
    EXPECT_TRUE(app.IsMuted());
    EXPECT_DOUBLE_EQ(music.mVolumes.back(), 0.0);
    // Held keys and buttons are released to the widgets that had them.
    EXPECT_TRUE(Logged("p keyup 87"));
    EXPECT_TRUE(Logged("p up 10,10 b0 c1"));
    EXPECT_TRUE(Logged("p lostfocus"));
    EXPECT_FALSE(Window()->HasMouseCapture());
    EXPECT_EQ(app.mLog, (std::vector<std::string>{"app lostfocus"}));

    Send(WindowMessage::Activated(true));
    EXPECT_TRUE(app.mHasFocus);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_DOUBLE_EQ(music.mVolumes.back(), app.mMusicVolume);
    EXPECT_TRUE(Logged("p gotfocus"));
}

TEST_F(AppMessagesTest, MinimisingMutesAndAUserMuteSurvivesFocusChanges)
{
    TestApp& app = StartApp();
    Send(WindowMessage::Sized(true, 0, 0));
    EXPECT_TRUE(app.mMinimized);
    EXPECT_TRUE(app.IsMuted());
    Send(WindowMessage::Sized(false, 800, 600));
    EXPECT_FALSE(app.mMinimized);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_EQ(app.mMuteCount, 0);
    EXPECT_EQ(app.mAutoMuteCount, 0);

    app.Mute(false);
    Send(WindowMessage::Activated(false));
    Send(WindowMessage::Activated(true));
    Send(WindowMessage::Sized(true, 0, 0));
    Send(WindowMessage::Sized(false, 800, 600));
    EXPECT_TRUE(app.IsMuted());
    EXPECT_DOUBLE_EQ(app.mMusic->mVolumes.back(), 0.0);
    app.Unmute(false);
    EXPECT_FALSE(app.IsMuted());

    // An automatic unmute with no automatic mute pending does not lift a user mute.
    app.Mute(false);
    app.Unmute(true);
    EXPECT_TRUE(app.IsMuted());
}

TEST_F(AppMessagesTest, VolumesReachSoundAndMusicUnlessMuted)
{
    TestApp& app = StartApp();
    auto sound = std::make_unique<RecordingSound>();
    RecordingSound& recorded = *sound;
    app.mSoundManager = std::move(sound);
    app.SetSfxVolume(0.4);
    app.SetMusicVolume(0.3);
    EXPECT_DOUBLE_EQ(recorded.mVolumes.back(), 0.4);
    EXPECT_DOUBLE_EQ(app.mMusic->mVolumes.back(), 0.3);
    app.Mute(false);
    EXPECT_DOUBLE_EQ(recorded.mVolumes.back(), 0.0);
    EXPECT_DOUBLE_EQ(app.mMusic->mVolumes.back(), 0.0);
    app.SetSfxVolume(0.6);
    EXPECT_DOUBLE_EQ(recorded.mVolumes.back(), 0.0);
    EXPECT_DOUBLE_EQ(app.GetSfxVolume(), 0.6);
    app.Unmute(false);
    EXPECT_DOUBLE_EQ(recorded.mVolumes.back(), 0.6);
    EXPECT_DOUBLE_EQ(app.mMusic->mVolumes.back(), 0.3);
}

TEST_F(AppMessagesTest, MoveRemembersTheWindowedPosition)
{
    TestApp& app = StartApp();
    Window()->Show();
    Send(WindowMessage::Moved(123, 77));
    EXPECT_EQ(app.mPreferredX, 123);
    EXPECT_EQ(app.mPreferredY, 77);
    // Not while minimised (the position then is not the window's normal one).
    Window()->Minimize();
    Send(WindowMessage::Moved(-32000, -32000));
    EXPECT_EQ(app.mPreferredX, 123);
}

TEST_F(AppMessagesTest, AltEnterTogglesFullScreenAndAltF4Closes)
{
    TestApp& app = StartApp();
    ASSERT_TRUE(app.mIsWindowed);
    Send(WindowMessage::Key(MessageKind::SysKeyDown, Quill::Platform::VK_RETURN));
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_FALSE(app.mIsPhysWindowed);
    EXPECT_TRUE(Window()->GetConfig().mFullScreen);
    EXPECT_TRUE(Window()->IsTimerRunning(Quill::QuillAppBase::kTimerId));
    Send(WindowMessage::Key(MessageKind::SysKeyDown, Quill::Platform::VK_RETURN));
    EXPECT_TRUE(app.mIsWindowed);
    EXPECT_FALSE(Window()->GetConfig().mFullScreen);
    // Keeping the keys held a little long repeats the press; the mode switches only once.
    Send(WindowMessage::Key(MessageKind::SysKeyDown, Quill::Platform::VK_RETURN));
    Send(WindowMessage::Key(MessageKind::SysKeyDown, Quill::Platform::VK_RETURN, true));
    EXPECT_FALSE(app.mIsWindowed);
    Send(WindowMessage::Key(MessageKind::SysKeyDown, Quill::Platform::VK_RETURN, true));
    EXPECT_FALSE(app.mIsWindowed);
    Send(WindowMessage::Key(MessageKind::SysKeyDown, Quill::Platform::VK_RETURN));
    EXPECT_TRUE(app.mIsWindowed);

    // A forced mode keeps Alt+Enter from switching.
    app.mForceWindowed = true;
    Send(WindowMessage::Key(MessageKind::SysKeyDown, Quill::Platform::VK_RETURN));
    EXPECT_TRUE(app.mIsWindowed);

    // Alt+R is the program's own: its character is swallowed.
    Deliver(WindowMessage::Key(MessageKind::SysChar, 'r'));
    EXPECT_TRUE(app.GetDeferredMessages().empty());

    Send(WindowMessage::Key(MessageKind::SysKeyDown, Quill::Platform::VK_F4));
    EXPECT_TRUE(app.mShutdown);
}

TEST_F(AppMessagesTest, SecondCopyNotifyRaisesAMinimisedWindow)
{
    TestApp& app = StartApp();
    Window()->Show();
    Window()->Minimize();
    const int raises = Window()->GetRaiseCount();
    app.mOnNotify = [&app] { app.Shutdown(); };
    ASSERT_TRUE(Quill::Platform::SingleInstance::NotifyRunningCopy(app.mProdName, 7));
    EXPECT_TRUE(app.RunMessageLoop(-1));
    EXPECT_EQ(app.mNotifyWords, (std::vector<int>{7}));
    EXPECT_FALSE(Window()->IsMinimized());
    EXPECT_GT(Window()->GetRaiseCount(), raises);
}

TEST_F(AppMessagesTest, CursorFollowsTheNumberAndThePictures)
{
    TestApp& app = StartApp();
    Window()->SetPointer({10, 10}, true);
    // Outside the window the arrow is shown, whatever the number.
    app.SetCursor(Quill::CURSOR_HAND);
    EXPECT_EQ(Window()->GetCursor(), Quill::Platform::CursorKind::Pointer);
    Send(WindowMessage::Mouse(MessageKind::MouseMove, 10, 10));
    EXPECT_EQ(Window()->GetCursor(), Quill::Platform::CursorKind::Hand);
    app.SetCursor(Quill::CURSOR_TEXT);
    EXPECT_EQ(Window()->GetCursor(), Quill::Platform::CursorKind::Text);
    app.mOverrideCursor = Quill::CURSOR_CIRCLE_SLASH;
    app.EnforceCursor();
    EXPECT_EQ(Window()->GetCursor(), Quill::Platform::CursorKind::Forbidden);
    app.mOverrideCursor = -1;

    // A picture for the number is used only while custom cursors are enabled.
    Quill::MemoryImage picture;
    picture.Create(8, 8);
    std::fill(picture.GetBits(), picture.GetBits() + 64, 0xFF00FF00u);
    picture.BitsChanged();
    app.SetCursorImage(Quill::CURSOR_TEXT, &picture);
    EXPECT_EQ(Window()->GetCursor(), Quill::Platform::CursorKind::Text);
    app.mForceRedraw = false;
    app.mCustomCursorsEnabled = true;
    app.EnforceCursor();
    ASSERT_TRUE(Window()->GetCursorPicture().has_value());
    EXPECT_EQ(Window()->GetCursorPicture()->At(3, 3), 0xFF00FF00u);
    EXPECT_FALSE(Window()->GetCursor().has_value());
    EXPECT_TRUE(app.mForceRedraw);
    EXPECT_FALSE(app.mSysCursorShown);

    app.SetCursor(Quill::CURSOR_POINTER);
    EXPECT_EQ(Window()->GetCursor(), Quill::Platform::CursorKind::Pointer);
    EXPECT_EQ(app.mDDInterface->GetCursorImage(), nullptr);
    // The picture goes away before the image does.
    app.SetCursorImage(Quill::CURSOR_TEXT, nullptr);
}

TEST_F(AppMessagesTest, OpenURLOutcomes)
{
    TestApp& app = StartApp();
    app.mLoopStarted = true;
    // The shell refuses: reported at once.
    mPlatform.SetOpenURLResult(false);
    EXPECT_FALSE(app.OpenURL("https://example.org/a"));
    EXPECT_FALSE(app.mURLPending);

    // Losing activation while pending counts as opened, and may end the program.
    mPlatform.SetOpenURLResult(true);
    EXPECT_TRUE(app.OpenURL("https://example.org/b", true));
    EXPECT_TRUE(app.mURLPending);
    EXPECT_TRUE(app.OpenURL("https://example.org/b"));
    EXPECT_EQ(mPlatform.GetOpenedURLs().size(), 2u);
    Send(WindowMessage::Activated(false));
    EXPECT_FALSE(app.mURLPending);
    EXPECT_TRUE(app.mShutdown);
}

TEST_F(AppMessagesTest, OpenURLIsDecidedOnTheTimer)
{
    TestApp& app = StartApp();
    app.mLoopStarted = true;
    auto tickFor = [&](std::int64_t ms) {
        for (std::int64_t t = 0; t < ms; t += 10) {
            mPlatform.GetFakeClock().Advance(10);
            Send(WindowMessage::TimerTick(Quill::QuillAppBase::kTimerId));
        }
    };
    // Still active 12 seconds after the request: the browser never came.
    ASSERT_TRUE(app.OpenURL("https://example.org/c"));
    tickFor(11900);
    EXPECT_TRUE(app.mURLPending);
    tickFor(200);
    EXPECT_FALSE(app.mURLPending);
    EXPECT_FALSE(app.mShutdown);

    // Inactive after 8 seconds (the activation change itself not seen): opened.
    ASSERT_TRUE(app.OpenURL("https://example.org/d"));
    app.mActive = false;
    tickFor(7900);
    EXPECT_TRUE(app.mURLPending);
    tickFor(200);
    EXPECT_FALSE(app.mURLPending);

    // A gap in the timer restarts the continuous run: no decision within 5 s of it.
    app.mActive = true;
    ASSERT_TRUE(app.OpenURL("https://example.org/e"));
    tickFor(9000);
    mPlatform.GetFakeClock().Advance(4000);
    tickFor(4000);
    EXPECT_TRUE(app.mURLPending);
    tickFor(1100);
    EXPECT_FALSE(app.mURLPending);
}

TEST_F(AppMessagesTest, SafeDeleteWaitsForTheEndOfThePass)
{
    TestApp& app = StartApp();
    bool deleted = false;
    class Tracked : public Quill::Widget {
    public:
        explicit Tracked(bool* flag) : mFlag(flag) {}
        ~Tracked() override { *mFlag = true; }
        bool* mFlag;
    };
    auto* widget = new Tracked(&deleted);
    app.mWidgetManager->AddWidget(widget);
    app.mOnUpdate = [&] {
        if (app.mUpdateCount == 3) {
            app.mWidgetManager->RemoveWidget(widget);
            app.SafeDeleteWidget(widget);
            app.SafeDeleteWidget(widget);
            EXPECT_FALSE(deleted);
        }
    };
    RunFor(100);
    EXPECT_TRUE(deleted);
}

TEST_F(AppMessagesTest, HiddenApplicationIgnoresThePointer)
{
    TestApp& app = StartApp();
    AddProbe("p", 0, 0, 100, 100);
    app.HideApp();
    EXPECT_FALSE(Window()->IsVisible());
    EXPECT_DOUBLE_EQ(app.mMusic->mVolumes.back(), 0.0);
    Send(WindowMessage::Mouse(MessageKind::LeftButtonDown, 5, 5));
    EXPECT_FALSE(Logged("p down 5,5 b0 c1"));
}

} // namespace
} // namespace QuillTest
