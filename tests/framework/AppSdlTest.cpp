// The application on the real SDL platform with its headless drivers: start-up,
// the loop with its threads, scripted input through SDL's own event queue,
// painting, a second copy of the program, and a clean shutdown.
#include <gtest/gtest.h>

#include <SDL.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/SdlWindow.h"
#include "tests/framework/AppTestSupport.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace QuillTest {
namespace {

// Environment of the second copy: which product it is, and where the first copy keeps its lock.
constexpr const char* kChildProductVar = "QUILL_TEST_SECOND_COPY_PRODUCT";
constexpr const char* kChildRuntimeVar = "QUILL_TEST_SECOND_COPY_RUNTIME";

void PushButton(Uint32 windowId, bool down, Uint8 button, Uint8 clicks, int x, int y)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = windowId;
    event.button.which = 0;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// Starts the second-copy program built beside this test; its process id.
pid_t StartSecondCopy(const std::string& product)
{
    const std::string self = (ExecutableDir() / "app_second_copy").string();
    std::vector<std::string> args = {self};
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    env.push_back(std::string(kChildProductVar) + "=" + product);
    env.push_back(std::string(kChildRuntimeVar) + "=" + std::getenv("XDG_RUNTIME_DIR"));
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

TEST(AppSdlTest, RunsWithScriptedInputPaintsAndHandsOverToNoSecondCopy)
{
    TestApp app(nullptr);
    app.mProdName = UniqueProductName("SdlRun");
    app.mRegKey = "QuillTest\\" + app.mProdName;
    app.mWidth = 800;
    app.mHeight = 600;
    app.SetCommandLine("mewbloom");
    app.Init();
    ASSERT_TRUE(app.mInitialized);
    auto* window = dynamic_cast<Quill::Platform::SdlWindow*>(app.mMainWnd.get());
    ASSERT_NE(window, nullptr);
    ASSERT_NE(app.mDDInterface->GetScreenImage(), nullptr);
    const Uint32 windowId = SDL_GetWindowID(window->GetSdlWindow());

    std::vector<std::string> log;
    ClickProbe probe("p", &log, 100, 100, 200, 200);
    probe.mFill = Quill::Color(0, 160, 80);
    app.mWidgetManager->AddWidget(&probe);

    pid_t child = -1;
    int childStatus = -1;
    bool loadedSeen = false;
    app.mLoadingBody = [&app] {
        app.mNumLoadingThreadTasks = 1;
        ++app.mCompletedLoadingThreadTasks;
    };
    app.mOnUpdate = [&] {
        loadedSeen = loadedSeen || app.mLoaded;
        switch (app.mUpdateCount) {
        case 40:
            PushButton(windowId, true, SDL_BUTTON_LEFT, 1, 150, 160);
            break;
        case 42:
            PushButton(windowId, false, SDL_BUTTON_LEFT, 1, 150, 160);
            break;
        case 60:
            PushButton(windowId, true, SDL_BUTTON_RIGHT, 1, 120, 130);
            PushButton(windowId, false, SDL_BUTTON_RIGHT, 1, 120, 130);
            PushButton(windowId, true, SDL_BUTTON_RIGHT, 2, 120, 130);
            PushButton(windowId, false, SDL_BUTTON_RIGHT, 2, 120, 130);
            break;
        case 100:
            child = StartSecondCopy(app.mProdName);
            break;
        default:
            break;
        }
        if (child > 0 && childStatus == -1) {
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child)
                childStatus = status;
        }
        const bool handedOver = childStatus != -1 && !app.mNotifyWords.empty();
        if ((app.mUpdateCount >= 300 && handedOver) || app.mUpdateCount >= 3000)
            app.Shutdown();
    };
    app.Start();

    if (child > 0 && childStatus == -1)
        waitpid(child, &childStatus, 0);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(WIFEXITED(childStatus));
    EXPECT_EQ(WEXITSTATUS(childStatus), Quill::QuillAppBase::kExitOk);
    EXPECT_EQ(app.mNotifyWords, (std::vector<int>{static_cast<int>(Quill::QuillAppBase::kNotifyWord)}));

    EXPECT_GE(app.mUpdateCount, 300);
    EXPECT_TRUE(loadedSeen);
    EXPECT_EQ(probe.mDownCounts, (std::vector<int>{1, -1, -2}));
    EXPECT_EQ(probe.mUpCounts, (std::vector<int>{1, -1, -1}));
    EXPECT_NE(std::find(log.begin(), log.end(), "p down 50,60 b0 c1"), log.end());
    EXPECT_EQ(app.mDDInterface->GetScreenImage()->GetPixel(150, 150), 0xFF00A050u);
    EXPECT_EQ(app.mDDInterface->GetScreenImage()->GetPixel(50, 50), 0xFF000000u);
    EXPECT_GT(app.mDDInterface->mPresentCount, 0);
    EXPECT_GT(app.mDrawCount, 0);
    EXPECT_FALSE(app.mCursorThreadRunning);
    EXPECT_TRUE(app.mLoadingThreadCompleted);
    app.mWidgetManager->RemoveWidget(&probe);
}

} // namespace
} // namespace QuillTest
