// The main loop's timing on the fake platform's scripted clock: fixed update
// steps, the catch-up cap, paint skipping, presents, sleeping and yielding.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "tests/framework/AppTestSupport.h"

namespace QuillTest {
namespace {

using Quill::Platform::FakeClock;

class AppLoopTest : public AppFixtureBase, public testing::Test {
protected:
    FakeClock& Clock() { return mPlatform.GetFakeClock(); }

    // Runs passes without sleeping until a pass wants to sleep (or the limit is hit); the number of passes.
    int RunUntilIdle(int limit = 10000)
    {
        int passes = 0;
        while (passes < limit && mApp->Process(false))
            ++passes;
        return passes;
    }
};

TEST_F(AppLoopTest, UpdatesRunAtOneHundredPerSecondOfClockTime)
{
    TestApp& app = StartApp();
    RunFor(50);
    const int before = app.mUpdateCount;
    RunFor(10000);
    EXPECT_NEAR(app.mUpdateCount - before, 1000, 1);

    // Work that takes time (every clock reading costs 1 ms) does not change the rate.
    Clock().SetAdvancePerRead(1);
    const int middle = app.mUpdateCount;
    const std::int64_t start = Clock().Now();
    RunFor(5000);
    const std::int64_t elapsed = Clock().Now() - start;
    EXPECT_NEAR(app.mUpdateCount - middle, elapsed / 10, 2);
}

TEST_F(AppLoopTest, StallCatchesUpAtMostOneSecond)
{
    TestApp& app = StartApp();
    app.mLoaded = true;
    RunFor(100);
    RunUntilIdle();

    // A stall of several seconds (a debugger, a suspended laptop, a blocked disk).
    Clock().Advance(7000);
    const int before = app.mUpdateCount;
    RunUntilIdle();
    EXPECT_EQ(app.mUpdateCount - before, 100);

    // A short stall is caught up in full.
    Clock().Advance(250);
    const int middle = app.mUpdateCount;
    RunUntilIdle();
    EXPECT_EQ(app.mUpdateCount - middle, 25);
}

TEST_F(AppLoopTest, PaintSkippingIsBoundedOnceLoaded)
{
    TestApp& app = StartApp();
    RunFor(100);
    // Every clock reading costs 6 ms, so the loop can never keep up.
    Clock().SetAdvancePerRead(6);

    // Before loading has finished nothing bounds the skipping: updates have priority.
    app.mPasses.clear();
    RunUntilIdle(300);
    EXPECT_EQ(app.mPasses.find('D'), std::string::npos) << app.mPasses;

    // Once loaded, at most nine passes in a row skip the paint.
    app.mLoaded = true;
    app.mNonDrawCount = 0;
    app.mPasses.clear();
    RunUntilIdle(300);
    std::size_t longest = 0;
    std::size_t run = 0;
    for (char pass : app.mPasses) {
        run = pass == 'U' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_EQ(longest, 9u) << app.mPasses;
    EXPECT_GE(std::count(app.mPasses.begin(), app.mPasses.end(), 'D'), 25);

    // At double speed, ceil(1.0 * 10) becomes ceil(2 * 10): 19 skips in a row.
    app.mUpdateMultiplier = 2.0;
    app.mNonDrawCount = 0;
    app.mPasses.clear();
    RunUntilIdle(300);
    longest = run = 0;
    for (char pass : app.mPasses) {
        run = pass == 'U' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_EQ(longest, 19u) << app.mPasses;
}

TEST_F(AppLoopTest, PresentsOncePerSecondWhenNothingChanges)
{
    StartApp();
    RunFor(2000);
    const int before = Presenter()->GetPresentCount();
    RunFor(10000);
    const int idlePresents = Presenter()->GetPresentCount() - before;
    EXPECT_GE(idlePresents, 9);
    EXPECT_LE(idlePresents, 11);
    // The idle presents upload nothing.
    EXPECT_EQ(Presenter()->GetLastDirty().mWidth * Presenter()->GetLastDirty().mHeight, 0);

    // A widget that changes every tick is presented after every update.
    ClickProbe& probe = AddProbe("busy", 10, 10, 50, 50);
    probe.mFill = Quill::Color(200, 0, 0);
    probe.mOnUpdate = [&probe] { probe.MarkDirty(); };
    const int busyBefore = Presenter()->GetPresentCount();
    RunFor(1000);
    EXPECT_GE(Presenter()->GetPresentCount() - busyBefore, 95);
    EXPECT_EQ(Presenter()->ShownAt(30, 30), 0xFFC80000u);
    EXPECT_EQ(Presenter()->ShownAt(5, 5), 0xFF000000u);
}

TEST_F(AppLoopTest, ForcedRedrawPresentsAtOnce)
{
    TestApp& app = StartApp();
    RunFor(2000);
    const int before = Presenter()->GetPresentCount();
    app.mForceRedraw = true;
    RunFor(30);
    EXPECT_EQ(Presenter()->GetPresentCount() - before, 1);
    EXPECT_FALSE(app.mForceRedraw);
}

TEST_F(AppLoopTest, IdleLoopSleepsTheRestOfTheStep)
{
    TestApp& app = StartApp();
    RunFor(500);
    const int sleepsBefore = app.mSleepCount;
    const std::int64_t sleptBefore = Clock().GetSleptMs();
    RunFor(1000);
    // All of the second is spent asleep (no clock reading costs time here) in steps of at most 10 ms.
    EXPECT_GE(app.mSleepCount - sleepsBefore, 100);
    EXPECT_NEAR(static_cast<double>(Clock().GetSleptMs() - sleptBefore), 1000.0, 10.0);
}

TEST_F(AppLoopTest, PausedLoopNeitherUpdatesNorPaints)
{
    TestApp& app = StartApp();
    RunFor(100);
    app.mPaused = true;
    app.mPasses.clear();
    Clock().Advance(500);
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(app.Process(false));
    EXPECT_TRUE(app.mPasses.empty());
}

TEST_F(AppLoopTest, LoadingSpacesPaintsOutAndCompletesOnTheMainThread)
{
    TestApp& app = StartApp();
    ClickProbe& probe = AddProbe("busy", 0, 0, 40, 40);
    probe.mOnUpdate = [&probe] { probe.MarkDirty(); };

    std::atomic<bool> finish{false};
    std::thread::id loaderThread;
    app.mNumLoadingThreadTasks = 2;
    app.mLoadingBody = [&] {
        loaderThread = std::this_thread::get_id();
        ++app.mCompletedLoadingThreadTasks;
        while (!finish)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++app.mCompletedLoadingThreadTasks;
    };
    std::vector<std::int64_t> loadingPresents;
    std::vector<std::int64_t> loadedPresents;
    int lastCount = Presenter()->GetPresentCount();
    double progressWhileLoading = -1.0;
    int loadedAtUpdate = -1;
    app.mOnUpdate = [&] {
        const int count = Presenter()->GetPresentCount();
        if (count != lastCount)
            (app.mLoaded ? loadedPresents : loadingPresents).push_back(Clock().Now());
        lastCount = count;
        if (app.mUpdateCount == 200) {
            // Scripted time runs far ahead of real time: let the loader reach its first step.
            while (app.mCompletedLoadingThreadTasks < 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            progressWhileLoading = app.GetLoadingThreadProgress();
        }
        if (app.mUpdateCount == 300)
            finish = true;
        if (app.mLoaded && loadedAtUpdate < 0)
            loadedAtUpdate = app.mUpdateCount;
        if ((loadedAtUpdate > 0 && app.mUpdateCount == loadedAtUpdate + 300) || app.mUpdateCount == 1000000)
            app.Shutdown();
    };
    app.Start();

    EXPECT_NE(loaderThread, std::this_thread::get_id());
    EXPECT_DOUBLE_EQ(progressWhileLoading, 0.5);
    EXPECT_EQ(app.mLoadedCalls, 1);
    EXPECT_TRUE(app.mLoaded);
    EXPECT_FALSE(app.mYieldMainThread);
    EXPECT_DOUBLE_EQ(app.GetLoadingThreadProgress(), 1.0);
    EXPECT_GT(loadedAtUpdate, 300);

    // While the loader works, paints are at least 50 ms apart; afterwards every update is shown.
    ASSERT_GE(loadingPresents.size(), 20u);
    for (std::size_t i = 1; i < loadingPresents.size(); ++i)
        EXPECT_GE(loadingPresents[i] - loadingPresents[i - 1], 50) << "present " << i;
    ASSERT_GE(loadedPresents.size(), 200u);
    std::int64_t widest = 0;
    // (The first present after loading may still wait for the spacing set while loading.)
    for (std::size_t i = 2; i < loadedPresents.size(); ++i)
        widest = std::max(widest, loadedPresents[i] - loadedPresents[i - 1]);
    EXPECT_LE(widest, 20);
}

TEST_F(AppLoopTest, StatisticsAtExitLeaveOutTheRateWithoutPaintTime)
{
    TestApp& app = StartApp();
    app.mOnUpdate = [&] {
        if (app.mUpdateCount == 50)
            app.Shutdown();
    };
    app.Start();
    std::vector<std::string> lines = mPlatform.GetDebugOutput();
    auto has = [&lines](const std::string& prefix) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    };
    EXPECT_TRUE(has("Update Count  = 50\r\n"));
    EXPECT_TRUE(has("Seconds       = "));
    EXPECT_TRUE(has("Sleep Count   = "));
    EXPECT_TRUE(has("Draw Count    = "));
    // No paint took measurable time on the scripted clock: no average to report.
    EXPECT_FALSE(has("Avg FPS"));
}

TEST_F(AppLoopTest, StatisticsAtExitGiveTheRateOfAVeryLongRun)
{
    TestApp& app = StartApp();
    app.mOnUpdate = [&] {
        if (app.mUpdateCount == 50) {
            // Counts of a run of many hours: three million paints in 50 s of painting.
            app.mDrawCount = 3'000'000;
            app.mDrawTime = 50'000;
            app.Shutdown();
        }
    };
    app.Start();
    const std::vector<std::string> lines = mPlatform.GetDebugOutput();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Avg FPS       = 60000\r\n"), lines.end());
}

TEST_F(AppLoopTest, NoUpdatesWhileTheScreenSaverRunsUntilInputComes)
{
    TestApp& app = StartApp();
    // What Start does: the loop runs from now, with the last input now.
    app.mLoopStarted = true;
    app.mLastUserInputTick = app.GetTickCount();
    mPlatform.SetScreenSaverState({true, 5, false});
    RunFor(1500);
    ASSERT_FALSE(app.mScreenSaverRunning);
    // No input for longer than the timeout less two seconds: the screen saver is taken to run.
    RunFor(3000);
    ASSERT_TRUE(app.mScreenSaverRunning);
    const int frozen = app.mUpdateCount;
    const int presents = Presenter()->GetPresentCount();
    RunFor(2000);
    EXPECT_EQ(app.mUpdateCount, frozen);
    EXPECT_EQ(Presenter()->GetPresentCount(), presents);

    // A key press ends it at the next housekeeping pass, with a full repaint.
    mPlatform.QueueMessage(Quill::Platform::WindowMessage::Key(Quill::Platform::MessageKind::KeyDown, 'A'));
    RunFor(1200);
    EXPECT_FALSE(app.mScreenSaverRunning);
    RunFor(500);
    EXPECT_GT(app.mUpdateCount, frozen + 40);

    // A desktop without a screen saver never stops the loop.
    mPlatform.SetScreenSaverState({false, 0, false});
    app.mLastScreenSaverCheck = 0;
    RunFor(20000);
    EXPECT_FALSE(app.mScreenSaverRunning);
}

} // namespace
} // namespace QuillTest
