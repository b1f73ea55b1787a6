#include "platform/SdlKeyMap.h"

#include "platform/VirtualKeys.h"

namespace Quill::Platform {

namespace {

constexpr int kCtrlLetterBase = VK_A - 1;
constexpr int kCharBackspace = 8;
constexpr int kCharTab = 9;
constexpr int kCharLineFeed = 10;
constexpr int kCharReturn = 13;
constexpr int kCharEscape = 27;
constexpr int kCharDelete = 127;

// Keys with a fixed code whatever the layout.
int NamedKey(SDL_Keycode code)
{
    switch (code) {
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_CLEAR:
        return VK_CLEAR;
    case SDLK_RETURN:
    case SDLK_RETURN2:
        return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
        return VK_MENU;
    case SDLK_PAUSE:
        return VK_PAUSE;
    case SDLK_CAPSLOCK:
        return VK_CAPITAL;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_PAGEUP:
        return VK_PRIOR;
    case SDLK_PAGEDOWN:
        return VK_NEXT;
    case SDLK_END:
        return VK_END;
    case SDLK_HOME:
        return VK_HOME;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_SELECT:
        return VK_SELECT;
    case SDLK_EXECUTE:
        return VK_EXECUTE;
    case SDLK_PRINTSCREEN:
        return VK_SNAPSHOT;
    case SDLK_INSERT:
        return VK_INSERT;
    case SDLK_DELETE:
        return VK_DELETE;
    case SDLK_HELP:
        return VK_HELP;
    case SDLK_LGUI:
        return VK_LWIN;
    case SDLK_RGUI:
        return VK_RWIN;
    case SDLK_APPLICATION:
        return VK_APPS;
    case SDLK_SLEEP:
        return VK_SLEEP;
    case SDLK_NUMLOCKCLEAR:
        return VK_NUMLOCK;
    case SDLK_SCROLLLOCK:
        return VK_SCROLL;
    case SDLK_AC_BACK:
        return VK_BROWSER_BACK;
    case SDLK_AC_FORWARD:
        return VK_BROWSER_FORWARD;
    case SDLK_AC_REFRESH:
        return VK_BROWSER_REFRESH;
    case SDLK_AC_STOP:
        return VK_BROWSER_STOP;
    case SDLK_AC_SEARCH:
        return VK_BROWSER_SEARCH;
    case SDLK_AC_BOOKMARKS:
        return VK_BROWSER_FAVORITES;
    case SDLK_AC_HOME:
        return VK_BROWSER_HOME;
    case SDLK_MUTE:
    case SDLK_AUDIOMUTE:
        return VK_VOLUME_MUTE;
    case SDLK_VOLUMEDOWN:
        return VK_VOLUME_DOWN;
    case SDLK_VOLUMEUP:
        return VK_VOLUME_UP;
    case SDLK_AUDIONEXT:
        return VK_MEDIA_NEXT_TRACK;
    case SDLK_AUDIOPREV:
        return VK_MEDIA_PREV_TRACK;
    case SDLK_AUDIOSTOP:
        return VK_MEDIA_STOP;
    case SDLK_AUDIOPLAY:
        return VK_MEDIA_PLAY_PAUSE;
    case SDLK_MAIL:
        return VK_LAUNCH_MAIL;
    case SDLK_MEDIASELECT:
        return VK_LAUNCH_MEDIA_SELECT;
    case SDLK_COMPUTER:
        return VK_LAUNCH_APP1;
    case SDLK_CALCULATOR:
        return VK_LAUNCH_APP2;
    default:
        break;
    }
    if (code >= SDLK_F1 && code <= SDLK_F12)
        return VK_F1 + (code - SDLK_F1);
    if (code >= SDLK_F13 && code <= SDLK_F24)
        return VK_F1 + 12 + (code - SDLK_F13);
    return 0;
}

// Keypad keys, by position. Without Num Lock the digit keys are the
// navigation keys printed on them.
int KeypadKey(SDL_Scancode scan, bool numLock)
{
    if (scan >= SDL_SCANCODE_KP_1 && scan <= SDL_SCANCODE_KP_9) {
        const int digit = 1 + (scan - SDL_SCANCODE_KP_1);
        if (numLock)
            return VK_NUMPAD0 + digit;
        static constexpr int kNavigation[9] = {VK_END,   VK_DOWN, VK_NEXT, VK_LEFT, VK_CLEAR,
                                               VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR};
        return kNavigation[digit - 1];
    }
    switch (scan) {
    case SDL_SCANCODE_KP_0:
        return numLock ? VK_NUMPAD0 : VK_INSERT;
    case SDL_SCANCODE_KP_PERIOD:
    case SDL_SCANCODE_KP_COMMA:
        return numLock ? VK_DECIMAL : VK_DELETE;
    case SDL_SCANCODE_KP_DIVIDE:
        return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY:
        return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS:
        return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS:
        return VK_ADD;
    case SDL_SCANCODE_KP_ENTER:
        return VK_RETURN;
    default:
        return -1;
    }
}

// Punctuation by the character the layout puts on the key.
int PunctuationByCharacter(SDL_Keycode code)
{
    switch (code) {
    case ';':
        return VK_OEM_1;
    case '=':
        return VK_OEM_PLUS;
    case ',':
        return VK_OEM_COMMA;
    case '-':
        return VK_OEM_MINUS;
    case '.':
        return VK_OEM_PERIOD;
    case '/':
        return VK_OEM_2;
    case '`':
        return VK_OEM_3;
    case '[':
        return VK_OEM_4;
    case '\\':
        return VK_OEM_5;
    case ']':
        return VK_OEM_6;
    case '\'':
        return VK_OEM_7;
    case '<':
        return VK_OEM_102;
    default:
        return 0;
    }
}

// Punctuation by position, for layouts that put other characters there.
int PunctuationByPosition(SDL_Scancode scan)
{
    switch (scan) {
    case SDL_SCANCODE_SEMICOLON:
        return VK_OEM_1;
    case SDL_SCANCODE_EQUALS:
        return VK_OEM_PLUS;
    case SDL_SCANCODE_COMMA:
        return VK_OEM_COMMA;
    case SDL_SCANCODE_MINUS:
        return VK_OEM_MINUS;
    case SDL_SCANCODE_PERIOD:
        return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH:
        return VK_OEM_2;
    case SDL_SCANCODE_GRAVE:
        return VK_OEM_3;
    case SDL_SCANCODE_LEFTBRACKET:
        return VK_OEM_4;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH:
        return VK_OEM_5;
    case SDL_SCANCODE_RIGHTBRACKET:
        return VK_OEM_6;
    case SDL_SCANCODE_APOSTROPHE:
        return VK_OEM_7;
    case SDL_SCANCODE_NONUSBACKSLASH:
        return VK_OEM_102;
    default:
        return 0;
    }
}

} // namespace

int SdlKeyMap::ToVirtualKey(const SDL_Keysym& key)
{
    const int keypad = KeypadKey(key.scancode, (key.mod & KMOD_NUM) != 0);
    if (keypad >= 0)
        return keypad;
    if (const int named = NamedKey(key.sym))
        return named;
    // The top row gives digits on every layout, even where the unshifted
    // character is something else (as on French keyboards).
    if (key.scancode >= SDL_SCANCODE_1 && key.scancode <= SDL_SCANCODE_9)
        return VK_0 + 1 + (key.scancode - SDL_SCANCODE_1);
    if (key.scancode == SDL_SCANCODE_0)
        return VK_0;
    if (key.sym >= 'a' && key.sym <= 'z')
        return VK_A + (key.sym - 'a');
    if (const int punctuation = PunctuationByCharacter(key.sym))
        return punctuation;
    // A key whose character is not Latin (Cyrillic, Greek ...): its position
    // names the letter, as Windows does.
    if (key.sym >= 128 && (key.sym & SDLK_SCANCODE_MASK) == 0) {
        if (key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z)
            return VK_A + (key.scancode - SDL_SCANCODE_A);
    }
    return PunctuationByPosition(key.scancode);
}

int SdlKeyMap::ControlCharacter(int virtualKey, Uint16 modifiers)
{
    const bool ctrl = (modifiers & KMOD_CTRL) != 0;
    const bool alt = (modifiers & KMOD_ALT) != 0;
    switch (virtualKey) {
    case VK_BACK:
        return ctrl ? kCharDelete : kCharBackspace;
    case VK_TAB:
        return ctrl ? 0 : kCharTab;
    case VK_RETURN:
        return ctrl ? kCharLineFeed : kCharReturn;
    case VK_ESCAPE:
        return kCharEscape;
    default:
        break;
    }
    if (ctrl && !alt && virtualKey >= VK_A && virtualKey <= VK_Z)
        return virtualKey - kCtrlLetterBase;
    return 0;
}

} // namespace Quill::Platform
