#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/Buffer.h"
#include "framework/ButtonListener.h"
#include "graphics/Rect.h"
#include "platform/Files.h"
#include "platform/SettingsFile.h"
#include "platform/WindowMessage.h"

namespace Quill {

namespace Platform {
class Backend;
class SingleInstance;
class Window;
} // namespace Platform

class DDInterface;
class DDImage;
class Dialog;
class Image;
class ImageRegistry;
class MusicInterface;
class ResourceManager;
class SoundManager;
class Widget;
class WidgetManager;

// Cursor numbers for `mCursorNum`.
enum CursorNum {
    CURSOR_POINTER = 0,
    CURSOR_HAND = 1,
    CURSOR_DRAGGING = 2,
    CURSOR_TEXT = 3,
    CURSOR_CIRCLE_SLASH = 4,
    CURSOR_NONE = 5,
    NUM_CURSORS = 6
};

// Message box styles and answers for `MsgBox` (the classic numbering, so game
// code reads like any other desktop program).
enum MsgBoxFlags {
    MSGBOX_OK = 0x00,
    MSGBOX_YESNO = 0x04,
    MSGBOX_ICONSTOP = 0x10,
    MSGBOX_ICONQUESTION = 0x20,
    MSGBOX_ICONINFORMATION = 0x40
};
enum MsgBoxAnswer {
    MSGBOX_ANSWER_OK = 1,
    MSGBOX_ANSWER_YES = 6,
    MSGBOX_ANSWER_NO = 7
};

class QuillAppBase;

// The one application object of the process; set by its constructor, cleared
// by its destructor.
extern QuillAppBase* gQuillAppBase;

// The application object: owns the window, the display layer, the widget
// manager, sound, music and resources; runs the message pump, the fixed-rate
// update loop and the paints on the main thread, plus a cursor thread and a
// resource-loading thread. The game's application class derives from it.
class QuillAppBase : public ButtonListener {
public:
    // The application on the given platform (tests pass a fake one); none: the real desktop.
    explicit QuillAppBase(Platform::Backend* platform = nullptr);
    QuillAppBase(const QuillAppBase&) = delete;
    QuillAppBase& operator=(const QuillAppBase&) = delete;

    // ---- Virtual operations, in slot order (0-6 come from ButtonListener). ----

    // One pass of the update/paint loop; false only when allowSleep is false and the pass wanted to sleep.
    virtual bool Process(bool allowSleep = true);
    // One update tick: counts it, updates every widget, advances the music.
    virtual void UpdateFrames();
    // The gate of one update tick; true when the update ran.
    virtual bool UpdateApp();
    // Called after every update with the fraction 1.0.
    virtual void UpdateFramesF(double fraction);
    // (Re)creates the main window and initialises the display layer.
    virtual void MakeWindow();
    // Chooses and sets the cursor shown over the window.
    virtual void EnforceCursor();
    // Asks every live image to drop its display-format copy.
    virtual void ReInitImages();
    // Drops every derived and display copy of every live image.
    virtual void DeleteImagesNativeData();
    // Hook: runs on the main thread once the loading thread has finished.
    virtual void LoadingThreadCompleted();
    virtual ~QuillAppBase();
    // The music player for the application.
    virtual std::unique_ptr<MusicInterface> CreateMusicInterface(Platform::Window* window);
    // Start-up: command line, single instance, settings, window, display, sound.
    virtual void Init();
    // Hook: the main loop has ended.
    virtual void PreTerminate();
    // Hook: body of the loading thread.
    virtual void LoadingThreadProc();
    // Writes the application's own settings.
    virtual void WriteToRegistry();
    // Reads the application's own settings (and marks the run as in progress).
    virtual void ReadFromRegistry();
    // Factory of standard message dialogs; the base makes none. The table takes ownership.
    virtual Dialog* NewDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                              const std::string& footer, int buttonMode);
    // Runs the loop until the dialog has a result (or until shutdown for -1); false when no such dialog.
    virtual bool RunMessageLoop(int dialogId = -1);
    // Before and after an OS message box.
    virtual void BeginPopup();
    virtual void EndPopup();
    // An OS message box (or the screen-saver log); returns the answer.
    virtual int MsgBox(const std::string& text, const std::string& title, int flags);
    // A fatal-error box titled "FATAL ERROR".
    virtual void Popup(const std::string& text);
    // Appends a line to "ScrError.txt" (the first call of the run starts the file afresh).
    virtual void LogScreenSaverError(const std::string& text);
    // Queues the widget for deletion at the end of the current loop pass; the list owns it from now on.
    virtual void SafeDeleteWidget(Widget* widget);
    virtual void URLOpenFailed(const std::string& url);
    virtual void URLOpenSucceeded(const std::string& url);
    // Opens a web address in the browser; the outcome is decided later by the message handling.
    virtual bool OpenURL(const std::string& url, bool shutdownOnOpen = false);
    // The product version of the program (compiled in).
    virtual std::string GetProductVersion(const std::string& path);
    // Silences the music, hides the window and stops painting and input.
    virtual void HideApp();
    // Text for a crash report.
    virtual std::string GetCrashInfo();
    // Hook: a second copy of the program sent its notify word (after the window was raised).
    virtual void NotifyReceived(int word);
    // Ends the run (once): waits for the cursor thread, stops music, hides the window, writes settings.
    virtual void Shutdown();
    // Parses the command line handed over by SetCommandLine.
    virtual void ParseCommandLine();
    virtual void ParseCommandLineString(const std::string& text);
    virtual void HandleCmdLineParam(const std::string& name, const std::string& value);
    // The main loop; returns when the application shuts down.
    virtual void Start();
    // Hook: in Init, before the window exists.
    virtual void PreDisplayHook();
    // Hook: before every initialisation of the display layer.
    virtual void PreDDInterfaceInitHook();
    // Hook: return true to keep the current working directory instead of dir.
    virtual bool ChangeDirHook(const std::string& dir);
    // Plays the sample once (with the given pan), releasing the instance when it ends.
    virtual void PlaySample(int id, int pan);
    virtual void PlaySample(int id);
    // Stops every sound effect that is playing.
    virtual void StopAllSounds();
    virtual double GetMusicVolume();
    virtual double GetSfxVolume();
    virtual bool IsMuted();
    virtual void SetMasterVolume(double volume);
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    // Mutes (counted; autoMute counts the mutes the application makes by itself).
    virtual void Mute(bool autoMute = false);
    virtual void Unmute(bool autoMute = false);
    // 0..1 for a loading screen.
    virtual double GetLoadingThreadProgress();
    // Reads an image file into a new display image; none on failure.
    virtual std::unique_ptr<DDImage> GetImage(const std::string& path);
    virtual void SwitchScreenMode(bool wantWindowed, bool is3D);
    virtual void SwitchScreenMode(bool wantWindowed);
    // Smooth (on) or sharp scaling of the picture when it is stretched to the desktop.
    virtual void SetDisplayOption(bool on);
    // KillDialog(id), NewDialog(...), AddDialog(id, ...).
    virtual Dialog* DoDialog(int id, bool isModal, const std::string& header, const std::string& lines,
                             const std::string& footer, int buttonMode);
    virtual Dialog* GetDialog(int id);
    // Enters the dialog (taking ownership) in the table and the widget manager.
    virtual void AddDialog(int id, Dialog* dialog);
    virtual bool KillDialog(Dialog* dialog);
    virtual bool KillDialog(int id);
    virtual int GetDialogCount();
    // Hooks around modal dialogs and focus changes.
    virtual void ModalOpen();
    virtual void ModalClose();
    virtual void GotFocus();
    virtual void LostFocus();
    // True for characters typed with Alt that the program uses itself (swallowed).
    virtual bool IsAltKeyUsed(int ch);
    // Hook: key presses during demo playback.
    virtual bool DebugKeyDown(int key);
    // Hook: the display layer has just been initialised again (mode switch or lost display).
    virtual void DisplayReinitialized();
    // Extra lines for a crash report; the base adds none.
    virtual std::string GetExtraCrashInfo();
    // Lets a derived program accept command-line parameters of its own; true when handled.
    virtual bool HandleExtraCmdLineParam(const std::string& name, const std::string& value);
    // Paints what changed and presents it; true when presented.
    virtual bool DrawDirty();
    // Presents the screen image (clip unused: the whole changed area is presented).
    virtual void Redraw(const Rect* clip);
    // Hook: just before ReadFromRegistry in Init.
    virtual void PreReadRegistryHook();

    // ---- Non-virtual operations. ----

    // Entry from the string table, or the default.
    [[nodiscard]] std::string GetString(const std::string& id, const std::string& defaultText = "") const;
    void SetString(const std::string& id, const std::string& text);

    // The command line to parse, program name first (see CommandLineFromArgs).
    void SetCommandLine(const std::string& commandLine) { mCommandLine = commandLine; }

    // Sets the cursor number and shows it.
    void SetCursor(int cursorNum);
    // The picture drawn as the cursor for a cursor number (not owned; none: the desktop's pointer).
    void SetCursorImage(int cursorNum, Image* image);

    // Re-evaluates focus (active and not minimised) and acts on a change.
    void RehupFocus();
    // Takes one window message as it arrives: handles a few at once, queues input for later.
    void HandleWindowMessage(const Platform::WindowMessage& message);
    // Replays the deferred message queue into the widget manager.
    void ProcessDeferredMessages();
    // Switches the accelerated display path on or off (reinit: initialise the display again).
    void Set3D(bool is3D, bool reinit);
    [[nodiscard]] bool Is3D() const;
    // Deletes every widget queued by SafeDeleteWidget, then empties the list.
    void FlushSafeDeleteList();
    // Takes the clock's advance since the last call into mTimeAcc (capped at one second).
    void UpdateTimeAcc();
    // Forgets the time that passed (no catch-up follows).
    void ResetTiming();

    // Ends the process at once with the status (see the kExit constants).
    [[noreturn]] void ExitProcess(int status);

    // Settings store. The raw operations are the single choke point of every settings access.
    [[nodiscard]] bool RegistryWrite(const std::string& valueName, Platform::RegType type,
                                     const std::uint8_t* data, std::uint32_t length);
    // The whole value and its type; false (outputs unchanged) when it cannot be read.
    [[nodiscard]] bool RegistryRead(const std::string& valueName, Platform::RegType& type,
                                    std::vector<std::uint8_t>& data);
    [[nodiscard]] bool RegistryEraseValue(const std::string& valueName);
    // Typed helpers; a failed read leaves the output unchanged.
    [[nodiscard]] bool RegistryWriteString(const std::string& valueName, const std::string& text);
    [[nodiscard]] bool RegistryWriteInteger(const std::string& valueName, int value);
    [[nodiscard]] bool RegistryWriteBoolean(const std::string& valueName, bool value);
    [[nodiscard]] bool RegistryWriteData(const std::string& valueName, const std::uint8_t* data,
                                         std::uint32_t length);
    // At most 1023 bytes, up to the first zero byte; the value must be a string.
    [[nodiscard]] bool RegistryReadString(const std::string& valueName, std::string& text);
    // The value must be a DWORD of exactly four bytes.
    [[nodiscard]] bool RegistryReadInteger(const std::string& valueName, int& value);
    [[nodiscard]] bool RegistryReadBoolean(const std::string& valueName, bool& value);
    // Raw bytes into a buffer of length bytes; length becomes the value's size. False when the
    // value is not raw bytes or does not fit.
    [[nodiscard]] bool RegistryReadData(const std::string& valueName, std::uint8_t* data,
                                        std::uint32_t& length);

    // The platform in use.
    [[nodiscard]] Platform::Backend& GetPlatform() const { return *mPlatform; }
    // The platform clock, truncated to 32 bits as the design's tick counts are.
    [[nodiscard]] std::uint32_t GetTickCount() const;
    // The set of live images (and the display's lock).
    [[nodiscard]] ImageRegistry& GetImageRegistry() const { return *mImageRegistry; }
    // The deferred messages not yet replayed.
    [[nodiscard]] const std::deque<Platform::WindowMessage>& GetDeferredMessages() const
    {
        return mDeferredMessages;
    }

    // Exit statuses. A second copy that handed over to the first ends with kExitOk.
    static constexpr int kExitOk = 0;
    // Failures: display, start-up data (demo, resources), a missing display system.
    static constexpr int kExitFailure = 1;
    // An unknown command-line parameter.
    static constexpr int kExitUsage = 2;
    // Id of the window timer that drives the message handling.
    static constexpr int kTimerId = 100;
    // Notify word a second copy sends to the first.
    static constexpr std::uint32_t kNotifyWord = 0x51554C4E;

private:
    // The platform made by the application itself (declared first: it must outlive every window).
    std::unique_ptr<Platform::Backend> mOwnedPlatform;

public:
    // ---- Fields (design names; defaults at construction). ----

    // The platform in use (owned above, or the caller's).
    Platform::Backend* mPlatform = nullptr;

    // Identity and text.
    // Prefix of the caption of the hardware-acceleration questions at exit.
    std::string mCaptionPrefix;
    // Product name; the single-instance lock and the notify channel are named from it.
    std::string mProdName = "Product";
    // Window title.
    std::string mTitle = "QuillApp";
    // Settings key (e.g. "Quillby\\Mewbloom"); empty: every settings access fails.
    std::string mRegKey;
    std::string mProductVersion;
    // Demo files: prefix of numbered demos and the file recorded or played.
    std::string mDemoFilePrefix = "quillapp";
    std::string mDemoFileName = "quillapp.dmo";
    // Folder of the numbered demo files: the executable's folder, which Init makes the
    // working folder (the command line is parsed before that change).
    std::filesystem::path mDemoFolder = Platform::ExecutableDir();
    // Texts by identifier (dialog buttons, update check); "RegistryKey" overrides mRegKey.
    std::map<std::string, std::string> mStringTable;

    // Window and display.
    int mWidth = 640;
    int mHeight = 480;
    // Last normal window position; -1 centres the window.
    int mPreferredX = -1;
    int mPreferredY = -1;
    // Requested mode and the mode in force.
    bool mIsWindowed = true;
    bool mIsPhysWindowed = true;
    // Set when windowed mode cannot work; set when full screen failed.
    bool mForceFullscreen = false;
    bool mForceWindowed = false;
    bool mInitialized = false;
    // The main window; none before MakeWindow.
    std::unique_ptr<Platform::Window> mMainWnd;
    // Hidden by HideApp: no painting, cursor or input handling.
    bool mHidden = false;
    // The application is the active one; the window is minimised; active and not minimised.
    bool mActive = true;
    bool mMinimized = false;
    bool mHasFocus = true;
    // The pointer is inside the client area.
    bool mMouseIn = false;
    int mCursorNum = CURSOR_POINTER;
    // Cursor picture per cursor number (not owned).
    std::array<Image*, NUM_CURSORS> mCustomCursorImages{};
    // Cursor number shown instead of mCursorNum, or -1.
    int mOverrideCursor = -1;
    bool mCustomCursorsEnabled = false;
    // The desktop's pointer is shown (no cursor picture of ours).
    bool mSysCursorShown = true;
    // Saturating add: entry i is min(i, 255).
    std::array<std::uint8_t, 512> mAddClampTable{};

    // Timing (milliseconds of the platform clock).
    // The fixed update interval.
    int mFrameTime = 10;
    // Speed factor (changed only by demo playback).
    double mUpdateMultiplier = 1.0;
    // Real time not yet consumed by updates, and the last clock reading taken into it.
    double mTimeAcc = 0.0;
    std::uint32_t mLastTime = 0;
    // An update happened since the last paint.
    bool mHasPendingDraw = true;
    // The last paint attempt found nothing to show.
    bool mNoDrawNeeded = false;
    // A paint is in progress.
    std::atomic<bool> mDrawing = false;
    // Consecutive loop passes that did not try to paint.
    int mNonDrawCount = 0;
    // Pace presents to the display's refresh.
    bool mWaitForVSync = false;
    // Refresh rate reported by the display layer after each initialisation.
    int mSyncRefreshRate = 100;
    // Clock at the last present and the earliest clock for the next one (read by the cursor thread).
    std::atomic<std::uint32_t> mLastDrawTick = 0;
    std::atomic<std::uint32_t> mNextDrawTick = 0;
    // Message-handling clock readings.
    std::uint32_t mLastTimerTick = 0;
    std::uint32_t mContinuousTimerStart = 0;
    std::uint32_t mLastUserInputTick = 0;
    // Statistics.
    int mUpdateCount = 0;
    int mDrawCount = 0;
    int mSleepCount = 0;
    int mDrawTime = 0;
    int mScreenBltTime = 0;
    int mFPSDirtyCount = 0;
    std::uint32_t mConstructTick = 0;
    // Wall-clock time of construction (for crash reports).
    std::int64_t mConstructTime = 0;
    // The next paint must be presented even if nothing changed.
    std::atomic<bool> mForceRedraw = false;

    // Threads and loading (shared with the loading and cursor threads).
    std::atomic<bool> mCursorThreadRunning = false;
    std::atomic<bool> mLoadingThreadStarted = false;
    std::atomic<bool> mLoadingThreadCompleted = false;
    std::atomic<bool> mLoaded = false;
    // Set by the game when loading failed; the next pass shuts down.
    std::atomic<bool> mLoadingFailed = false;
    std::atomic<int> mNumLoadingThreadTasks = 0;
    std::atomic<int> mCompletedLoadingThreadTasks = 0;
    // While true the main loop sleeps in proportion to its own work.
    std::atomic<bool> mYieldMainThread = false;
    // The previous run ended cleanly ("InProgress" was 0).
    bool mLastShutdownWasGraceful = true;

    // Sound.
    double mMusicVolume = 0.85;
    double mSfxVolume = 0.85;
    // Volumes saved while a played demo mutes.
    double mDemoMusicVolume = 0.0;
    double mDemoSfxVolume = 0.0;
    int mMuteCount = 0;
    int mAutoMuteCount = 0;
    bool mMuteOnLostFocus = true;
    bool mFastForwardMuted = false;

    // Owned collaborators.
    // The set of live images; made first and installed, so every image made later joins it.
    std::unique_ptr<ImageRegistry> mImageRegistry;
    std::unique_ptr<WidgetManager> mWidgetManager;
    std::unique_ptr<DDInterface> mDDInterface;
    std::unique_ptr<SoundManager> mSoundManager;
    std::unique_ptr<MusicInterface> mMusicInterface;
    // The resource manager, owned through a deleter given with it (this header does not know the class).
    std::unique_ptr<ResourceManager, void (*)(ResourceManager*)> mResourceManager{nullptr, nullptr};
    // Dialog table (owned) by id, and the same dialogs in creation order.
    std::map<int, Dialog*> mDialogMap;
    std::list<Dialog*> mDialogList;
    // Widgets waiting for deletion at the end of the pass (owned).
    std::vector<Widget*> mSafeDeleteList;
    // Input and window-state messages waiting for ProcessDeferredMessages, oldest first.
    std::deque<Platform::WindowMessage> mDeferredMessages;
    // The input event stream of a demo.
    Buffer mDemoBuffer;
    // This copy's single-instance lock and notify channel.
    std::unique_ptr<Platform::SingleInstance> mSingleInstanceLock;

    // Other state.
    std::atomic<bool> mShutdown = false;
    // The user closed the window.
    bool mCloseRequest = false;
    // An OS message box is up.
    std::atomic<bool> mInPopup = false;
    bool mIsScreenSaver = false;
    bool mSingleInstance = true;
    bool mCmdLineParsed = false;
    // Settings were read at start-up (so Shutdown writes them back).
    bool mRegistryRead = false;
    std::thread::id mPrimaryThreadId;
    std::uint32_t mRandSeed = 0;
    bool mURLPending = false;
    std::string mPendingURL;
    bool mShutdownOnURLOpen = false;
    std::uint32_t mURLOpenTick = 0;
    // The main loop has started (timer ticks and paint messages are acted on).
    bool mLoopStarted = false;
    // Demo recording and playback.
    bool mRecording = false;
    bool mPlayingDemo = false;
    bool mPaused = false;
    bool mStepRequested = false;
    bool mFastForwardAll = false;
    int mFastForwardTarget = 0;
    // "-crash": a deliberate fault once start-up is done, to exercise the crash handler.
    bool mCrashRequested = false;

    // Process-wide state (one application per process).
    // The screen saver is believed to be running: no updates, no paints.
    std::atomic<bool> mScreenSaverRunning = false;
    // The last present failed.
    bool mDisplayLost = false;
    std::uint32_t mLastReinitTick = 0;
    // Idle time after which the screen saver is believed to start, and when it was last read.
    std::uint32_t mScreenSaverThreshold = 0;
    std::uint32_t mLastScreenSaverCheck = 0;
    bool mScreenSaverEnabled = false;
    std::uint32_t mLastHousekeepingTick = 0;
    // Clock at the last switch between windowed and full screen.
    std::uint32_t mLastScreenModeSwitchTick = 0;
    // 3D was switched during this run; the accelerated path failed during this run.
    bool m3DChanged = false;
    bool m3DFailed = false;

protected:
    // The command line as handed over by the program's entry.
    std::string mCommandLine;

private:
    // Raises the window for a second copy's notify word (the notify part of the window procedure).
    void HandleNotify(std::uint32_t word);
    // Sound seam: the mixer on the audio device is not part of this build yet.
    std::unique_ptr<SoundManager> CreateSoundManager();
    // Initialises the display layer for the current window; the result code.
    int InitDisplay();
    // Makes the screen image the widget manager paints into.
    void BindScreenImage();
    // The pointer-inside test and URL outcome of one timer tick.
    void ProcessTimerTick();
    // Routes one queued message to the widget manager.
    void ProcessDeferredMessage(const Platform::WindowMessage& message);
    // The screen-saver watch, once a second.
    void ScreenSaverWatch(std::uint32_t now);
    void CursorThreadProc();
    void StartLoadingThread();
    // The hardware-acceleration questions of the destructor.
    void AskAbout3D();
    // Writes the run statistics to the debug output.
    void WriteStatistics(std::uint32_t startTick);
    // Waits for the loading thread to finish.
    void JoinLoadingThread();
    // The dialog exists and has no result yet.
    [[nodiscard]] bool IsDialogPending(int id);
    // Removes and deletes every dialog at once.
    void DeleteAllDialogs();

    // mLastTime holds a reading (the first UpdateTimeAcc only takes one).
    bool mTimeAccStarted = false;
    // The platform made by the application has no display system.
    bool mNoDisplaySystem = false;
    // "ScrError.txt" was started afresh by this run.
    bool mScreenSaverLogStarted = false;
    std::thread mCursorThread;
    std::thread mLoadingThread;
};

} // namespace Quill
