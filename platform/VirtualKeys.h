#pragma once

// Key codes carried by key messages: the classic Windows virtual-key numbers,
// which the widgets, the game and recorded demos all use. Every code is below
// 255, so a table of held keys indexed by code covers them all.
namespace Quill::Platform {

inline constexpr int VK_BACK = 8;
inline constexpr int VK_TAB = 9;
// Keypad 5 with Num Lock off.
inline constexpr int VK_CLEAR = 12;
inline constexpr int VK_RETURN = 13;
inline constexpr int VK_SHIFT = 16;
inline constexpr int VK_CONTROL = 17;
// The Alt key.
inline constexpr int VK_MENU = 18;
inline constexpr int VK_PAUSE = 19;
inline constexpr int VK_CAPITAL = 20;
inline constexpr int VK_ESCAPE = 27;
inline constexpr int VK_SPACE = 32;
// Page Up and Page Down.
inline constexpr int VK_PRIOR = 33;
inline constexpr int VK_NEXT = 34;
inline constexpr int VK_END = 35;
inline constexpr int VK_HOME = 36;
inline constexpr int VK_LEFT = 37;
inline constexpr int VK_UP = 38;
inline constexpr int VK_RIGHT = 39;
inline constexpr int VK_DOWN = 40;
inline constexpr int VK_SELECT = 41;
inline constexpr int VK_PRINT = 42;
inline constexpr int VK_EXECUTE = 43;
// Print Screen.
inline constexpr int VK_SNAPSHOT = 44;
inline constexpr int VK_INSERT = 45;
inline constexpr int VK_DELETE = 46;
inline constexpr int VK_HELP = 47;
// Digits '0'..'9' are 48..57 and letters 'A'..'Z' are 65..90: the upper-case
// character code is the key code.
inline constexpr int VK_0 = 48;
inline constexpr int VK_9 = 57;
inline constexpr int VK_A = 65;
inline constexpr int VK_Z = 90;
inline constexpr int VK_LWIN = 91;
inline constexpr int VK_RWIN = 92;
// The context-menu key.
inline constexpr int VK_APPS = 93;
inline constexpr int VK_SLEEP = 95;
// Keypad digits with Num Lock on are 96..105.
inline constexpr int VK_NUMPAD0 = 96;
inline constexpr int VK_NUMPAD9 = 105;
inline constexpr int VK_MULTIPLY = 106;
inline constexpr int VK_ADD = 107;
inline constexpr int VK_SEPARATOR = 108;
inline constexpr int VK_SUBTRACT = 109;
inline constexpr int VK_DECIMAL = 110;
inline constexpr int VK_DIVIDE = 111;
// Function keys F1..F24 are 112..135.
inline constexpr int VK_F1 = 112;
inline constexpr int VK_F4 = 115;
inline constexpr int VK_F10 = 121;
inline constexpr int VK_F12 = 123;
inline constexpr int VK_F24 = 135;
inline constexpr int VK_NUMLOCK = 144;
inline constexpr int VK_SCROLL = 145;
inline constexpr int VK_BROWSER_BACK = 166;
inline constexpr int VK_BROWSER_FORWARD = 167;
inline constexpr int VK_BROWSER_REFRESH = 168;
inline constexpr int VK_BROWSER_STOP = 169;
inline constexpr int VK_BROWSER_SEARCH = 170;
inline constexpr int VK_BROWSER_FAVORITES = 171;
inline constexpr int VK_BROWSER_HOME = 172;
inline constexpr int VK_VOLUME_MUTE = 173;
inline constexpr int VK_VOLUME_DOWN = 174;
inline constexpr int VK_VOLUME_UP = 175;
inline constexpr int VK_MEDIA_NEXT_TRACK = 176;
inline constexpr int VK_MEDIA_PREV_TRACK = 177;
inline constexpr int VK_MEDIA_STOP = 178;
inline constexpr int VK_MEDIA_PLAY_PAUSE = 179;
inline constexpr int VK_LAUNCH_MAIL = 180;
inline constexpr int VK_LAUNCH_MEDIA_SELECT = 181;
inline constexpr int VK_LAUNCH_APP1 = 182;
inline constexpr int VK_LAUNCH_APP2 = 183;
// Punctuation keys, named by their US-layout characters.
inline constexpr int VK_OEM_1 = 186;      // ; :
inline constexpr int VK_OEM_PLUS = 187;   // = +
inline constexpr int VK_OEM_COMMA = 188;  // , <
inline constexpr int VK_OEM_MINUS = 189;  // - _
inline constexpr int VK_OEM_PERIOD = 190; // . >
inline constexpr int VK_OEM_2 = 191;      // / ?
inline constexpr int VK_OEM_3 = 192;      // ` ~
inline constexpr int VK_OEM_4 = 219;      // [ {
inline constexpr int VK_OEM_5 = 220;      // \ |
inline constexpr int VK_OEM_6 = 221;      // ] }
inline constexpr int VK_OEM_7 = 222;      // ' "
// The extra key beside left Shift on ISO keyboards.
inline constexpr int VK_OEM_102 = 226;

} // namespace Quill::Platform
