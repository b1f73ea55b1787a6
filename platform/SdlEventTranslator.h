#pragma once

#include <SDL.h>

#include <vector>

#include "platform/ScreenMapping.h"
#include "platform/WindowMessage.h"

namespace Quill::Platform {

// Turns SDL events into window messages with the classic Windows meaning:
// virtual-key codes, characters (including the control characters SDL does
// not send as text), system keys while Alt is held, double clicks from SDL's
// click count, wheel notches of 120, pointer positions mapped into the picture.
class SdlEventTranslator {
public:
    // What the translator needs to know about the window an event is for.
    struct Target {
        // From the window's own coordinates into the picture's.
        ScreenMapping mMapping;
        // The window's client size, for size messages.
        int mClientWidth = 0;
        int mClientHeight = 0;
    };

    // Appends the messages the event gives (often none, sometimes two: a key
    // press and its character).
    void Translate(const SDL_Event& event, const Target& target, std::vector<WindowMessage>& out);

    // The window an event belongs to: its SDL window id, 0 for events of no
    // particular window (quit, keyboard with no focus).
    [[nodiscard]] static Uint32 WindowIdOf(const SDL_Event& event);

private:
    void TranslateKey(const SDL_KeyboardEvent& key, std::vector<WindowMessage>& out);
    void TranslateText(const char* utf8, std::vector<WindowMessage>& out) const;
    static void TranslateWindowEvent(const SDL_WindowEvent& window, const Target& target,
                                     std::vector<WindowMessage>& out);

    // Modifier keys as of the latest key event: text input carries none of
    // its own and belongs to the key press just before it.
    Uint16 mModifiers = KMOD_NONE;
};

} // namespace Quill::Platform
