#pragma once

#include <SDL.h>

namespace Quill::Platform {

// Translates SDL key presses into the virtual-key codes of platform/VirtualKeys.h
// and the characters a key press itself produces.
class SdlKeyMap {
public:
    // The virtual-key code of a key, or 0 for a key that has none. Letters
    // follow the keyboard layout (as on Windows); digits, keypad keys and keys
    // of non-Latin layouts go by their position.
    [[nodiscard]] static int ToVirtualKey(const SDL_Keysym& key);

    // The character a press of the key gives that SDL does not send as text:
    // 8, 9, 13 and 27 for Backspace, Tab, Enter and Escape, 127 and 10 for
    // Ctrl+Backspace and Ctrl+Enter, 1..26 for Ctrl+A..Z (not with Alt). 0
    // when the press gives no such character (its text, if any, comes from
    // SDL's text input).
    [[nodiscard]] static int ControlCharacter(int virtualKey, Uint16 modifiers);
};

} // namespace Quill::Platform
