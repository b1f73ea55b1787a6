#include "framework/QuillAppBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "framework/Rand.h"
#include "framework/Widget.h"
#include "framework/WidgetManager.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/ImageLib.h"
#include "graphics/ImageRegistry.h"
#include "platform/Backend.h"
#include "platform/CrashHandler.h"
#include "platform/Files.h"
#include "platform/SdlBackend.h"
#include "platform/SingleInstance.h"
#include "sound/MusicInterface.h"
#include "sound/SoundInstance.h"
#include "sound/SoundManager.h"

namespace Quill {

QuillAppBase* gQuillAppBase = nullptr;

namespace {

// Longest backlog of real time the loop catches up on (100 updates at the default step).
constexpr double kMaxTimeAcc = 1000.0;
// Presents happen at least this often, changed or not.
constexpr std::uint32_t kMaxPresentInterval = 1000;
// Housekeeping (the screen-saver watch) runs at most this often.
constexpr std::uint32_t kHousekeepingInterval = 1000;
// The screen-saver settings are read again this often.
constexpr std::uint32_t kScreenSaverCheckInterval = 10000;
// While loading, paints are spaced at least this far apart (plus the paint itself, at least 15 ms).
constexpr std::uint32_t kLoadingPaintGap = 35;
constexpr std::uint32_t kMinLoadingPaintTime = 15;
// Longest sleep of one pass that yields to the loading thread.
constexpr int kMaxYieldSleep = 250;
// A lost display is retried at most this often while windowed and inactive.
constexpr std::uint32_t kReinitInterval = 1000;
// The cursor thread's polling period, and its margin over one display refresh.
constexpr int kCursorPollMs = 10;
constexpr int kCursorPaintMargin = 5;
// Waiting steps for the other threads at shutdown.
constexpr int kThreadWaitStepMs = 10;
constexpr int kLoadingWaitStepMs = 20;
// Margin kept between a remembered window position and the edges of the work area.
constexpr int kWorkAreaMargin = 4;
// The file the screen-saver mode logs its errors to.
constexpr const char* kScreenSaverLogFile = "ScrError.txt";

// Hours, minutes and seconds of the local time.
std::string LocalTimeText(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[16];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

Platform::MessageBoxIcon IconFor(int flags)
{
    if ((flags & MSGBOX_ICONSTOP) != 0)
        return Platform::MessageBoxIcon::Error;
    if ((flags & MSGBOX_ICONQUESTION) != 0)
        return Platform::MessageBoxIcon::Question;
    if ((flags & MSGBOX_ICONINFORMATION) != 0)
        return Platform::MessageBoxIcon::Information;
    return Platform::MessageBoxIcon::None;
}

// Folder for files the program writes about itself (crash reports): the per-user data
// folder of the product. Empty when there is nowhere to put it.
std::filesystem::path ProductDataFolder(const std::string& regKey, const std::string& prodName)
{
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        base = std::filesystem::path(home) / ".local" / "share";
    } else {
        // A started program must not end over where its crash report would go.
        std::error_code error;
        base = std::filesystem::temp_directory_path(error);
        if (error || base.empty())
            return {};
    }
    std::string key = regKey.empty() ? prodName : regKey;
    std::replace(key.begin(), key.end(), '\\', '/');
    std::filesystem::path folder = base;
    for (const auto& part : std::filesystem::path(key)) {
        const std::string name = part.string();
        if (!name.empty() && name != "/" && name != "." && name != "..")
            folder /= part;
    }
    return folder;
}

} // namespace

QuillAppBase::QuillAppBase(Platform::Backend* platform)
{
    if (platform == nullptr) {
        auto sdl = std::make_unique<Platform::SdlBackend>();
        mNoDisplaySystem = !sdl->HasVideo();
        mOwnedPlatform = std::move(sdl);
        platform = mOwnedPlatform.get();
    }
    mPlatform = platform;
    gQuillAppBase = this;

    mImageRegistry = std::make_unique<ImageRegistry>();
    ImageRegistry::Install(mImageRegistry.get());

    mStringTable["DIALOG_BUTTON_OK"] = "OK";
    mStringTable["DIALOG_BUTTON_CANCEL"] = "CANCEL";
    mStringTable["UPDATE_CHECK_TITLE"] = "Update Check";
    mStringTable["UPDATE_CHECK_BODY"] = "Checking if there are any updates available for this product ...";
    mStringTable["UP_TO_DATE_TITLE"] = "Up to Date";
    mStringTable["UP_TO_DATE_BODY"] = "There are no updates available for this product at this time.";
    mStringTable["NEW_VERSION_TITLE"] = "New Version";
    mStringTable["NEW_VERSION_BODY"] = "There is an update available for this product.  Would you like to "
                                       "visit the web site to download it?";

    for (std::size_t i = 0; i < mAddClampTable.size(); ++i)
        mAddClampTable[i] = static_cast<std::uint8_t>(std::min<std::size_t>(i, 255));

    mProductVersion = GetProductVersion(Platform::ExecutableDir().string());
    mConstructTick = GetTickCount();
    mConstructTime = std::time(nullptr);
    mLastDrawTick = mConstructTick;
    mNextDrawTick = mConstructTick;
}

QuillAppBase::~QuillAppBase()
{
    Shutdown();
    AskAbout3D();

    DeleteAllDialogs();
    FlushSafeDeleteList();
    // The loading thread may still be using the collaborators below: it ends first.
    JoinLoadingThread();
    if (mWidgetManager)
        mWidgetManager->mImage = nullptr;
    mWidgetManager.reset();
    {
        std::lock_guard<std::recursive_mutex> lock(mImageRegistry->GetLock());
        mDDInterface.reset();
    }
    mMusicInterface.reset();
    mSoundManager.reset();
    mResourceManager.reset();
    {
        std::lock_guard<std::recursive_mutex> lock(mImageRegistry->GetLock());
        mMainWnd.reset();
    }
    if (mCursorThread.joinable())
        mCursorThread.join();
    if (gQuillAppBase == this)
        gQuillAppBase = nullptr;
    mDemoBuffer.Clear();
    mSingleInstanceLock.reset();
    if (ImageRegistry::Installed() == mImageRegistry.get())
        ImageRegistry::Install(nullptr);
    mImageRegistry.reset();
}

std::uint32_t QuillAppBase::GetTickCount() const
{
    return static_cast<std::uint32_t>(mPlatform->GetClock().Now());
}

std::string QuillAppBase::GetString(const std::string& id, const std::string& defaultText) const
{
    const auto it = mStringTable.find(id);
    return it == mStringTable.end() ? defaultText : it->second;
}

void QuillAppBase::SetString(const std::string& id, const std::string& text)
{
    mStringTable[id] = text;
}

void QuillAppBase::ExitProcess(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

// ---- Start-up ----

void QuillAppBase::Init()
{
    mPrimaryThreadId = std::this_thread::get_id();
    if (mShutdown)
        return;

    if (mNoDisplaySystem) {
        mPlatform->ShowMessageBox({"No Display",
                                   "This application needs a graphical display to run, and none could be "
                                   "started:\n" +
                                       mPlatform->GetLastError(),
                                   Platform::MessageBoxIcon::Error, Platform::MessageBoxButtons::Ok},
                                  nullptr);
        ExitProcess(kExitFailure);
    }

    if (!mCmdLineParsed)
        ParseCommandLine();

    if (mIsScreenSaver)
        mSingleInstance = false;
    if (mSingleInstance) {
        mSingleInstanceLock = Platform::SingleInstance::Acquire(mProdName);
        if (!mSingleInstanceLock) {
            // Another copy runs: bring it to the front and leave quietly.
            (void)Platform::SingleInstance::NotifyRunningCopy(mProdName, kNotifyWord);
            ExitProcess(kExitOk);
        }
    }

    const std::filesystem::path exeDir = Platform::ExecutableDir();
    if (!ChangeDirHook(exeDir.string())) {
        std::error_code error;
        std::filesystem::current_path(exeDir, error);
    }

    // Installed once per process: the text comes from whichever application is current. The
    // handler cannot make folders, so the report's folder is made now (a first run has none).
    // Without a folder the report goes to standard error only.
    const std::filesystem::path crashFolder = ProductDataFolder(mRegKey, mProdName);
    std::error_code folderError;
    if (!crashFolder.empty())
        std::filesystem::create_directories(crashFolder, folderError);
    const std::filesystem::path crashFile = crashFolder.empty() ? crashFolder : crashFolder / "crash.txt";
    (void)Platform::CrashHandler::Install(
        crashFile, [] { return gQuillAppBase != nullptr ? gQuillAppBase->GetCrashInfo() : std::string(); });

    mRandSeed = GetTickCount();
    SeedRand(mRandSeed);

    if (mPlayingDemo || mRecording) {
        // Demo files are handled by the demo recorder, which this build does not include yet.
        mPlayingDemo = false;
        mRecording = false;
        Popup("Demo recording and playback are not available in this version.");
        ExitProcess(kExitFailure);
    }

    PreReadRegistryHook();
    std::srand(GetTickCount());
    ReadFromRegistry();

    mWidgetManager = std::make_unique<WidgetManager>(this);

    PreDisplayHook();
    mWidgetManager->Resize(mWidth, mHeight);

    if (mIsWindowed) {
        const Platform::Rectangle work = mPlatform->GetDesktopWorkArea();
        if (!(work.mWidth > mWidth && work.mHeight > mHeight))
            mIsWindowed = false;
    }

    MakeWindow();
    // A played demo's start record (windowed flag, refresh rate) is read here once demos exist.

    if (!mSoundManager)
        mSoundManager = CreateSoundManager();
    SetSfxVolume(mSfxVolume);
    mMusicInterface = CreateMusicInterface(mMainWnd.get());
    SetMusicVolume(mMusicVolume);

    if (mIsScreenSaver) {
        mCursorNum = CURSOR_NONE;
        EnforceCursor();
    }

    mInitialized = true;
    Platform::CrashHandler::Refresh();

    if (mCrashRequested)
        Platform::CrashHandler::CrashNow();
}

std::unique_ptr<SoundManager> QuillAppBase::CreateSoundManager()
{
    // The mixer on the audio device comes with the sound-effect work; until then the
    // application plays no samples (as with no audio device).
    return nullptr;
}

std::unique_ptr<MusicInterface> QuillAppBase::CreateMusicInterface(Platform::Window* /*window*/)
{
    // The music engine comes with the music work; the base interface plays nothing.
    return std::make_unique<MusicInterface>();
}

void QuillAppBase::BindScreenImage()
{
    if (mWidgetManager && mDDInterface)
        mWidgetManager->mImage = mDDInterface->GetScreenImage();
}

void QuillAppBase::MakeWindow()
{
    if (mMainWnd) {
        std::lock_guard<std::recursive_mutex> lock(mImageRegistry->GetLock());
        if (mDDInterface)
            mDDInterface->Cleanup();
        mMainWnd->StopTimer(kTimerId);
        mMainWnd.reset();
        if (mWidgetManager)
            mWidgetManager->mImage = nullptr;
    }

    Platform::WindowConfig config;
    config.mTitle = mTitle;
    config.mWidth = mWidth;
    config.mHeight = mHeight;
    if (!mPlayingDemo && !mIsWindowed) {
        config.mFullScreen = true;
        config.mVisible = true;
        mIsPhysWindowed = false;
    } else {
        config.mFullScreen = false;
        // Shown by Start (or by the mode switch that made it).
        config.mVisible = false;
        if (mPreferredX != -1) {
            const Platform::Rectangle work = mPlatform->GetDesktopWorkArea();
            int x = mPreferredX;
            int y = mPreferredY;
            x = std::min(x, work.mX + work.mWidth - mWidth - kWorkAreaMargin);
            y = std::min(y, work.mY + work.mHeight - mHeight - kWorkAreaMargin);
            x = std::max(x, work.mX + kWorkAreaMargin);
            y = std::max(y, work.mY + kWorkAreaMargin);
            config.mPosition = Platform::Point{x, y};
        }
        mIsPhysWindowed = true;
    }

    std::unique_ptr<Platform::Window> window = mPlatform->CreateWindow(config);
    if (!window) {
        Popup("Failed to initialize DirectDraw: " +
              DDInterface::ResultName(DDInterface::RESULT_DD_CREATE_FAIL) + " " + mPlatform->GetLastError());
        ExitProcess(kExitFailure);
    }
    {
        std::lock_guard<std::recursive_mutex> lock(mImageRegistry->GetLock());
        mMainWnd = std::move(window);
    }

    const bool firstDisplay = !mDDInterface;
    if (firstDisplay) {
        mDDInterface = std::make_unique<DDInterface>(*mPlatform, *mImageRegistry, mWidth, mHeight);
        int is3D = 0;
        if (RegistryReadInteger("Is3D", is3D))
            mDDInterface->Set3D(is3D != 0);
    }

    int result = InitDisplay();

    if (!mIsPhysWindowed &&
        (result == DDInterface::RESULT_EXCLUSIVE_FAIL || result == DDInterface::RESULT_DISPCHANGE_FAIL)) {
        mForceWindowed = true;
        SwitchScreenMode(true);
        return;
    }
    if (mIsPhysWindowed && result == DDInterface::RESULT_INVALID_COLORDEPTH) {
        if (mForceWindowed) {
            Popup("Please set your desktop color depth to 16 bit.");
            ExitProcess(kExitFailure);
        }
        mForceFullscreen = true;
        SwitchScreenMode(false);
        return;
    }
    if (result == DDInterface::RESULT_3D_FAIL || (result != DDInterface::RESULT_OK && mDDInterface->Is3D())) {
        // The software path is the fallback of the accelerated one.
        m3DChanged = m3DChanged || mDDInterface->Is3D();
        mDDInterface->Set3D(false);
        result = InitDisplay();
    }
    if (result != DDInterface::RESULT_OK) {
        Popup("Failed to initialize DirectDraw: " + DDInterface::ResultName(result) + " " +
              mDDInterface->mErrorString);
        ExitProcess(kExitFailure);
    }

    if (mMinimized) {
        mMinimized = false;
        if (mMuteOnLostFocus)
            Unmute(true);
        RehupFocus();
    }
    BindScreenImage();
    mWidgetManager->MarkAllDirty();
    mMainWnd->StartTimer(kTimerId, mFrameTime);
    if (!firstDisplay)
        DisplayReinitialized();
}

int QuillAppBase::InitDisplay()
{
    PreDDInterfaceInitHook();
    const int result = mDDInterface->Init(mMainWnd.get(), mIsPhysWindowed);
    mSyncRefreshRate = mDDInterface->mRefreshRate;
    if (mDDInterface->m3DFailed) {
        m3DFailed = true;
        (void)RegistryEraseValue("Is3D");
    }
    return result;
}

bool QuillAppBase::Is3D() const
{
    return mDDInterface && mDDInterface->Is3D();
}

void QuillAppBase::Set3D(bool is3D, bool reinit)
{
    if (!mDDInterface || mDDInterface->Is3D() == is3D)
        return;
    m3DChanged = true;
    mDDInterface->Set3D(is3D);
    if (!reinit)
        return;
    PreDDInterfaceInitHook();
    DeleteImagesNativeData();
    const int result = mDDInterface->Init(mMainWnd.get(), mIsPhysWindowed);
    mSyncRefreshRate = mDDInterface->mRefreshRate;
    if (result != DDInterface::RESULT_OK) {
        if (!is3D) {
            Popup("Failed to initialize DirectDraw: " + DDInterface::ResultName(result) + " " +
                  mDDInterface->mErrorString);
            ExitProcess(kExitFailure);
        }
        m3DFailed = true;
        Set3D(false, reinit);
        return;
    }
    BindScreenImage();
    if (mWidgetManager)
        mWidgetManager->MarkAllDirty();
    DisplayReinitialized();
}

void QuillAppBase::SwitchScreenMode(bool wantWindowed, bool is3D)
{
    if (mForceFullscreen)
        wantWindowed = false;
    if (wantWindowed == mIsWindowed) {
        Set3D(is3D, true);
        return;
    }
    Set3D(is3D, false);
    mIsWindowed = wantWindowed;
    MakeWindow();
    if (mMainWnd) {
        if (mURLPending)
            mMainWnd->ShowWithoutActivation();
        else
            mMainWnd->Show();
    }
    if (mSoundManager)
        mSoundManager->SetCooperativeWindow(mMainWnd.get(), mIsWindowed);
    ReInitImages();
    mLastScreenModeSwitchTick = GetTickCount();
    // The crash text names the screen mode; the handler keeps a copy made in advance.
    Platform::CrashHandler::Refresh();
}

void QuillAppBase::SwitchScreenMode(bool wantWindowed)
{
    SwitchScreenMode(wantWindowed, Is3D());
}

void QuillAppBase::SetDisplayOption(bool on)
{
    if (!mDDInterface || mDDInterface->GetVSync() == on)
        return;
    mDDInterface->SetVSync(on);
    BindScreenImage();
    if (mWidgetManager)
        mWidgetManager->MarkAllDirty();
}

void QuillAppBase::ReInitImages()
{
    mImageRegistry->ForEachImage([](MemoryImage* image) { image->DeleteNativeData(); });
}

void QuillAppBase::DeleteImagesNativeData()
{
    mImageRegistry->ForEachImage([](MemoryImage* image) { image->DeleteAllNonSourceData(); });
}

std::unique_ptr<DDImage> QuillAppBase::GetImage(const std::string& path)
{
    std::optional<ImageLib::Image> loaded = ImageLib::GetImage(path, true);
    if (!loaded)
        return nullptr;
    auto image = std::make_unique<DDImage>(mDDInterface.get());
    image->SetBits(loaded->mPixels.data(), loaded->mWidth, loaded->mHeight);
    return image;
}

// ---- The main loop ----

void QuillAppBase::Start()
{
    if (mShutdown)
        return;
    if (!mCursorThreadRunning) {
        mCursorThreadRunning = true;
        (void)mPlatform->SetCurrentThreadPriority(Platform::ThreadPriority::AboveNormal);
        mCursorThread = std::thread([this] { CursorThreadProc(); });
    }
    StartLoadingThread();
    if (mMainWnd && !mHidden)
        mMainWnd->Show();

    const std::uint32_t start = GetTickCount();
    mLastTime = start;
    mTimeAccStarted = true;
    mLastTimerTick = start;
    mContinuousTimerStart = start;
    mLastUserInputTick = start;
    mLastDrawTick = start;
    mNextDrawTick = start;
    mLastHousekeepingTick = start;
    mLoopStarted = true;

    (void)RunMessageLoop(-1);
    FlushSafeDeleteList();
    JoinLoadingThread();

    WriteStatistics(start);
    PreTerminate();
    WriteToRegistry();
}

void QuillAppBase::WriteStatistics(std::uint32_t startTick)
{
    const std::uint32_t elapsed = GetTickCount() - startTick;
    char line[96];
    std::snprintf(line, sizeof(line), "Seconds       = %g\r\n", elapsed / 1000.0);
    mPlatform->DebugOutput(line);
    std::snprintf(line, sizeof(line), "Sleep Count   = %d\r\n", mSleepCount);
    mPlatform->DebugOutput(line);
    std::snprintf(line, sizeof(line), "Update Count  = %d\r\n", mUpdateCount);
    mPlatform->DebugOutput(line);
    std::snprintf(line, sizeof(line), "Draw Count    = %d\r\n", mDrawCount);
    mPlatform->DebugOutput(line);
    std::snprintf(line, sizeof(line), "Draw Time     = %d\r\n", mDrawTime);
    mPlatform->DebugOutput(line);
    std::snprintf(line, sizeof(line), "Screen Blt    = %d\r\n", mScreenBltTime);
    mPlatform->DebugOutput(line);
    if (mDrawTime + mScreenBltTime > 0) {
        // Wide: a run of some hours paints more than two million times.
        const long long rate = static_cast<long long>(mDrawCount) * 1000 / (mDrawTime + mScreenBltTime);
        std::snprintf(line, sizeof(line), "Avg FPS       = %lld\r\n", rate);
        mPlatform->DebugOutput(line);
    }
}

bool QuillAppBase::RunMessageLoop(int dialogId)
{
    if (dialogId != -1 && GetDialog(dialogId) == nullptr)
        return false;
    for (;;) {
        while (!mShutdown) {
            std::optional<Platform::WindowMessage> message = mPlatform->PollMessage();
            if (!message)
                break;
            HandleWindowMessage(*message);
        }
        if (mSingleInstanceLock) {
            for (std::uint32_t word : mSingleInstanceLock->PollNotifications())
                HandleNotify(word);
        }
        // Demo playback replays its due records here (ProcessDemo) once it exists.
        ProcessDeferredMessages();
        if (dialogId != -1 && !IsDialogPending(dialogId))
            break;
        if (mShutdown)
            break;
        Process(true);
        if (mShutdown)
            break;
    }
    return true;
}

void QuillAppBase::UpdateTimeAcc()
{
    const std::uint32_t now = GetTickCount();
    if (mTimeAccStarted)
        mTimeAcc = std::min(mTimeAcc + static_cast<double>(now - mLastTime), kMaxTimeAcc);
    mTimeAccStarted = true;
    mLastTime = now;
}

void QuillAppBase::ResetTiming()
{
    mLastTime = GetTickCount();
    mTimeAccStarted = true;
    mTimeAcc = 0.0;
}

bool QuillAppBase::Process(bool allowSleep)
{
    if (mLoadingFailed)
        Shutdown();

    // Demo fast-forward runs here once demo playback exists.

    if (mPaused || mUpdateMultiplier <= 0.0) {
        FlushSafeDeleteList();
        return true;
    }

    const double updateTime = mFrameTime / mUpdateMultiplier;
    const std::uint32_t start = GetTickCount();
    int slept = 0;
    UpdateTimeAcc();

    ++mNonDrawCount;
    const int maxNonDraws = static_cast<int>(std::ceil(mUpdateMultiplier * 10.0));
    const bool paint = (mNonDrawCount >= maxNonDraws && mLoaded) || mTimeAcc < updateTime;

    if (!paint) {
        if (UpdateApp()) {
            FlushSafeDeleteList();
            UpdateFramesF(1.0);
            FlushSafeDeleteList();
        }
        mTimeAcc -= updateTime;
        mHasPendingDraw = true;
    } else {
        mNonDrawCount = 0;
        if (mHasPendingDraw) {
            DrawDirty();
        } else {
            const int sleepTime = static_cast<int>(updateTime - mTimeAcc);
            if (sleepTime > 0) {
                if (!allowSleep)
                    return false;
                ++mSleepCount;
                mPlatform->GetClock().Sleep(sleepTime);
                slept = sleepTime;
            }
        }
    }

    if (mYieldMainThread) {
        const int worked = static_cast<int>(GetTickCount() - start) - slept;
        const int wait = std::min(2 * worked - slept, kMaxYieldSleep);
        if (wait >= 0) {
            if (!allowSleep)
                return false;
            mPlatform->GetClock().Sleep(wait);
        }
    }

    FlushSafeDeleteList();
    return true;
}

bool QuillAppBase::UpdateApp()
{
    if (mScreenSaverRunning)
        return false;
    // The demo update gate goes here once demo playback exists.
    if (mLoadingThreadCompleted && !mLoaded) {
        (void)mPlatform->SetCurrentThreadPriority(Platform::ThreadPriority::Normal);
        mLoaded = true;
        mYieldMainThread = false;
        LoadingThreadCompleted();
    }
    UpdateFrames();
    return true;
}

void QuillAppBase::UpdateFrames()
{
    ++mUpdateCount;
    if (!mMinimized && mWidgetManager && mWidgetManager->UpdateFrame())
        ++mFPSDirtyCount;
    if (mMusicInterface)
        mMusicInterface->Update();
}

void QuillAppBase::UpdateFramesF(double fraction)
{
    if (!mMinimized && mWidgetManager)
        mWidgetManager->UpdateFrameF(fraction);
}

bool QuillAppBase::DrawDirty()
{
    if (mDisplayLost) {
        Redraw(nullptr);
        mHasPendingDraw = false;
        mNoDrawNeeded = true;
        return false;
    }

    const std::uint32_t now = GetTickCount();
    if (now - mLastHousekeepingTick > kHousekeepingInterval) {
        mLastHousekeepingTick = now;
        ScreenSaverWatch(now);
    }
    if (mScreenSaverRunning) {
        mNoDrawNeeded = true;
        mHasPendingDraw = false;
        return false;
    }

    mDrawing = true;
    const bool drew = mWidgetManager && mWidgetManager->DrawScreen();
    mDrawing = false;

    const bool presentDue = now - mLastDrawTick >= kMaxPresentInterval;
    if ((!drew && !presentDue && !mForceRedraw) || static_cast<std::int32_t>(now - mNextDrawTick) < 0) {
        mNoDrawNeeded = true;
        mHasPendingDraw = false;
        return false;
    }

    ++mDrawCount;
    mNoDrawNeeded = false;
    mDrawTime += static_cast<int>(GetTickCount() - now);

    if (mIsPhysWindowed && mWaitForVSync && mDDInterface) {
        const int since = static_cast<int>(GetTickCount() - mLastDrawTick);
        const int period = mDDInterface->mMillisecondsPerFrame;
        if (since < period)
            mPlatform->GetClock().Sleep(period - since);
    }

    const std::uint32_t presentStart = GetTickCount();
    mLastDrawTick = presentStart;
    Redraw(nullptr);
    UpdateTimeAcc();
    const std::uint32_t presentEnd = GetTickCount();
    mScreenBltTime = static_cast<int>(presentEnd - presentStart);

    if (mLoadingThreadStarted && !mLoadingThreadCompleted) {
        const std::uint32_t paintTime = std::max(presentEnd - now, kMinLoadingPaintTime);
        const std::uint32_t next = mNextDrawTick + paintTime + kLoadingPaintGap;
        mNextDrawTick = static_cast<std::int32_t>(next - presentEnd) > 0 ? next : presentEnd;
    } else {
        mNextDrawTick = presentEnd;
    }

    mHasPendingDraw = false;
    mForceRedraw = false;
    return true;
}

void QuillAppBase::Redraw(const Rect* clip)
{
    if (mDrawing || mShutdown || mScreenSaverRunning || !mDDInterface)
        return;
    if (mDDInterface->Redraw(clip)) {
        mDisplayLost = false;
        return;
    }
    if (Is3D())
        m3DFailed = true;
    mDisplayLost = true;
    const std::uint32_t now = GetTickCount();
    if (!(mActive || (mIsPhysWindowed && now - mLastReinitTick > kReinitInterval)) || mMinimized)
        return;
    mLastReinitTick = now;
    if (mWidgetManager)
        mWidgetManager->mImage = nullptr;
    PreDDInterfaceInitHook();
    const int result = mDDInterface->Init(mMainWnd.get(), mIsPhysWindowed);
    mSyncRefreshRate = mDDInterface->mRefreshRate;
    if (result == DDInterface::RESULT_INVALID_COLORDEPTH && mIsPhysWindowed) {
        if (mActive) {
            SwitchScreenMode(false);
            mForceFullscreen = true;
        }
    } else if (result == DDInterface::RESULT_3D_FAIL) {
        Set3D(false, true);
    } else if (result == DDInterface::RESULT_OK) {
        ReInitImages();
        BindScreenImage();
        if (mWidgetManager)
            mWidgetManager->MarkAllDirty();
        DisplayReinitialized();
    }
}

void QuillAppBase::ScreenSaverWatch(std::uint32_t now)
{
    if (!mIsPhysWindowed || mIsScreenSaver)
        return;
    const Platform::ScreenSaverState state = mPlatform->GetScreenSaverState();
    if (mLastScreenSaverCheck == 0 || now - mLastScreenSaverCheck > kScreenSaverCheckInterval) {
        mLastScreenSaverCheck = now;
        mScreenSaverEnabled = state.mEnabled;
        mScreenSaverThreshold = static_cast<std::uint32_t>(std::max(state.mTimeoutSeconds - 2, 1)) * 1000u;
    }
    if (!mScreenSaverEnabled) {
        mScreenSaverRunning = false;
        return;
    }
    // The platform reports no system-wide idle time: the last input seen by the
    // window stands for it.
    const std::uint32_t idle = now - mLastUserInputTick;
    if (!mScreenSaverRunning) {
        if (idle > mScreenSaverThreshold)
            mScreenSaverRunning = true;
    } else if (!state.mRunning && idle < mScreenSaverThreshold) {
        mScreenSaverRunning = false;
        if (mWidgetManager)
            mWidgetManager->MarkAllDirty();
    }
}

void QuillAppBase::FlushSafeDeleteList()
{
    while (!mSafeDeleteList.empty()) {
        // Deleting a widget may queue further widgets.
        std::vector<Widget*> batch;
        batch.swap(mSafeDeleteList);
        for (Widget* widget : batch)
            delete widget;
    }
}

void QuillAppBase::SafeDeleteWidget(Widget* widget)
{
    if (widget == nullptr)
        return;
    if (std::find(mSafeDeleteList.begin(), mSafeDeleteList.end(), widget) == mSafeDeleteList.end())
        mSafeDeleteList.push_back(widget);
}

// ---- Threads ----

void QuillAppBase::CursorThreadProc()
{
    (void)mPlatform->SetCurrentThreadPriority(Platform::ThreadPriority::AboveNormal);
    Platform::Clock& clock = mPlatform->GetClock();
    while (!mShutdown) {
        clock.Sleep(kCursorPollMs);
        std::lock_guard<std::recursive_mutex> lock(mImageRegistry->GetLock());
        if (!mMainWnd || !mDDInterface)
            continue;
        const Platform::Point pointer = mMainWnd->GetPointerPosition();
        if (pointer.mX == mDDInterface->mCursorX && pointer.mY == mDDInterface->mCursorY)
            continue;
        const std::uint32_t sincePaint = GetTickCount() - mLastDrawTick;
        if (static_cast<int>(sincePaint) > mDDInterface->mMillisecondsPerFrame + kCursorPaintMargin)
            mDDInterface->SetCursorPos(pointer.mX, pointer.mY);
        else
            mDDInterface->SetNextCursorPos(pointer.mX, pointer.mY);
    }
    mCursorThreadRunning = false;
}

void QuillAppBase::StartLoadingThread()
{
    if (mLoadingThreadStarted)
        return;
    mYieldMainThread = true;
    (void)mPlatform->SetCurrentThreadPriority(Platform::ThreadPriority::AboveNormal);
    mLoadingThreadStarted = true;
    mLoadingThread = std::thread([this] {
        LoadingThreadProc();
        char line[64];
        std::snprintf(line, sizeof(line), "Resource Loading Time: %d\r\n",
                      static_cast<int>((GetTickCount() - mConstructTick) / 1000));
        mPlatform->DebugOutput(line);
        mLoadingThreadCompleted = true;
    });
}

void QuillAppBase::JoinLoadingThread()
{
    while (mLoadingThreadStarted && !mLoadingThreadCompleted)
        mPlatform->GetClock().Sleep(kLoadingWaitStepMs);
    if (mLoadingThread.joinable())
        mLoadingThread.join();
}

double QuillAppBase::GetLoadingThreadProgress()
{
    if (mLoaded)
        return 1.0;
    const int total = mNumLoadingThreadTasks;
    if (!mLoadingThreadStarted || total == 0)
        return 0.0;
    return std::min(static_cast<double>(mCompletedLoadingThreadTasks) / total, 1.0);
}

// ---- Shutdown ----

void QuillAppBase::Shutdown()
{
    if (mShutdown.exchange(true))
        return;
    if (mPlayingDemo) {
        // Volumes silenced by the playback controls come back before they are saved.
        if (mMusicVolume == 0.0)
            SetMusicVolume(mDemoMusicVolume);
        if (mSfxVolume == 0.0)
            SetSfxVolume(mDemoSfxVolume);
    }
    if (mCursorThread.joinable() && mCursorThread.get_id() != std::this_thread::get_id()) {
        while (mCursorThreadRunning)
            mPlatform->GetClock().Sleep(kThreadWaitStepMs);
        mCursorThread.join();
    }
    if (mMusicInterface)
        mMusicInterface->StopAllMusic();
    // Desktop full screen never changed the display mode: there is nothing to restore.
    if (mMainWnd)
        mMainWnd->Hide();
    if (mRegistryRead)
        WriteToRegistry();
}

void QuillAppBase::AskAbout3D()
{
    if (!mDDInterface)
        return;
    int stored = 0;
    const bool hasSetting = RegistryReadInteger("Is3D", stored);
    if (m3DChanged && !hasSetting) {
        if (m3DFailed && Is3D()) {
            const int answer = MsgBox("Hardware Acceleration was switched on during this session.\r\n"
                                      "If this resulted in slower performance, it should be switched off.\r\n"
                                      "Would you like to keep Hardware Acceleration switched on?",
                                      mCaptionPrefix + " Hardware Acceleration Confirmation",
                                      MSGBOX_YESNO | MSGBOX_ICONQUESTION);
            mDDInterface->Set3D(answer == MSGBOX_ANSWER_YES);
            if (answer == MSGBOX_ANSWER_YES)
                (void)RegistryWriteBoolean("Is3D", true);
        } else {
            (void)RegistryWriteBoolean("Is3D", Is3D());
        }
    } else if (m3DFailed && !mIsScreenSaver) {
        const int answer = MsgBox(
            "Hardware Acceleration may not have been working correctly during this session.\r\n"
            "If you noticed graphics problems, you may want to turn off Hardware Acceleration.\r\n"
            "Would you like to keep Hardware Acceleration switched on?",
            mCaptionPrefix + " Hardware Acceleration Confirmation", MSGBOX_YESNO | MSGBOX_ICONQUESTION);
        if (answer == MSGBOX_ANSWER_NO)
            (void)RegistryWriteBoolean("Is3D", false);
    }
}

void QuillAppBase::PreTerminate() {}

// ---- Popups ----

void QuillAppBase::BeginPopup()
{
    // Desktop full screen keeps the desktop composited: a box can be shown over it.
    mInPopup = true;
}

void QuillAppBase::EndPopup()
{
    mInPopup = false;
    ResetTiming();
    if (mWidgetManager)
        mWidgetManager->ClearKeysDown();
}

int QuillAppBase::MsgBox(const std::string& text, const std::string& title, int flags)
{
    if (mIsScreenSaver) {
        LogScreenSaverError(text);
        return MSGBOX_ANSWER_OK;
    }
    Platform::MessageBoxRequest request;
    request.mTitle = title;
    request.mText = text;
    request.mIcon = IconFor(flags);
    request.mButtons = (flags & MSGBOX_YESNO) == MSGBOX_YESNO ? Platform::MessageBoxButtons::YesNo
                                                              : Platform::MessageBoxButtons::Ok;
    BeginPopup();
    const Platform::MessageBoxAnswer answer = mPlatform->ShowMessageBox(request, mMainWnd.get());
    EndPopup();
    return static_cast<int>(answer);
}

void QuillAppBase::Popup(const std::string& text)
{
    if (mIsScreenSaver) {
        LogScreenSaverError(text);
        return;
    }
    BeginPopup();
    if (!mShutdown) {
        mPlatform->ShowMessageBox(
            {"FATAL ERROR", text, Platform::MessageBoxIcon::Error, Platform::MessageBoxButtons::Ok},
            mMainWnd.get());
    } else {
        // No box while shutting down, but the error is not lost either.
        mPlatform->DebugOutput("FATAL ERROR: " + text + "\n");
    }
    EndPopup();
}

void QuillAppBase::LogScreenSaverError(const std::string& text)
{
    char tick[16];
    std::snprintf(tick, sizeof(tick), "%u", GetTickCount());
    const std::string line = text + " " + LocalTimeText(std::time(nullptr)) + " " + tick + "\n";
    std::string content;
    if (mScreenSaverLogStarted) {
        if (std::optional<std::vector<std::uint8_t>> old = Platform::ReadWholeFile(kScreenSaverLogFile))
            content.assign(old->begin(), old->end());
    }
    content += line;
    mScreenSaverLogStarted = true;
    (void)Platform::WriteFileAtomically(kScreenSaverLogFile, content);
}

// ---- Misc ----

std::string QuillAppBase::GetProductVersion(const std::string& /*path*/)
{
    return QUILL_VERSION;
}

void QuillAppBase::HideApp()
{
    if (mMusicInterface)
        mMusicInterface->SetVolume(0.0);
    if (mMainWnd)
        mMainWnd->Hide();
    mHidden = true;
    EnforceCursor();
}

std::string QuillAppBase::GetCrashInfo()
{
    std::ostringstream info;
    info << "Version: " << mProductVersion << "\n";
    info << "Time Loaded: " << LocalTimeText(static_cast<std::time_t>(mConstructTime)) << "\n";
    info << "Fullscreen: " << (mIsPhysWindowed ? "No" : "Yes") << "\n";
    info << "Primary ThreadId: " << mPrimaryThreadId << "\n";
    info << GetExtraCrashInfo();
    return info.str();
}

std::string QuillAppBase::GetExtraCrashInfo()
{
    return {};
}

void QuillAppBase::NotifyReceived(int /*word*/) {}

void QuillAppBase::HandleNotify(std::uint32_t word)
{
    if (mMainWnd) {
        if (mMainWnd->IsMinimized())
            mMainWnd->Restore();
        mMainWnd->Raise();
    }
    NotifyReceived(static_cast<int>(word));
}

void QuillAppBase::LoadingThreadCompleted() {}
void QuillAppBase::LoadingThreadProc() {}
void QuillAppBase::PreDisplayHook() {}
void QuillAppBase::PreDDInterfaceInitHook() {}
void QuillAppBase::PreReadRegistryHook() {}
void QuillAppBase::ModalOpen() {}
void QuillAppBase::ModalClose() {}
void QuillAppBase::GotFocus() {}
void QuillAppBase::LostFocus() {}
void QuillAppBase::DisplayReinitialized() {}

bool QuillAppBase::ChangeDirHook(const std::string& /*dir*/)
{
    return false;
}

bool QuillAppBase::DebugKeyDown(int /*key*/)
{
    return false;
}

bool QuillAppBase::IsAltKeyUsed(int ch)
{
    return ch == 'r' || ch == 'R';
}

// ---- Sound ----

void QuillAppBase::PlaySample(int id, int pan)
{
    if (!mSoundManager)
        return;
    if (SoundInstance* instance = mSoundManager->GetSoundInstance(id)) {
        instance->SetPan(pan);
        (void)instance->Play(false, true);
    }
}

void QuillAppBase::PlaySample(int id)
{
    if (!mSoundManager)
        return;
    if (SoundInstance* instance = mSoundManager->GetSoundInstance(id))
        (void)instance->Play(false, true);
}

void QuillAppBase::StopAllSounds()
{
    if (mSoundManager)
        mSoundManager->StopAllSounds();
}

double QuillAppBase::GetMusicVolume()
{
    return mMusicVolume;
}

double QuillAppBase::GetSfxVolume()
{
    return mSfxVolume;
}

bool QuillAppBase::IsMuted()
{
    return mMuteCount > 0;
}

void QuillAppBase::SetMasterVolume(double volume)
{
    mSfxVolume = volume;
    if (mSoundManager)
        mSoundManager->SetMasterVolume(volume);
}

void QuillAppBase::SetMusicVolume(double volume)
{
    mMusicVolume = volume;
    if (mMusicInterface)
        mMusicInterface->SetVolume(IsMuted() ? 0.0 : volume);
}

void QuillAppBase::SetSfxVolume(double volume)
{
    mSfxVolume = volume;
    if (mSoundManager)
        mSoundManager->SetVolume(IsMuted() ? 0.0 : volume);
}

void QuillAppBase::Mute(bool autoMute)
{
    ++mMuteCount;
    if (autoMute)
        ++mAutoMuteCount;
    SetMusicVolume(mMusicVolume);
    SetSfxVolume(mSfxVolume);
}

void QuillAppBase::Unmute(bool autoMute)
{
    // An automatic unmute only undoes an automatic mute, so it never lifts the user's own.
    if (mMuteCount <= 0 || (autoMute && mAutoMuteCount <= 0))
        return;
    --mMuteCount;
    if (autoMute)
        --mAutoMuteCount;
    SetMusicVolume(mMusicVolume);
    SetSfxVolume(mSfxVolume);
}

} // namespace Quill
