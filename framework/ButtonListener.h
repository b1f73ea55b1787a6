#pragma once

namespace Quill {

// Receives what happens to buttons; every report carries the button's id so
// that one listener can serve many buttons. Everything is ignored by default.
class ButtonListener {
public:
    virtual void ButtonMouseEnter(int /*id*/) {}
    virtual void ButtonMouseLeave(int /*id*/) {}
    virtual void ButtonMouseMove(int /*id*/, int /*x*/, int /*y*/) {}
    // A press with its click count; by default reported as a plain press.
    virtual void ButtonPress(int id, int /*clickCount*/) { ButtonPress(id); }
    virtual void ButtonPress(int /*id*/) {}
    // The button was released over itself (it was clicked).
    virtual void ButtonDepress(int /*id*/) {}
    // Once per update tick while the button is held down.
    virtual void ButtonDownTick(int /*id*/) {}

protected:
    // Listeners are never deleted through this interface.
    ~ButtonListener() = default;
};

} // namespace Quill
