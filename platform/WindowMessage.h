#pragma once

namespace Quill::Platform {

// The kinds of window message the platform delivers, with the meaning of the
// classic Windows messages of the same names.
enum class MessageKind {
    // A key was pressed (again for each auto-repeat) or released; mCode is the
    // virtual-key code (platform/VirtualKeys.h).
    KeyDown,
    KeyUp,
    // A character was typed; mCode is its Unicode code point. Besides printable
    // text this includes 8 (Backspace), 9 (Tab), 13 (Enter), 27 (Escape),
    // 10 (Ctrl+Enter), 127 (Ctrl+Backspace) and 1..26 for Ctrl+A..Ctrl+Z.
    Char,
    // The same three while Alt is held without Ctrl (and F10, as Windows
    // treats it): the "system" keys a window normally leaves to the system.
    SysKeyDown,
    SysKeyUp,
    SysChar,
    // Pointer messages; mX, mY are in the picture's own coordinates.
    MouseMove,
    LeftButtonDown,
    LeftButtonUp,
    // The second press of a double click (and every even-numbered press of a
    // run of quick clicks) comes as a double click instead of a down.
    LeftButtonDoubleClick,
    RightButtonDown,
    RightButtonUp,
    RightButtonDoubleClick,
    // Middle presses are always plain downs: there is no middle double click.
    MiddleButtonDown,
    MiddleButtonUp,
    // The wheel turned; mWheelDelta holds 120 per notch.
    MouseWheel,
    // The window moved; mX, mY are the new desktop position of its client area.
    Move,
    // The window was resized, minimised or restored; mMinimized tells which
    // state it is now in, mX, mY hold the client size.
    Size,
    // The application gained (mActive true) or lost the keyboard focus.
    Activate,
    // The user asked to close the window.
    Close,
    // A window timer fired; mTimerId names it. Timers never queue up: at most
    // one tick is waiting, however long the program was busy.
    Timer,
    // The window's content was lost (uncovered, exposed) and must be shown again.
    Paint,
    // The desktop session is ending (log-out, shut-down, termination signal).
    EndSession,
};

// One message of the main window.
struct WindowMessage {
    MessageKind mKind = MessageKind::Timer;
    // Key messages: the virtual-key code. Character messages: the character.
    int mCode = 0;
    // Key down: the key was already down (keyboard auto-repeat).
    bool mRepeat = false;
    // Mouse messages: the pointer position mapped into the picture (800 x 600
    // for the game, whatever the window's real size); may lie outside it while
    // the mouse is captured. Move: desktop position. Size: client size.
    int mX = 0;
    int mY = 0;
    // Wheel: signed rotation in the Windows unit of 120 per notch; positive is
    // away from the user.
    int mWheelDelta = 0;
    // Size: true when the window is now minimised.
    bool mMinimized = false;
    // Activate: true when the application became the active one.
    bool mActive = false;
    // Timer: the id given to Window::StartTimer.
    int mTimerId = 0;

    // Builders for the common shapes, for producers and for tests.
    [[nodiscard]] static constexpr WindowMessage Key(MessageKind kind, int code, bool repeat = false)
    {
        WindowMessage m;
        m.mKind = kind;
        m.mCode = code;
        m.mRepeat = repeat;
        return m;
    }
    [[nodiscard]] static constexpr WindowMessage Mouse(MessageKind kind, int x, int y)
    {
        WindowMessage m;
        m.mKind = kind;
        m.mX = x;
        m.mY = y;
        return m;
    }
    [[nodiscard]] static constexpr WindowMessage Wheel(int delta, int x = 0, int y = 0)
    {
        WindowMessage m = Mouse(MessageKind::MouseWheel, x, y);
        m.mWheelDelta = delta;
        return m;
    }
    [[nodiscard]] static constexpr WindowMessage Moved(int x, int y)
    {
        return Mouse(MessageKind::Move, x, y);
    }
    [[nodiscard]] static constexpr WindowMessage Sized(bool minimized, int width, int height)
    {
        WindowMessage m = Mouse(MessageKind::Size, width, height);
        m.mMinimized = minimized;
        return m;
    }
    [[nodiscard]] static constexpr WindowMessage Activated(bool active)
    {
        WindowMessage m;
        m.mKind = MessageKind::Activate;
        m.mActive = active;
        return m;
    }
    [[nodiscard]] static constexpr WindowMessage TimerTick(int timerId)
    {
        WindowMessage m;
        m.mKind = MessageKind::Timer;
        m.mTimerId = timerId;
        return m;
    }
    [[nodiscard]] static constexpr WindowMessage Simple(MessageKind kind)
    {
        WindowMessage m;
        m.mKind = kind;
        return m;
    }

    constexpr bool operator==(const WindowMessage&) const = default;
};

// Name of a kind, for test output and debugging.
[[nodiscard]] const char* MessageKindName(MessageKind kind);

} // namespace Quill::Platform
