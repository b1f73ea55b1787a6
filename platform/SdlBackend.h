#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "platform/SystemClock.h"

namespace Quill::Platform {

class SdlCursorSet;
class SdlEventTranslator;
class SdlWindow;

// The real platform: windows, messages, presenting, clipboard, cursors and
// message boxes through SDL2 video; the browser through xdg-open; time
// through the steady clock. Only one should exist; it starts SDL's video
// system and stops it again. Windows and presenters it makes must be
// destroyed before it.
class SdlBackend : public Backend {
public:
    SdlBackend();
    ~SdlBackend() override;
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    [[nodiscard]] Clock& GetClock() override { return mClock; }
    // False without a display, and with SDL's headless drivers ("dummy",
    // "offscreen"), which make windows nobody can see.
    [[nodiscard]] bool HasDisplay() const override;
    [[nodiscard]] std::unique_ptr<Window> CreateWindow(const WindowConfig& config) override;
    [[nodiscard]] PresenterResult CreatePresenter(Window& window, const PresenterConfig& config) override;
    [[nodiscard]] std::string GetLastError() const override { return mLastError; }
    [[nodiscard]] std::optional<WindowMessage> PollMessage() override;
    [[nodiscard]] Rectangle GetDesktopWorkArea() const override;
    [[nodiscard]] Rectangle GetDesktopBounds() const override;
    [[nodiscard]] std::string GetClipboardText() override;
    [[nodiscard]] bool SetClipboardText(const std::string& text) override;
    [[nodiscard]] bool OpenURL(const std::string& url) override;
    MessageBoxAnswer ShowMessageBox(const MessageBoxRequest& request, Window* parent) override;
    bool SetCurrentThreadPriority(ThreadPriority priority) override;
    void DebugOutput(std::string_view text) override;
    [[nodiscard]] ScreenSaverState GetScreenSaverState() const override;

    // True when SDL's video system started.
    [[nodiscard]] bool HasVideo() const { return mVideo; }

    // Used by SdlWindow.
    [[nodiscard]] SdlCursorSet& GetCursors() { return *mCursors; }
    void RegisterWindow(SdlWindow* window);
    void UnregisterWindow(SdlWindow* window);

    // Whether the address may be handed to the browser: not empty, no control
    // characters or spaces, and not looking like a command-line option.
    [[nodiscard]] static bool IsAcceptableURL(const std::string& url);

private:
    [[nodiscard]] SdlWindow* FindWindow(std::uint32_t id) const;

    SystemClock mClock;
    bool mVideo = false;
    std::string mLastError;
    std::unique_ptr<SdlCursorSet> mCursors;
    std::unique_ptr<SdlEventTranslator> mTranslator;
    // Live windows, oldest first.
    std::vector<SdlWindow*> mWindows;
    // Messages made from one SDL event and not yet taken.
    std::deque<WindowMessage> mPending;
    // Serialises debug output from several threads.
    std::mutex mOutputMutex;
};

} // namespace Quill::Platform
