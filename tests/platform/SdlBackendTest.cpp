// The SDL platform under SDL's headless ("dummy") video driver: windows,
// presenting, events turned into messages, timers, pointer, clipboard,
// browser and message boxes.
#include <gtest/gtest.h>

#include <SDL.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/SdlBackend.h"
#include "platform/SdlWindow.h"
#include "platform/VirtualKeys.h"
#include "tests/support/TempDir.h"

namespace {

using namespace Quill::Platform;

class SdlBackendTest : public testing::Test {
protected:
    void SetUp() override
    {
        mBackend = std::make_unique<SdlBackend>();
        ASSERT_TRUE(mBackend->HasVideo()) << mBackend->GetLastError();
    }

    std::unique_ptr<Window> MakeWindow(const WindowConfig& config = WindowConfig{})
    {
        std::unique_ptr<Window> window = mBackend->CreateWindow(config);
        EXPECT_TRUE(window) << mBackend->GetLastError();
        return window;
    }

    // Every message waiting now.
    std::vector<WindowMessage> Drain()
    {
        std::vector<WindowMessage> messages;
        while (const std::optional<WindowMessage> m = mBackend->PollMessage())
            messages.push_back(*m);
        return messages;
    }

    // Every waiting message of the given kinds (the driver adds window
    // state messages of its own when windows appear).
    std::vector<WindowMessage> DrainInput()
    {
        std::vector<WindowMessage> input;
        for (const WindowMessage& m : Drain()) {
            if (m.mKind != MessageKind::Size && m.mKind != MessageKind::Move &&
                m.mKind != MessageKind::Paint && m.mKind != MessageKind::Activate &&
                m.mKind != MessageKind::Timer)
                input.push_back(m);
        }
        return input;
    }

    static Uint32 IdOf(const Window& window) { return dynamic_cast<const SdlWindow&>(window).GetId(); }

    // Reads back what the window shows (software renderer only).
    static std::vector<std::uint32_t> ReadBack(const Window& window, int& width, int& height)
    {
        SDL_Renderer* renderer = SDL_GetRenderer(dynamic_cast<const SdlWindow&>(window).GetSdlWindow());
        std::vector<std::uint32_t> pixels;
        if (!renderer || SDL_GetRendererOutputSize(renderer, &width, &height) != 0)
            return pixels;
        pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), width * 4) != 0)
            pixels.clear();
        return pixels;
    }

    std::unique_ptr<SdlBackend> mBackend;
};

TEST_F(SdlBackendTest, MakesWindowsAsAsked)
{
    EXPECT_FALSE(mBackend->HasDisplay()); // the dummy driver shows nothing
    const Rectangle desktop = mBackend->GetDesktopBounds();
    ASSERT_FALSE(desktop.IsEmpty());

    WindowConfig config;
    config.mTitle = "Mewbloom";
    config.mPosition = Point{40, 50};
    const std::unique_ptr<Window> window = MakeWindow(config);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->GetTitle(), "Mewbloom");
    EXPECT_EQ(window->GetClientRect(), (Rectangle{40, 50, 800, 600}));
    EXPECT_EQ(window->GetPictureRect(), (Rectangle{0, 0, 800, 600}));
    EXPECT_TRUE(window->IsVisible());
    window->SetTitle("Other");
    EXPECT_EQ(window->GetTitle(), "Other");
    window->Hide();
    EXPECT_FALSE(window->IsVisible());
    window->Show();
    EXPECT_TRUE(window->IsVisible());

    // Full screen covers the display and fits the picture inside it.
    ASSERT_TRUE(window->SetFullScreen(true));
    EXPECT_TRUE(window->IsFullScreen());
    const Rectangle client = window->GetClientRect();
    EXPECT_EQ(client.mWidth, desktop.mWidth);
    EXPECT_EQ(client.mHeight, desktop.mHeight);
    ASSERT_TRUE(window->SetFullScreen(false));
    EXPECT_EQ(window->GetClientRect().mWidth, 800);

    // A window nobody positions is centred in the work area.
    const std::unique_ptr<Window> centred = MakeWindow(WindowConfig{});
    const Rectangle work = mBackend->GetDesktopWorkArea();
    EXPECT_EQ(centred->GetClientRect().mX, work.mX + (work.mWidth - 800) / 2);

    config.mWidth = 0;
    EXPECT_EQ(mBackend->CreateWindow(config), nullptr);
    EXPECT_FALSE(mBackend->GetLastError().empty());
}

TEST_F(SdlBackendTest, PresentsTheDirtyPartOfThePicture)
{
    const std::unique_ptr<Window> window = MakeWindow();
    PresenterConfig config;
    PresenterResult made = mBackend->CreatePresenter(*window, config);
    ASSERT_EQ(made.mStatus, PresenterStatus::Ok) << made.mError;
    Presenter& presenter = *made.mPresenter;
    EXPECT_FALSE(presenter.IsAccelerated());
    EXPECT_GT(presenter.GetRefreshRate(), 0);
    EXPECT_GT(presenter.GetRefreshPeriodMs(), 0);

    // A second presenter for the same window is refused.
    EXPECT_EQ(mBackend->CreatePresenter(*window, config).mStatus, PresenterStatus::Failed);

    std::vector<std::uint32_t> picture(800 * 600, 0x00102030u);
    picture[0] = 0xFFFF0000u;
    picture[599 * 800 + 799] = 0x000000FFu;
    ASSERT_TRUE(presenter.Present(picture, 800, std::nullopt));
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> shown = ReadBack(*window, width, height);
    ASSERT_EQ(shown.size(), 800u * 600u);
    // The alpha byte of the picture does not matter on screen.
    EXPECT_EQ(shown[0] & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(shown[1] & 0xFFFFFFu, 0x102030u);
    EXPECT_EQ(shown[599 * 800 + 799] & 0xFFFFFFu, 0x0000FFu);

    // Only the dirty rectangle is uploaded: changes outside it stay unseen.
    std::fill(picture.begin(), picture.end(), 0xFF00FF00u);
    ASSERT_TRUE(presenter.Present(picture, 800, Rectangle{10, 20, 30, 40}));
    shown = ReadBack(*window, width, height);
    ASSERT_EQ(shown.size(), 800u * 600u);
    EXPECT_EQ(shown[20 * 800 + 10] & 0xFFFFFFu, 0x00FF00u);
    EXPECT_EQ(shown[59 * 800 + 39] & 0xFFFFFFu, 0x00FF00u);
    EXPECT_EQ(shown[60 * 800 + 39] & 0xFFFFFFu, 0x102030u);
    EXPECT_EQ(shown[20 * 800 + 40] & 0xFFFFFFu, 0x102030u);
    // An empty dirty rectangle uploads nothing and shows the picture again.
    std::fill(picture.begin(), picture.end(), 0xFFABCDEFu);
    ASSERT_TRUE(presenter.Present(picture, 800, Rectangle{}));
    shown = ReadBack(*window, width, height);
    ASSERT_EQ(shown.size(), 800u * 600u);
    EXPECT_EQ(shown[20 * 800 + 10] & 0xFFFFFFu, 0x00FF00u);
    EXPECT_EQ(shown[60 * 800 + 39] & 0xFFFFFFu, 0x102030u);
    std::fill(picture.begin(), picture.end(), 0xFF00FF00u);
    // A dirty rectangle reaching outside the picture is clipped to it.
    ASSERT_TRUE(presenter.Present(picture, 800, Rectangle{-100, 590, 5000, 5000}));
    shown = ReadBack(*window, width, height);
    EXPECT_EQ(shown[599 * 800 + 799] & 0xFFFFFFu, 0x00FF00u);

    // Too few pixels for the picture is refused rather than read past.
    EXPECT_FALSE(presenter.Present(std::span(picture).first(800 * 599), 800, std::nullopt));
    EXPECT_FALSE(presenter.Present(picture, 799, std::nullopt));
}

TEST_F(SdlBackendTest, FullScreenScalesThePictureBetweenBars)
{
    WindowConfig config;
    config.mFullScreen = true;
    // A picture wider than the display's shape, so bars appear above and below.
    config.mWidth = 800;
    config.mHeight = 400;
    const std::unique_ptr<Window> window = MakeWindow(config);
    PresenterConfig presenterConfig;
    presenterConfig.mWidth = 800;
    presenterConfig.mHeight = 400;
    PresenterResult made = mBackend->CreatePresenter(*window, presenterConfig);
    ASSERT_EQ(made.mStatus, PresenterStatus::Ok) << made.mError;

    // Left half red, right half blue.
    std::vector<std::uint32_t> picture(800 * 400);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 800; ++x)
            picture[static_cast<std::size_t>(y * 800 + x)] = x < 400 ? 0xFFFF0000u : 0xFF0000FFu;
    ASSERT_TRUE(made.mPresenter->Present(picture, 800, std::nullopt));

    int width = 0;
    int height = 0;
    const std::vector<std::uint32_t> shown = ReadBack(*window, width, height);
    ASSERT_FALSE(shown.empty());
    const Rectangle area = window->GetPictureRect();
    ASSERT_EQ(area.mWidth, width);
    ASSERT_LT(area.mHeight, height);
    const auto at = [&](int x, int y) { return shown[static_cast<std::size_t>(y * width + x)] & 0xFFFFFFu; };
    EXPECT_EQ(at(width / 2, area.mY - 1), 0u);                       // bar
    EXPECT_EQ(at(2, area.mY + 2), 0xFF0000u);                        // picture, left
    EXPECT_EQ(at(width - 3, area.mY + area.mHeight - 3), 0x0000FFu); // picture, right
    EXPECT_EQ(at(width / 2, area.mY + area.mHeight), 0u);            // bar

    // The pointer over the picture's bottom-right pixel maps back onto it.
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = IdOf(*window);
    motion.motion.x = area.mX + area.mWidth - 1;
    motion.motion.y = area.mY + area.mHeight - 1;
    ASSERT_EQ(SDL_PushEvent(&motion), 1);
    const std::vector<WindowMessage> input = DrainInput();
    ASSERT_EQ(input.size(), 1u);
    EXPECT_EQ(input[0], WindowMessage::Mouse(MessageKind::MouseMove, 799, 399));
    EXPECT_EQ(window->GetPointerPosition(), (Point{799, 399}));
}

TEST_F(SdlBackendTest, PushedEventsComeOutAsWindowMessages)
{
    const std::unique_ptr<Window> window = MakeWindow();
    Drain();
    const Uint32 id = IdOf(*window);

    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = id;
    e.key.keysym.scancode = SDL_SCANCODE_RETURN;
    e.key.keysym.sym = SDLK_RETURN;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = SDL_Event{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = id;
    std::strcpy(e.text.text, "x");
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = id;
    e.button.button = SDL_BUTTON_RIGHT;
    e.button.clicks = 2;
    e.button.x = 30;
    e.button.y = 40;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = SDL_Event{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = id;
    e.wheel.y = -1;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = SDL_Event{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = id;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    // An event of a window that no longer exists is dropped.
    e = SDL_Event{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = id + 1000;
    e.key.keysym.scancode = SDL_SCANCODE_A;
    e.key.keysym.sym = 'a';
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = SDL_Event{};
    e.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&e), 1);

    const std::vector<WindowMessage> expected = {
        WindowMessage::Key(MessageKind::KeyDown, VK_RETURN),
        WindowMessage::Key(MessageKind::Char, 13),
        WindowMessage::Key(MessageKind::Char, 'x'),
        WindowMessage::Mouse(MessageKind::RightButtonDoubleClick, 30, 40),
        WindowMessage::Wheel(-120),
        WindowMessage::Simple(MessageKind::Close),
        WindowMessage::Simple(MessageKind::EndSession),
    };
    EXPECT_EQ(DrainInput(), expected);
    EXPECT_EQ(window->GetPointerPosition(), (Point{0, 0}));
}

TEST_F(SdlBackendTest, TimerTicksOnRealTime)
{
    const std::unique_ptr<Window> window = MakeWindow();
    window->StartTimer(100, 10);
    Drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    int ticks = 0;
    for (const WindowMessage& m : Drain()) {
        if (m.mKind == MessageKind::Timer) {
            EXPECT_EQ(m.mTimerId, 100);
            ++ticks;
        }
    }
    // However long the wait, one tick is waiting.
    EXPECT_EQ(ticks, 1);
    window->StopTimer(100);
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    for (const WindowMessage& m : Drain())
        EXPECT_NE(m.mKind, MessageKind::Timer);
}

TEST_F(SdlBackendTest, PointerFollowsWarpsIntoTheWindow)
{
    const std::unique_ptr<Window> window = MakeWindow();
    SDL_WarpMouseInWindow(dynamic_cast<SdlWindow&>(*window).GetSdlWindow(), 123, 45);
    const std::vector<WindowMessage> input = DrainInput();
    ASSERT_FALSE(input.empty());
    EXPECT_EQ(input.back(), WindowMessage::Mouse(MessageKind::MouseMove, 123, 45));
    EXPECT_EQ(window->GetPointerPosition(), (Point{123, 45}));
}

TEST_F(SdlBackendTest, LostDeviceFailsPresentingUntilAPresenterIsMadeAgain)
{
    std::unique_ptr<Window> window = MakeWindow();
    PresenterResult made = mBackend->CreatePresenter(*window, PresenterConfig{});
    ASSERT_EQ(made.mStatus, PresenterStatus::Ok);
    const std::vector<std::uint32_t> picture(800 * 600, 0xFF808080u);
    ASSERT_TRUE(made.mPresenter->Present(picture, 800, std::nullopt));
    Drain();

    SDL_Event reset{};
    reset.type = SDL_RENDER_DEVICE_RESET;
    ASSERT_EQ(SDL_PushEvent(&reset), 1);
    const std::vector<WindowMessage> messages = Drain();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].mKind, MessageKind::Paint);
    EXPECT_FALSE(made.mPresenter->Present(picture, 800, std::nullopt));

    made.mPresenter.reset();
    made = mBackend->CreatePresenter(*window, PresenterConfig{});
    ASSERT_EQ(made.mStatus, PresenterStatus::Ok);
    EXPECT_TRUE(made.mPresenter->Present(picture, 800, std::nullopt));

    // Destroying the window first leaves a presenter that only fails.
    window.reset();
    EXPECT_FALSE(made.mPresenter->Present(picture, 800, std::nullopt));
}

TEST_F(SdlBackendTest, ClipboardAndCursorsWorkWithoutADisplay)
{
    const std::unique_ptr<Window> window = MakeWindow();
    ASSERT_TRUE(mBackend->SetClipboardText("first line\nsecond"));
    EXPECT_EQ(mBackend->GetClipboardText(), "first line\nsecond");
    // Every standard pointer can be asked for, even where the driver has none.
    for (int kind = 0; kind <= 5; ++kind)
        window->SetCursor(static_cast<CursorKind>(kind));
    EXPECT_FALSE(window->SetCursorPicture(CursorPicture{}));
}

TEST_F(SdlBackendTest, MessageBoxWithoutADisplayGoesToStandardError)
{
    MessageBoxRequest request;
    request.mTitle = "FATAL ERROR";
    request.mText = "Something broke.";
    request.mButtons = MessageBoxButtons::YesNo;
    testing::internal::CaptureStderr();
    const MessageBoxAnswer answer = mBackend->ShowMessageBox(request, nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, MessageBoxAnswer::Yes);
    EXPECT_EQ(err, "FATAL ERROR: Something broke.\n");

    testing::internal::CaptureStderr();
    mBackend->DebugOutput("Update Count  = 42\r\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Update Count  = 42\n");
}

// Points PATH at a folder of our own for the test's duration.
class ScopedPath {
public:
    explicit ScopedPath(const std::string& path)
    {
        if (const char* old = std::getenv("PATH"))
            mOld = old;
        setenv("PATH", path.c_str(), 1);
    }
    ~ScopedPath() { setenv("PATH", mOld.c_str(), 1); }
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;

private:
    std::string mOld;
};

TEST_F(SdlBackendTest, OpeningAnAddressHandsItToTheDesktopOpener)
{
    QuillTest::TempDir dir;
    const std::filesystem::path log = dir / "opened.txt";
    // A stand-in for xdg-open that notes what it was asked to open.
    const std::filesystem::path opener =
        dir.Write("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + log.string() + ".tmp' && /bin/mv '" +
                                      log.string() + ".tmp' '" + log.string() + "'\n");
    ASSERT_EQ(::chmod(opener.c_str(), 0755), 0);
    {
        ScopedPath path((dir / "bin").string());
        ASSERT_TRUE(mBackend->OpenURL("https://example.org/a?b=c&d=e"));
    }
    std::string opened;
    for (int i = 0; i < 400 && opened.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        opened = dir.Read("opened.txt");
    }
    EXPECT_EQ(opened, "https://example.org/a?b=c&d=e");

    // Addresses that could be mistaken for options or carry spaces are refused.
    EXPECT_FALSE(mBackend->OpenURL(""));
    EXPECT_FALSE(mBackend->OpenURL("--help"));
    EXPECT_FALSE(mBackend->OpenURL("https://example.org/a b"));
    EXPECT_FALSE(mBackend->OpenURL("https://example.org/\n"));
    // With no opener installed it fails instead of pretending.
    ScopedPath empty((dir / "nothing-here").string());
    EXPECT_FALSE(mBackend->OpenURL("https://example.org/"));
}

TEST_F(SdlBackendTest, ThreadPriorityIsBestEffort)
{
    // Going back to normal is always allowed; raising may be refused, but
    // must not disturb the thread.
    EXPECT_TRUE(mBackend->SetCurrentThreadPriority(ThreadPriority::Normal));
    (void)mBackend->SetCurrentThreadPriority(ThreadPriority::AboveNormal);
    EXPECT_TRUE(mBackend->SetCurrentThreadPriority(ThreadPriority::Normal));
    EXPECT_FALSE(mBackend->GetScreenSaverState().mRunning);
}

} // namespace
