#pragma once

#include <optional>
#include <string>

#include "platform/CursorPicture.h"
#include "platform/Geometry.h"

namespace Quill::Platform {

// The pointer shapes the program uses, numbered as the application's cursor
// numbers.
enum class CursorKind {
    Pointer = 0,   // the usual arrow
    Hand = 1,      // pointing hand, hot spot (11, 4)
    Dragging = 2,  // closed hand, hot spot (15, 10)
    Text = 3,      // I-beam
    Forbidden = 4, // the "no" sign
    None = 5,      // no pointer shown
};

// How to make a window.
struct WindowConfig {
    std::string mTitle;
    // Size of the picture shown in the window. A windowed window's client area
    // has exactly this size.
    int mWidth = 800;
    int mHeight = 600;
    // Desktop full screen: the window covers the whole display and the picture
    // is scaled to fit it with its aspect kept (black bars fill the rest).
    bool mFullScreen = false;
    // Desktop position of the client area's top-left corner; nothing centres
    // the window in the desktop work area. Ignored in full screen.
    std::optional<Point> mPosition;
    // Shown at once (otherwise call Show later).
    bool mVisible = true;
};

// The program's main window. Made by Backend::CreateWindow; messages for it
// come from Backend::PollMessage. Use from the main thread except where said.
class Window {
public:
    virtual ~Window() = default;

    // Shows the window normally, raises it and gives it the keyboard focus.
    virtual void Show() = 0;
    // Shows the window without taking the focus from whoever has it (where
    // the desktop allows; some window managers focus new windows anyway).
    virtual void ShowWithoutActivation() = 0;
    virtual void Hide() = 0;
    // Brings the window to the front and asks for the keyboard focus.
    virtual void Raise() = 0;
    // Leaves the minimised (or maximised) state.
    virtual void Restore() = 0;
    virtual void Minimize() = 0;
    [[nodiscard]] virtual bool IsVisible() const = 0;
    [[nodiscard]] virtual bool IsMinimized() const = 0;
    [[nodiscard]] virtual bool HasKeyboardFocus() const = 0;

    virtual void SetTitle(const std::string& title) = 0;
    [[nodiscard]] virtual std::string GetTitle() const = 0;

    // Switches between windowed and desktop full screen in place; false when
    // the system refused.
    [[nodiscard]] virtual bool SetFullScreen(bool fullScreen) = 0;
    [[nodiscard]] virtual bool IsFullScreen() const = 0;
    // Moves the client area's top-left corner to a desktop position.
    virtual void SetPosition(Point position) = 0;

    // The client area on the desktop: position and real size (in full screen,
    // the whole display).
    [[nodiscard]] virtual Rectangle GetClientRect() const = 0;
    // Where the picture lies inside the client area (the whole client area
    // when windowed; centred between bars in full screen).
    [[nodiscard]] virtual Rectangle GetPictureRect() const = 0;

    // The pointer position in the picture's coordinates (may lie outside the
    // picture). Safe from any thread: it is refreshed on the main thread by
    // every Backend::PollMessage, so another thread sees the position as of
    // the latest message pass.
    [[nodiscard]] virtual Point GetPointerPosition() const = 0;
    // True when the pointer is over this window's client area and no other
    // window covers that spot. Main thread.
    [[nodiscard]] virtual bool IsPointerInClient() const = 0;

    // While captured, pointer messages keep coming when the pointer leaves the
    // window (with coordinates outside the picture).
    virtual void SetMouseCapture(bool captured) = 0;
    [[nodiscard]] virtual bool HasMouseCapture() const = 0;

    // Shows one of the standard pointers over the window.
    virtual void SetCursor(CursorKind kind) = 0;
    // Shows a picture of the program's own as the pointer over the window;
    // false when the picture is invalid or the system refused it.
    [[nodiscard]] virtual bool SetCursorPicture(const CursorPicture& picture) = 0;

    // Starts (or restarts with a new period) a repeating timer delivering
    // MessageKind::Timer with this id; periodMs is at least 1.
    virtual void StartTimer(int timerId, int periodMs) = 0;
    virtual void StopTimer(int timerId) = 0;
};

} // namespace Quill::Platform
