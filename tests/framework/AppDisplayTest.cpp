// The display layer on the fake platform: result codes, the screen image and
// what each present uploads, and the application's handling of lost displays,
// the accelerated path and window placement.
#include <gtest/gtest.h>

#include <limits>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/ImageRegistry.h"
#include "graphics/MemoryImage.h"
#include "platform/SettingsStore.h"
#include "tests/framework/AppTestSupport.h"

namespace QuillTest {
namespace {

using Quill::DDInterface;
using Quill::Platform::PresenterStatus;

class DisplayLayerTest : public testing::Test {
protected:
    Quill::Platform::FakeBackend mPlatform;
    Quill::ImageRegistry mRegistry;
    std::unique_ptr<Quill::Platform::Window> mWindow =
        mPlatform.CreateWindow(Quill::Platform::WindowConfig{"t", 320, 200, false, std::nullopt, true});
    DDInterface mDisplay{mPlatform, mRegistry, 320, 200};
};

TEST_F(DisplayLayerTest, InitResultsFollowWhatThePlatformReports)
{
    EXPECT_EQ(mDisplay.Init(nullptr, true), DDInterface::RESULT_DD_CREATE_FAIL);

    mPlatform.QueuePresenterOutcome(PresenterStatus::Failed, "no renderer");
    EXPECT_EQ(mDisplay.Init(mWindow.get(), true), DDInterface::RESULT_SURFACE_FAIL);
    EXPECT_EQ(mDisplay.mErrorString, "no renderer");
    EXPECT_FALSE(mDisplay.Redraw());

    mDisplay.Set3D(true);
    mPlatform.QueuePresenterOutcome(PresenterStatus::AcceleratedFailed, "no GPU");
    EXPECT_EQ(mDisplay.Init(mWindow.get(), true), DDInterface::RESULT_3D_FAIL);
    EXPECT_TRUE(mDisplay.m3DFailed);

    mDisplay.Set3D(false);
    ASSERT_EQ(mDisplay.Init(mWindow.get(), true), DDInterface::RESULT_OK);
    EXPECT_FALSE(mDisplay.m3DFailed);
    EXPECT_FALSE(mPlatform.GetLastPresenter()->GetConfig().mAccelerated);
    EXPECT_EQ(mDisplay.mRefreshRate, 60);
    EXPECT_EQ(mDisplay.mMillisecondsPerFrame, 16);
    EXPECT_EQ(DDInterface::ResultName(DDInterface::RESULT_3D_FAIL), "RESULT_3D_FAIL");
    EXPECT_EQ(DDInterface::ResultName(42), "RESULT_UNKNOWN");

    // Full screen asked for: the window is switched in place.
    ASSERT_EQ(mDisplay.Init(mWindow.get(), false), DDInterface::RESULT_OK);
    EXPECT_TRUE(mWindow->IsFullScreen());
}

TEST_F(DisplayLayerTest, PresentsUploadOnlyWhatChanged)
{
    ASSERT_EQ(mDisplay.Init(mWindow.get(), true), DDInterface::RESULT_OK);
    Quill::DDImage* screen = mDisplay.GetScreenImage();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->mWidth, 320);
    EXPECT_FALSE(screen->mHasAlpha);
    EXPECT_FALSE(screen->mHasTrans);
    auto* presenter = mPlatform.GetLastPresenter();

    // The first present shows the whole (black) screen.
    ASSERT_TRUE(mDisplay.Redraw());
    EXPECT_EQ(presenter->GetLastDirty(), (Quill::Platform::Rectangle{0, 0, 320, 200}));
    EXPECT_EQ(presenter->ShownAt(319, 199), 0xFF000000u);

    Quill::Graphics g(screen);
    g.SetColor(Quill::Color(10, 20, 30));
    g.FillRect(5, 6, 10, 4);
    g.FillRect(40, 50, 2, 2);
    ASSERT_TRUE(mDisplay.Redraw());
    EXPECT_EQ(presenter->GetLastDirty(), (Quill::Platform::Rectangle{5, 6, 37, 46}));
    EXPECT_EQ(presenter->ShownAt(41, 51), 0xFF0A141Eu);

    // Nothing changed: presented again, nothing uploaded.
    ASSERT_TRUE(mDisplay.Redraw());
    EXPECT_EQ(presenter->GetLastDirty().mWidth * presenter->GetLastDirty().mHeight, 0);

    // Drawing beyond the edge counts only the part on the screen.
    g.FillRect(310, 190, 50, 50);
    ASSERT_TRUE(mDisplay.Redraw());
    EXPECT_EQ(presenter->GetLastDirty(), (Quill::Platform::Rectangle{310, 190, 10, 10}));

    // A blit counts the area it covers.
    Quill::MemoryImage sprite;
    sprite.Create(6, 5);
    std::fill(sprite.GetBits(), sprite.GetBits() + 30, 0xFFFFFF00u);
    sprite.BitsChanged();
    g.DrawImage(&sprite, 200, 20);
    ASSERT_TRUE(mDisplay.Redraw());
    EXPECT_EQ(presenter->GetLastDirty(), (Quill::Platform::Rectangle{200, 20, 6, 5}));
    EXPECT_EQ(presenter->ShownAt(205, 24), 0xFFFFFF00u);

    // A change through the raw pixels counts the whole screen.
    screen->GetBits()[0] = 0xFFFFFFFFu;
    screen->BitsChanged();
    ASSERT_TRUE(mDisplay.Redraw());
    EXPECT_EQ(presenter->GetLastDirty(), (Quill::Platform::Rectangle{0, 0, 320, 200}));
    EXPECT_EQ(presenter->ShownAt(0, 0), 0xFFFFFFFFu);

    // A failed present keeps the change for the next one.
    g.FillRect(100, 100, 3, 3);
    presenter->FailNextPresents(1);
    EXPECT_FALSE(mDisplay.Redraw());
    ASSERT_TRUE(mDisplay.Redraw());
    EXPECT_EQ(presenter->GetLastDirty(), (Quill::Platform::Rectangle{100, 100, 3, 3}));
}

TEST_F(DisplayLayerTest, SubPixelBlitsCountWhatTheyCoverAndHostileOnesNothing)
{
    ASSERT_EQ(mDisplay.Init(mWindow.get(), true), DDInterface::RESULT_OK);
    Quill::DDImage* screen = mDisplay.GetScreenImage();
    auto* presenter = mPlatform.GetLastPresenter();
    ASSERT_TRUE(mDisplay.Redraw());
    Quill::MemoryImage sprite;
    sprite.Create(6, 5);
    std::fill(sprite.GetBits(), sprite.GetBits() + 30, 0xFFFFFFFFu);
    sprite.BitsChanged();
    const Quill::Rect wholeScreen(0, 0, 320, 200);
    const auto uploaded = [&] {
        const Quill::Platform::Rectangle area = presenter->GetLastDirty();
        return Quill::Rect(area.mX, area.mY, area.mWidth, area.mHeight);
    };

    // Only the pixels a sub-pixel blit can touch are uploaded, not the whole clip.
    screen->BltF(&sprite, 100.5f, 50.25f, Quill::Rect(0, 0, 6, 5), wholeScreen, Quill::Color::White,
                 Quill::DRAWMODE_NORMAL);
    ASSERT_TRUE(mDisplay.Redraw());
    EXPECT_EQ(uploaded(), Quill::Rect(99, 49, 9, 8));
    EXPECT_NE(presenter->ShownAt(103, 52), 0xFF000000u);

    // A source rectangle larger than the picture (only the picture is drawn) at a sub-pixel place.
    screen->BltF(&sprite, 10.5f, 20.0f, Quill::Rect(0, 0, 0x7FFFFFFE, 5), wholeScreen, Quill::Color::White,
                 Quill::DRAWMODE_NORMAL);
    ASSERT_TRUE(mDisplay.Redraw());
    const Quill::Rect drawn(10, 20, 7, 5);
    EXPECT_EQ(uploaded().Intersection(drawn), drawn);
    EXPECT_NE(presenter->ShownAt(13, 22), 0xFF000000u);

    // Places beyond any picture, or not numbers at all, draw nothing and upload nothing.
    for (const float x : {1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN()}) {
        screen->BltF(&sprite, x, 20.0f, Quill::Rect(0, 0, 6, 5), wholeScreen, Quill::Color::White,
                     Quill::DRAWMODE_NORMAL);
        screen->BltF(&sprite, 10.0f, x, Quill::Rect(0, 0, 6, 5), wholeScreen, Quill::Color::White,
                     Quill::DRAWMODE_NORMAL);
        ASSERT_TRUE(mDisplay.Redraw());
        EXPECT_EQ(presenter->GetLastDirty().mWidth * presenter->GetLastDirty().mHeight, 0) << x;
    }
}

TEST_F(DisplayLayerTest, ScreenImageSurvivesReinitialisation)
{
    ASSERT_EQ(mDisplay.Init(mWindow.get(), true), DDInterface::RESULT_OK);
    Quill::DDImage* screen = mDisplay.GetScreenImage();
    Quill::Graphics g(screen);
    g.SetColor(Quill::Color(1, 2, 3));
    g.FillRect(0, 0, 4, 4);
    ASSERT_EQ(mDisplay.Init(mWindow.get(), true), DDInterface::RESULT_OK);
    EXPECT_EQ(mDisplay.GetScreenImage(), screen);
    EXPECT_EQ(screen->GetPixel(1, 1), 0xFF010203u);
    ASSERT_TRUE(mDisplay.Redraw());
    EXPECT_EQ(mPlatform.GetLastPresenter()->GetLastDirty(), (Quill::Platform::Rectangle{0, 0, 320, 200}));
    EXPECT_TRUE(mRegistry.Contains(screen));
}

class AppDisplayTest : public AppFixtureBase, public testing::Test {};

TEST_F(AppDisplayTest, LostDisplayIsRebuiltAndRepainted)
{
    TestApp& app = StartApp();
    ClickProbe& probe = AddProbe("p", 0, 0, 100, 100);
    probe.mFill = Quill::Color(0, 0, 255);
    RunFor(200);
    auto* oldPresenter = Presenter();
    ASSERT_EQ(oldPresenter->ShownAt(50, 50), 0xFF0000FFu);

    oldPresenter->FailNextPresents(1000);
    app.mForceRedraw = true;
    const int initsBefore = app.mPreInitCalls;
    RunFor(50);
    // A new presenter replaced the lost one, and everything is shown again.
    EXPECT_EQ(app.mPreInitCalls, initsBefore + 1);
    RunFor(1500);
    EXPECT_FALSE(app.mDisplayLost);
    EXPECT_EQ(Presenter()->ShownAt(50, 50), 0xFF0000FFu);
    EXPECT_EQ(app.mWidgetManager->mImage, app.mDDInterface->GetScreenImage());
}

TEST_F(AppDisplayTest, LostDisplayIsRetriedOncePerSecondWhileInactive)
{
    TestApp& app = StartApp();
    RunFor(100);
    // Every presenter fails from now on.
    for (int i = 0; i < 400; ++i)
        mPlatform.QueuePresenterOutcome(PresenterStatus::Failed, "lost");
    Presenter()->FailNextPresents(1000);
    const int windowsBefore = mPlatform.GetWindowsCreated();
    auto paintFor = [&](int ms) {
        for (int t = 0; t < ms; t += 10) {
            mPlatform.GetFakeClock().Advance(10);
            app.mForceRedraw = true;
            app.mHasPendingDraw = true;
            app.DrawDirty();
        }
    };

    app.mActive = false;
    app.mLastReinitTick = app.GetTickCount();
    const int inactiveBefore = app.mPreInitCalls;
    paintFor(3050);
    EXPECT_EQ(app.mPreInitCalls - inactiveBefore, 3);
    EXPECT_TRUE(app.mDisplayLost);

    // Active: every attempt to paint retries.
    app.mActive = true;
    const int activeBefore = app.mPreInitCalls;
    paintFor(200);
    EXPECT_EQ(app.mPreInitCalls - activeBefore, 20);
    EXPECT_EQ(mPlatform.GetWindowsCreated(), windowsBefore);
}

TEST_F(AppDisplayTest, FailedAcceleratedPathFallsBackAndForgetsTheSetting)
{
    {
        TestApp& writer = StartApp();
        ASSERT_TRUE(writer.RegistryWriteInteger("Is3D", 1));
        mApp.reset();
    }
    mPlatform.QueuePresenterOutcome(PresenterStatus::AcceleratedFailed, "no GPU");
    TestApp& app = StartApp();
    EXPECT_FALSE(app.Is3D());
    EXPECT_TRUE(app.m3DFailed);
    EXPECT_FALSE(Presenter()->GetConfig().mAccelerated);
    int value = 0;
    EXPECT_FALSE(app.RegistryReadInteger("Is3D", value));
}

TEST_F(AppDisplayTest, AcceleratedSettingIsUsedWhenItWorks)
{
    {
        TestApp& writer = StartApp();
        ASSERT_TRUE(writer.RegistryWriteInteger("Is3D", 1));
        mApp.reset();
    }
    TestApp& app = StartApp();
    EXPECT_TRUE(app.Is3D());
    EXPECT_TRUE(Presenter()->GetConfig().mAccelerated);
    // Switching it off at run time makes a software presenter at once.
    app.Set3D(false, true);
    EXPECT_FALSE(Presenter()->GetConfig().mAccelerated);
    EXPECT_TRUE(app.m3DChanged);
}

TEST_F(AppDisplayTest, HardwareAccelerationQuestionsAtExit)
{
    auto stored = [this]() -> std::optional<int> {
        auto value = Quill::Platform::SettingsStore(mRegKey).Read("Is3D");
        if (!value)
            return std::nullopt;
        return Quill::Platform::DecodeRegistryInteger(value->type, value->data);
    };
    // Switched on during the run and healthy: the choice is stored without a question.
    TestApp& first = StartApp();
    first.Set3D(true, true);
    ASSERT_TRUE(first.Is3D());
    mApp.reset();
    EXPECT_TRUE(mPlatform.GetMessageBoxes().empty());
    EXPECT_EQ(stored(), 1);

    // Switched on, then the accelerated path failed (a lost display): the user is asked; no keeps nothing.
    ASSERT_TRUE(Quill::Platform::SettingsStore(mRegKey).Erase("Is3D"));
    TestApp& second = StartApp();
    second.mCaptionPrefix = "Mewbloom";
    second.Set3D(true, true);
    second.m3DFailed = true;
    mPlatform.QueueMessageBoxAnswer(Quill::Platform::MessageBoxAnswer::No);
    mApp.reset();
    ASSERT_EQ(mPlatform.GetMessageBoxes().size(), 1u);
    EXPECT_EQ(mPlatform.GetMessageBoxes()[0].mTitle, "Mewbloom Hardware Acceleration Confirmation");
    EXPECT_EQ(mPlatform.GetMessageBoxes()[0].mButtons, Quill::Platform::MessageBoxButtons::YesNo);
    EXPECT_EQ(stored(), std::nullopt);

    // A stored choice and a failure during the run: asked whether to keep it; no stores 0.
    ASSERT_TRUE(Quill::Platform::SettingsStore(mRegKey).Write("Is3D", Quill::Platform::RegType::DWord,
                                                              Quill::Platform::EncodeRegistryInteger(1)));
    TestApp& third = StartApp();
    ASSERT_TRUE(third.Is3D());
    third.m3DFailed = true;
    mPlatform.QueueMessageBoxAnswer(Quill::Platform::MessageBoxAnswer::No);
    mApp.reset();
    ASSERT_EQ(mPlatform.GetMessageBoxes().size(), 2u);
    EXPECT_NE(mPlatform.GetMessageBoxes()[1].mText.find("may not have been working correctly"),
              std::string::npos);
    EXPECT_EQ(stored(), 0);
}

TEST_F(AppDisplayTest, WindowIsPlacedInsideTheWorkArea)
{
    mPlatform.SetDesktop({0, 0, 1280, 1024}, {0, 30, 1280, 994});
    {
        // The position a run remembers is written when it ends.
        TestApp& writer = StartApp();
        writer.mPreferredX = 1000;
        writer.mPreferredY = -50;
        mApp.reset();
    }
    StartApp();
    ASSERT_TRUE(Window()->GetConfig().mPosition.has_value());
    EXPECT_EQ(Window()->GetConfig().mPosition->mX, 1280 - 800 - 4);
    EXPECT_EQ(Window()->GetConfig().mPosition->mY, 30 + 4);
    EXPECT_FALSE(Window()->GetConfig().mFullScreen);
}

TEST_F(AppDisplayTest, DesktopTooSmallForAWindowMeansFullScreen)
{
    mPlatform.SetDesktop({0, 0, 800, 600}, {0, 24, 800, 576});
    TestApp& app = StartApp();
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_FALSE(app.mIsPhysWindowed);
    EXPECT_TRUE(Window()->GetConfig().mFullScreen);
    EXPECT_TRUE(Window()->IsVisible());
}

TEST_F(AppDisplayTest, DisplayFailureEndsWithFailureStatus)
{
    EXPECT_EXIT(
        {
            for (int i = 0; i < 4; ++i)
                mPlatform.QueuePresenterOutcome(PresenterStatus::Failed, "no renderer at all");
            StartApp();
        },
        testing::ExitedWithCode(Quill::QuillAppBase::kExitFailure), "");
}

} // namespace
} // namespace QuillTest
