#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Geometry.h"
#include "platform/Presenter.h"
#include "platform/Window.h"
#include "platform/WindowMessage.h"

namespace Quill::Platform {

// Icons of a message box.
enum class MessageBoxIcon {
    None,
    Information,
    Warning,
    Error,
    Question,
};

// Button sets of a message box; the first button is the default one.
enum class MessageBoxButtons {
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel,
};

// The button chosen, numbered like the classic message-box results so that
// callers may hand the number on.
enum class MessageBoxAnswer {
    Ok = 1,
    Cancel = 2,
    Yes = 6,
    No = 7,
};

// The answer of a box nobody can answer: its default (first) button.
[[nodiscard]] MessageBoxAnswer DefaultAnswer(MessageBoxButtons buttons);

// A message box to show.
struct MessageBoxRequest {
    std::string mTitle;
    std::string mText;
    MessageBoxIcon mIcon = MessageBoxIcon::None;
    MessageBoxButtons mButtons = MessageBoxButtons::Ok;
};

// Scheduling priorities a thread can ask for.
enum class ThreadPriority {
    Normal,
    AboveNormal,
};

// What the desktop says about its screen saver.
struct ScreenSaverState {
    // The desktop will start a screen saver after mTimeoutSeconds of no input.
    bool mEnabled = false;
    int mTimeoutSeconds = 0;
    // A screen saver is running now.
    bool mRunning = false;
};

// Everything the program asks of the operating system and desktop: time,
// windows and their messages, presenting, and the small desktop services.
// One backend exists per program (SdlBackend for real, FakeBackend in tests).
// Main thread only, except where said.
class Backend {
public:
    virtual ~Backend() = default;

    // The time source. Safe from any thread.
    [[nodiscard]] virtual Clock& GetClock() = 0;

    // False when there is no display to show windows on (message boxes then
    // go to standard error).
    [[nodiscard]] virtual bool HasDisplay() const = 0;

    // A new window, or nothing (see GetLastError) when it cannot be made.
    [[nodiscard]] virtual std::unique_ptr<Window> CreateWindow(const WindowConfig& config) = 0;
    // A presenter for the window.
    [[nodiscard]] virtual PresenterResult CreatePresenter(Window& window, const PresenterConfig& config) = 0;
    // Why the last operation that failed here failed.
    [[nodiscard]] virtual std::string GetLastError() const = 0;

    // The next waiting message of a live window, or nothing when none waits.
    // Never blocks. Also refreshes each window's pointer position.
    [[nodiscard]] virtual std::optional<WindowMessage> PollMessage() = 0;

    // The part of the primary display not taken by panels and docks.
    [[nodiscard]] virtual Rectangle GetDesktopWorkArea() const = 0;
    // The whole primary display (what desktop full screen covers).
    [[nodiscard]] virtual Rectangle GetDesktopBounds() const = 0;

    // The clipboard's text (empty when none).
    [[nodiscard]] virtual std::string GetClipboardText() = 0;
    [[nodiscard]] virtual bool SetClipboardText(const std::string& text) = 0;

    // Opens a web address in the desktop's browser; false when it could not
    // be handed over (refused address, no opener, the opener failed to start).
    [[nodiscard]] virtual bool OpenURL(const std::string& url) = 0;

    // Shows a modal message box (over the window when one is given) and
    // returns the chosen button. Without a display the title and text go to
    // standard error and the default (first) button is the answer.
    virtual MessageBoxAnswer ShowMessageBox(const MessageBoxRequest& request, Window* parent) = 0;

    // Asks for a scheduling priority for the calling thread. Best effort:
    // false when the system refused (raising needs a privilege on Linux).
    // Safe from any thread.
    virtual bool SetCurrentThreadPriority(ThreadPriority priority) = 0;

    // A line of diagnostics for developers (standard error). Safe from any
    // thread.
    virtual void DebugOutput(std::string_view text) = 0;

    // The desktop's screen-saver settings and state.
    [[nodiscard]] virtual ScreenSaverState GetScreenSaverState() const = 0;
};

} // namespace Quill::Platform
