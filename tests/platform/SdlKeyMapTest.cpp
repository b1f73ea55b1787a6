// Key codes and characters that SDL key presses become.
#include <gtest/gtest.h>

#include "platform/SdlKeyMap.h"
#include "platform/VirtualKeys.h"

namespace {

using Quill::Platform::SdlKeyMap;
namespace P = Quill::Platform;

SDL_Keysym Key(SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod = KMOD_NONE)
{
    SDL_Keysym key{};
    key.scancode = scancode;
    key.sym = sym;
    key.mod = mod;
    return key;
}

struct NamedKey {
    SDL_Scancode mScancode;
    SDL_Keycode mSym;
    int mVirtualKey;
};

TEST(SdlKeyMap, KeysTheGameAndWidgetsUseHaveTheirClassicCodes)
{
    const NamedKey keys[] = {
        {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 8},
        {SDL_SCANCODE_TAB, SDLK_TAB, 9},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, 13},
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, 16},
        {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, 16},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, 17},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, 17},
        {SDL_SCANCODE_LALT, SDLK_LALT, 18},
        {SDL_SCANCODE_RALT, SDLK_RALT, 18},
        {SDL_SCANCODE_PAUSE, SDLK_PAUSE, 19},
        {SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, 20},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 27},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, 32},
        {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, 33},
        {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, 34},
        {SDL_SCANCODE_END, SDLK_END, 35},
        {SDL_SCANCODE_HOME, SDLK_HOME, 36},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, 37},
        {SDL_SCANCODE_UP, SDLK_UP, 38},
        {SDL_SCANCODE_RIGHT, SDLK_RIGHT, 39},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, 40},
        {SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN, 44},
        {SDL_SCANCODE_INSERT, SDLK_INSERT, 45},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, 46},
        {SDL_SCANCODE_LGUI, SDLK_LGUI, 91},
        {SDL_SCANCODE_APPLICATION, SDLK_APPLICATION, 93},
        {SDL_SCANCODE_NUMLOCKCLEAR, SDLK_NUMLOCKCLEAR, 144},
        {SDL_SCANCODE_SCROLLLOCK, SDLK_SCROLLLOCK, 145},
        {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, 186},
        {SDL_SCANCODE_EQUALS, SDLK_EQUALS, 187},
        {SDL_SCANCODE_COMMA, SDLK_COMMA, 188},
        {SDL_SCANCODE_MINUS, SDLK_MINUS, 189},
        {SDL_SCANCODE_PERIOD, SDLK_PERIOD, 190},
        {SDL_SCANCODE_SLASH, SDLK_SLASH, 191},
        {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, 192},
        {SDL_SCANCODE_LEFTBRACKET, SDLK_LEFTBRACKET, 219},
        {SDL_SCANCODE_BACKSLASH, SDLK_BACKSLASH, 220},
        {SDL_SCANCODE_RIGHTBRACKET, SDLK_RIGHTBRACKET, 221},
        {SDL_SCANCODE_APOSTROPHE, SDLK_QUOTE, 222},
        {SDL_SCANCODE_NONUSBACKSLASH, SDLK_LESS, 226},
        {SDL_SCANCODE_AUDIOMUTE, SDLK_AUDIOMUTE, 173},
        {SDL_SCANCODE_VOLUMEUP, SDLK_VOLUMEUP, 175},
    };
    for (const NamedKey& k : keys)
        EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(k.mScancode, k.mSym)), k.mVirtualKey) << SDL_GetKeyName(k.mSym);

    for (int i = 0; i < 26; ++i) {
        const auto scan = static_cast<SDL_Scancode>(SDL_SCANCODE_A + i);
        EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(scan, 'a' + i)), 65 + i);
        // Shift and Caps Lock do not change a key's code.
        EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(scan, 'a' + i, KMOD_LSHIFT | KMOD_CAPS)), 65 + i);
    }
    for (int d = 1; d <= 9; ++d)
        EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + d - 1), '0' + d)),
                  48 + d);
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_0, '0')), 48);
    for (int f = 0; f < 12; ++f) {
        const auto scan = static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + f);
        EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(scan, SDL_SCANCODE_TO_KEYCODE(scan))), 112 + f);
    }
    for (int f = 0; f < 12; ++f) {
        const auto scan = static_cast<SDL_Scancode>(SDL_SCANCODE_F13 + f);
        EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(scan, SDL_SCANCODE_TO_KEYCODE(scan))), 124 + f);
    }
    // Keys without a code are reported as 0 (and produce no key message).
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_KP_EQUALS, SDLK_KP_EQUALS)), 0);
}

TEST(SdlKeyMap, KeypadFollowsNumLock)
{
    const SDL_Scancode digits[10] = {
        SDL_SCANCODE_KP_0, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2, SDL_SCANCODE_KP_3, SDL_SCANCODE_KP_4,
        SDL_SCANCODE_KP_5, SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_7, SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_9};
    for (int d = 0; d < 10; ++d)
        EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(digits[d], SDL_SCANCODE_TO_KEYCODE(digits[d]), KMOD_NUM)),
                  96 + d);
    // Without Num Lock the keys are the navigation keys printed on them.
    const int navigation[10] = {P::VK_INSERT, P::VK_END,   P::VK_DOWN, P::VK_NEXT, P::VK_LEFT,
                                P::VK_CLEAR,  P::VK_RIGHT, P::VK_HOME, P::VK_UP,   P::VK_PRIOR};
    for (int d = 0; d < 10; ++d)
        EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(digits[d], SDL_SCANCODE_TO_KEYCODE(digits[d]))), navigation[d]);
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM)), P::VK_DECIMAL);
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD)), P::VK_DELETE);
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER)), P::VK_RETURN);
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS)), P::VK_ADD);
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS)), P::VK_SUBTRACT);
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY)), P::VK_MULTIPLY);
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE)), P::VK_DIVIDE);
}

TEST(SdlKeyMap, OtherLayoutsKeepLettersAndDigits)
{
    // French layout: the A position gives 'q', the top row gives '&', 'é' ...
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_A, 'q')), 'Q');
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_1, '&')), '1');
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_2, 0xE9)), '2');
    // ... and the M position gives ',', which is the comma key there.
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_M, ',')), P::VK_OEM_COMMA);
    // Cyrillic: the letters go by position, so Ctrl+C still copies.
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_C, 0x0441)), 'C');
    EXPECT_EQ(SdlKeyMap::ToVirtualKey(Key(SDL_SCANCODE_SEMICOLON, 0x0436)), P::VK_OEM_1);
}

TEST(SdlKeyMap, KeyPressesGiveTheControlCharactersSdlDoesNotSendAsText)
{
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_BACK, KMOD_NONE), 8);
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_TAB, KMOD_NONE), 9);
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_TAB, KMOD_LSHIFT), 9);
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_RETURN, KMOD_NONE), 13);
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_RETURN, KMOD_RSHIFT), 13);
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_ESCAPE, KMOD_NONE), 27);
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_BACK, KMOD_LCTRL), 127);
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_RETURN, KMOD_RCTRL), 10);
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_TAB, KMOD_LCTRL), 0);
    for (int letter = 'A'; letter <= 'Z'; ++letter) {
        EXPECT_EQ(SdlKeyMap::ControlCharacter(letter, KMOD_LCTRL), letter - 'A' + 1);
        EXPECT_EQ(SdlKeyMap::ControlCharacter(letter, KMOD_RCTRL | KMOD_LSHIFT), letter - 'A' + 1);
        // Letters alone are text, and Ctrl+Alt is AltGr: neither gives a control character.
        EXPECT_EQ(SdlKeyMap::ControlCharacter(letter, KMOD_NONE), 0);
        EXPECT_EQ(SdlKeyMap::ControlCharacter(letter, KMOD_LCTRL | KMOD_LALT), 0);
    }
    EXPECT_EQ(SdlKeyMap::ControlCharacter('5', KMOD_LCTRL), 0);
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_SPACE, KMOD_NONE), 0);
    EXPECT_EQ(SdlKeyMap::ControlCharacter(P::VK_F1, KMOD_NONE), 0);
}

} // namespace
