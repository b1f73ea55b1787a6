// The in-memory platform other tests run the application on: scripted time
// and messages, timers, presenting and recorded calls.
#include <gtest/gtest.h>

#include <thread>

#include "platform/FakeBackend.h"
#include "platform/FakePresenter.h"
#include "platform/FakeWindow.h"

namespace {

using namespace Quill::Platform;

TEST(FakeClock, MovesOnlyWhenAdvancedSleptOrRead)
{
    FakeClock clock(500);
    EXPECT_EQ(clock.Now(), 500);
    EXPECT_EQ(clock.Now(), 500);
    clock.Advance(25);
    EXPECT_EQ(clock.Now(), 525);
    clock.Advance(-100); // never backwards
    EXPECT_EQ(clock.Now(), 525);
    clock.Sleep(10);
    clock.Sleep(0);
    clock.Sleep(-3);
    EXPECT_EQ(clock.Now(), 535);
    EXPECT_EQ(clock.GetSleepCount(), 1);
    EXPECT_EQ(clock.GetSleptMs(), 10);

    clock.SetAdvancePerRead(3);
    EXPECT_EQ(clock.Now(), 538);
    EXPECT_EQ(clock.Now(), 541);
    clock.SetAdvancePerRead(0);
    EXPECT_EQ(clock.Now(), 541);
}

TEST(FakeClock, SleepsOfOtherThreadsDoNotMoveScriptedTime)
{
    FakeClock clock(0);
    std::thread helper([&clock] {
        for (int i = 0; i < 5; ++i)
            clock.Sleep(1000);
    });
    helper.join();
    EXPECT_EQ(clock.Now(), 0);
    EXPECT_EQ(clock.GetSleepCount(), 0);

    // Handing the clock to another thread makes that thread's sleeps count.
    std::thread owner([&clock] {
        clock.SetOwnerThread();
        clock.Sleep(40);
    });
    owner.join();
    EXPECT_EQ(clock.Now(), 40);
    clock.Sleep(1000);
    EXPECT_EQ(clock.Now(), 40);
}

class FakeBackendTest : public testing::Test {
protected:
    FakeBackend mBackend;
    FakeClock& mClock = mBackend.GetFakeClock();
};

TEST_F(FakeBackendTest, ScriptedMessagesComeInOrderWhenTheirTimeHasCome)
{
    const WindowMessage a = WindowMessage::Key(MessageKind::KeyDown, 'A');
    const WindowMessage b = WindowMessage::Key(MessageKind::KeyUp, 'A');
    const WindowMessage c = WindowMessage::Mouse(MessageKind::MouseMove, 1, 2);
    const std::int64_t start = mClock.Now();
    mBackend.QueueMessageAt(start + 50, c);
    mBackend.QueueMessage(a);
    mBackend.QueueMessage(b);
    EXPECT_EQ(mBackend.PollMessage(), a);
    EXPECT_EQ(mBackend.PollMessage(), b);
    EXPECT_EQ(mBackend.PollMessage(), std::nullopt);
    mClock.Advance(49);
    EXPECT_EQ(mBackend.PollMessage(), std::nullopt);
    mClock.Advance(1);
    EXPECT_EQ(mBackend.PollMessage(), c);
    EXPECT_EQ(mBackend.GetQueuedMessageCount(), 0u);
}

TEST_F(FakeBackendTest, TimersTickOncePerPeriodAndNeverQueueUp)
{
    const std::unique_ptr<Window> window = mBackend.CreateWindow(WindowConfig{});
    ASSERT_TRUE(window);
    window->StartTimer(100, 10);
    EXPECT_EQ(mBackend.PollMessage(), std::nullopt);
    mClock.Advance(9);
    EXPECT_EQ(mBackend.PollMessage(), std::nullopt);
    mClock.Advance(1);
    EXPECT_EQ(mBackend.PollMessage(), WindowMessage::TimerTick(100));
    EXPECT_EQ(mBackend.PollMessage(), std::nullopt);
    // A long stall gives a single tick, and the next period starts then.
    mClock.Advance(500);
    EXPECT_EQ(mBackend.PollMessage(), WindowMessage::TimerTick(100));
    EXPECT_EQ(mBackend.PollMessage(), std::nullopt);
    mClock.Advance(10);
    // Waiting input comes before the tick.
    const WindowMessage key = WindowMessage::Key(MessageKind::KeyDown, 'Q');
    mBackend.QueueMessage(key);
    EXPECT_EQ(mBackend.PollMessage(), key);
    EXPECT_EQ(mBackend.PollMessage(), WindowMessage::TimerTick(100));
    window->StopTimer(100);
    mClock.Advance(100);
    EXPECT_EQ(mBackend.PollMessage(), std::nullopt);
}

TEST_F(FakeBackendTest, WindowKeepsWhatTheProgramSetAndWhatTheTestScripts)
{
    WindowConfig config;
    config.mTitle = "Mewbloom";
    const std::unique_ptr<Window> window = mBackend.CreateWindow(config);
    ASSERT_TRUE(window);
    FakeWindow* fake = mBackend.GetLastWindow();
    ASSERT_EQ(fake, window.get());
    // Centred in the work area (0, 32, 1920, 1048).
    EXPECT_EQ(window->GetClientRect(), (Rectangle{560, 256, 800, 600}));
    EXPECT_TRUE(window->IsVisible());
    EXPECT_EQ(window->GetTitle(), "Mewbloom");

    window->SetMouseCapture(true);
    window->SetMouseCapture(true);
    window->SetMouseCapture(false);
    EXPECT_EQ(fake->GetCaptureCount(), 1);
    EXPECT_FALSE(window->HasMouseCapture());

    window->SetCursor(CursorKind::Hand);
    EXPECT_EQ(fake->GetCursor(), CursorKind::Hand);
    EXPECT_TRUE(window->SetCursorPicture(CursorPicture::Dragging()));
    EXPECT_EQ(fake->GetCursor(), std::nullopt);
    EXPECT_FALSE(window->SetCursorPicture(CursorPicture{}));

    fake->SetPointer(Point{12, 34}, true);
    EXPECT_EQ(window->GetPointerPosition(), (Point{12, 34}));
    EXPECT_TRUE(window->IsPointerInClient());

    ASSERT_TRUE(window->SetFullScreen(true));
    EXPECT_EQ(window->GetClientRect(), (Rectangle{0, 0, 1920, 1080}));
    EXPECT_EQ(window->GetPictureRect(), (Rectangle{240, 0, 1440, 1080}));
}

TEST_F(FakeBackendTest, PresenterShowsOnlyWhatWasUploadedAndFailsWhenScripted)
{
    const std::unique_ptr<Window> window = mBackend.CreateWindow(WindowConfig{});
    PresenterConfig config;
    config.mWidth = 4;
    config.mHeight = 3;
    PresenterResult made = mBackend.CreatePresenter(*window, config);
    ASSERT_EQ(made.mStatus, PresenterStatus::Ok);
    FakePresenter* presenter = mBackend.GetLastPresenter();
    ASSERT_EQ(presenter, made.mPresenter.get());

    // Stride 5: one unused word at the end of each row.
    std::vector<std::uint32_t> pixels(15, 0);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u + static_cast<std::uint32_t>(i);
    ASSERT_TRUE(presenter->Present(pixels, 5, std::nullopt));
    EXPECT_EQ(presenter->ShownAt(3, 2), 0xFF00000Du);
    for (std::uint32_t& p : pixels)
        p = 0xFFFFFFFFu;
    ASSERT_TRUE(presenter->Present(pixels, 5, Rectangle{1, 1, 10, 10}));
    EXPECT_EQ(presenter->GetLastDirty(), (Rectangle{1, 1, 3, 2}));
    EXPECT_EQ(presenter->ShownAt(0, 1), 0xFF000005u);
    EXPECT_EQ(presenter->ShownAt(1, 0), 0xFF000001u);
    EXPECT_EQ(presenter->ShownAt(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(presenter->GetPresentCount(), 2);
    // An empty dirty rectangle shows the last upload again.
    for (std::uint32_t& p : pixels)
        p = 0xFF123456u;
    ASSERT_TRUE(presenter->Present(pixels, 5, Rectangle{}));
    EXPECT_EQ(presenter->ShownAt(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(presenter->ShownAt(0, 0), 0xFF000000u);

    // Too few pixels for the stride is refused, not read past.
    EXPECT_FALSE(presenter->Present(std::span(pixels).first(13), 5, std::nullopt));
    presenter->FailNextPresents(1);
    EXPECT_FALSE(presenter->Present(pixels, 5, std::nullopt));
    EXPECT_TRUE(presenter->Present(pixels, 5, std::nullopt));
}

TEST_F(FakeBackendTest, ScriptedFailuresAndAnswersAreUsedInOrder)
{
    mBackend.FailNextWindow("no display");
    EXPECT_EQ(mBackend.CreateWindow(WindowConfig{}), nullptr);
    EXPECT_EQ(mBackend.GetLastError(), "no display");
    std::unique_ptr<Window> window = mBackend.CreateWindow(WindowConfig{});
    ASSERT_TRUE(window);

    mBackend.QueuePresenterOutcome(PresenterStatus::AcceleratedFailed, "no 3D");
    PresenterConfig config;
    config.mAccelerated = true;
    const PresenterResult first = mBackend.CreatePresenter(*window, config);
    EXPECT_EQ(first.mStatus, PresenterStatus::AcceleratedFailed);
    EXPECT_EQ(first.mPresenter, nullptr);
    EXPECT_EQ(first.mError, "no 3D");
    PresenterResult second = mBackend.CreatePresenter(*window, config);
    ASSERT_EQ(second.mStatus, PresenterStatus::Ok);
    EXPECT_TRUE(second.mPresenter->IsAccelerated());

    // A presenter whose window is gone fails instead of touching it.
    window.reset();
    const std::vector<std::uint32_t> pixels(800 * 600);
    EXPECT_FALSE(second.mPresenter->Present(pixels, 800, std::nullopt));
    second.mPresenter.reset();
    EXPECT_EQ(mBackend.GetLastPresenter(), nullptr);

    MessageBoxRequest box;
    box.mButtons = MessageBoxButtons::YesNo;
    mBackend.QueueMessageBoxAnswer(MessageBoxAnswer::No);
    EXPECT_EQ(mBackend.ShowMessageBox(box, nullptr), MessageBoxAnswer::No);
    EXPECT_EQ(mBackend.ShowMessageBox(box, nullptr), MessageBoxAnswer::Yes);
    EXPECT_EQ(mBackend.GetMessageBoxes().size(), 2u);

    mBackend.SetOpenURLResult(false);
    EXPECT_FALSE(mBackend.OpenURL("https://example.org/"));
    EXPECT_EQ(mBackend.GetOpenedURLs(), std::vector<std::string>{"https://example.org/"});
}

TEST(CursorPicture, HandsPointWithTheirHotSpots)
{
    const CursorPicture hand = CursorPicture::Hand();
    ASSERT_TRUE(hand.IsValid());
    EXPECT_EQ(hand.mHotX, 11);
    EXPECT_EQ(hand.mHotY, 4);
    // The hot spot is the fingertip: drawn, with nothing drawn above it.
    EXPECT_EQ(hand.At(11, 4) >> 24, 0xFFu);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < hand.mWidth; ++x)
            ASSERT_EQ(hand.At(x, y), 0u) << x << "," << y;

    const CursorPicture dragging = CursorPicture::Dragging();
    ASSERT_TRUE(dragging.IsValid());
    EXPECT_EQ(dragging.mHotX, 15);
    EXPECT_EQ(dragging.mHotY, 10);
    EXPECT_EQ(dragging.At(15, 10) >> 24, 0xFFu);
    // Every pixel is opaque black, opaque white or clear: no half-drawn edges.
    for (const CursorPicture* picture : {&hand, &dragging}) {
        for (const std::uint32_t p : picture->mPixels)
            ASSERT_TRUE(p == 0u || p == 0xFF000000u || p == 0xFFFFFFFFu);
    }
    EXPECT_NE(hand, dragging);
}

} // namespace
