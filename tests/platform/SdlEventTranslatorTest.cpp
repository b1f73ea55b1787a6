// SDL events in, window messages out: keys, characters, system keys, clicks,
// wheel and window state.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/SdlEventTranslator.h"
#include "platform/VirtualKeys.h"

namespace {

using namespace Quill::Platform;

class SdlEventTranslatorTest : public testing::Test {
protected:
    SdlEventTranslatorTest()
    {
        mTarget.mMapping = ScreenMapping(800, 600, 800, 600);
        mTarget.mClientWidth = 800;
        mTarget.mClientHeight = 600;
    }

    std::vector<WindowMessage> Feed(const SDL_Event& event)
    {
        std::vector<WindowMessage> out;
        mTranslator.Translate(event, mTarget, out);
        return out;
    }

    std::vector<WindowMessage> KeyEvent(Uint32 type, SDL_Scancode scan, SDL_Keycode sym, Uint16 mod,
                                        bool repeat = false)
    {
        SDL_Event e{};
        e.type = type;
        e.key.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.scancode = scan;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        return Feed(e);
    }
    std::vector<WindowMessage> Down(SDL_Scancode scan, SDL_Keycode sym, Uint16 mod = KMOD_NONE,
                                    bool repeat = false)
    {
        return KeyEvent(SDL_KEYDOWN, scan, sym, mod, repeat);
    }
    std::vector<WindowMessage> Up(SDL_Scancode scan, SDL_Keycode sym, Uint16 mod = KMOD_NONE)
    {
        return KeyEvent(SDL_KEYUP, scan, sym, mod);
    }
    std::vector<WindowMessage> Text(const char* utf8)
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
        return Feed(e);
    }
    std::vector<WindowMessage> Button(Uint32 type, Uint8 button, Uint8 clicks, int x, int y)
    {
        SDL_Event e{};
        e.type = type;
        e.button.button = button;
        e.button.clicks = clicks;
        e.button.x = x;
        e.button.y = y;
        return Feed(e);
    }
    std::vector<WindowMessage> Wheel(int y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = y;
        e.wheel.direction = direction;
        e.wheel.mouseX = 10;
        e.wheel.mouseY = 20;
        return Feed(e);
    }
    std::vector<WindowMessage> Window(SDL_WindowEventID id, int data1 = 0, int data2 = 0)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = static_cast<Uint8>(id);
        e.window.data1 = data1;
        e.window.data2 = data2;
        return Feed(e);
    }

    SdlEventTranslator mTranslator;
    SdlEventTranslator::Target mTarget;
};

using Messages = std::vector<WindowMessage>;

WindowMessage Msg(MessageKind kind, int code, bool repeat = false)
{
    return WindowMessage::Key(kind, code, repeat);
}

TEST_F(SdlEventTranslatorTest, TypingGivesKeysAndCharactersInWindowsOrder)
{
    EXPECT_EQ(Down(SDL_SCANCODE_A, 'a'), Messages{Msg(MessageKind::KeyDown, 'A')});
    EXPECT_EQ(Text("a"), Messages{Msg(MessageKind::Char, 'a')});
    EXPECT_EQ(Up(SDL_SCANCODE_A, 'a'), Messages{Msg(MessageKind::KeyUp, 'A')});

    // Shifted text arrives as the shifted character; the key code stays the same.
    EXPECT_EQ(Down(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT), Messages{Msg(MessageKind::KeyDown, 16)});
    EXPECT_EQ(Down(SDL_SCANCODE_1, '1', KMOD_LSHIFT), Messages{Msg(MessageKind::KeyDown, '1')});
    EXPECT_EQ(Text("!"), Messages{Msg(MessageKind::Char, '!')});
    EXPECT_EQ(Up(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT), Messages{Msg(MessageKind::KeyUp, 16)});

    // Auto-repeat repeats the press and its control character.
    EXPECT_EQ(Down(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_NONE, true),
              (Messages{Msg(MessageKind::KeyDown, VK_BACK, true), Msg(MessageKind::Char, 8)}));
}

TEST_F(SdlEventTranslatorTest, EditingKeysProduceTheirControlCharacters)
{
    EXPECT_EQ(Down(SDL_SCANCODE_RETURN, SDLK_RETURN),
              (Messages{Msg(MessageKind::KeyDown, VK_RETURN), Msg(MessageKind::Char, 13)}));
    EXPECT_EQ(Down(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER),
              (Messages{Msg(MessageKind::KeyDown, VK_RETURN), Msg(MessageKind::Char, 13)}));
    EXPECT_EQ(Down(SDL_SCANCODE_TAB, SDLK_TAB),
              (Messages{Msg(MessageKind::KeyDown, VK_TAB), Msg(MessageKind::Char, 9)}));
    EXPECT_EQ(Down(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE),
              (Messages{Msg(MessageKind::KeyDown, VK_ESCAPE), Msg(MessageKind::Char, 27)}));
    // Arrows, Delete and function keys give no character.
    EXPECT_EQ(Down(SDL_SCANCODE_DELETE, SDLK_DELETE), Messages{Msg(MessageKind::KeyDown, VK_DELETE)});
    EXPECT_EQ(Down(SDL_SCANCODE_LEFT, SDLK_LEFT), Messages{Msg(MessageKind::KeyDown, VK_LEFT)});
    EXPECT_EQ(Down(SDL_SCANCODE_F1, SDLK_F1), Messages{Msg(MessageKind::KeyDown, VK_F1)});
}

TEST_F(SdlEventTranslatorTest, CtrlLettersBecomeControlCharactersAndTheirTextIsDropped)
{
    EXPECT_EQ(Down(SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL),
              Messages{Msg(MessageKind::KeyDown, VK_CONTROL)});
    EXPECT_EQ(Down(SDL_SCANCODE_C, 'c', KMOD_LCTRL),
              (Messages{Msg(MessageKind::KeyDown, 'C'), Msg(MessageKind::Char, 3)}));
    // Should a desktop also send the letter as text, it must not be typed.
    EXPECT_TRUE(Text("c").empty());
    EXPECT_EQ(Down(SDL_SCANCODE_V, 'v', KMOD_LCTRL),
              (Messages{Msg(MessageKind::KeyDown, 'V'), Msg(MessageKind::Char, 22)}));
    EXPECT_EQ(Down(SDL_SCANCODE_Z, 'z', KMOD_LCTRL | KMOD_LSHIFT),
              (Messages{Msg(MessageKind::KeyDown, 'Z'), Msg(MessageKind::Char, 26)}));
    // Ctrl+digit gives no character at all.
    EXPECT_EQ(Down(SDL_SCANCODE_5, '5', KMOD_LCTRL), Messages{Msg(MessageKind::KeyDown, '5')});
    EXPECT_EQ(Up(SDL_SCANCODE_LCTRL, SDLK_LCTRL), Messages{Msg(MessageKind::KeyUp, VK_CONTROL)});
    // Once Ctrl is up, text is typed again.
    EXPECT_EQ(Down(SDL_SCANCODE_C, 'c'), Messages{Msg(MessageKind::KeyDown, 'C')});
    EXPECT_EQ(Text("c"), Messages{Msg(MessageKind::Char, 'c')});
}

TEST_F(SdlEventTranslatorTest, AltMakesSystemKeys)
{
    EXPECT_EQ(Down(SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT), Messages{Msg(MessageKind::SysKeyDown, VK_MENU)});
    // Alt+Enter (the full-screen toggle) and Alt+F4 (close).
    EXPECT_EQ(Down(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT),
              (Messages{Msg(MessageKind::SysKeyDown, VK_RETURN), Msg(MessageKind::SysChar, 13)}));
    EXPECT_EQ(Up(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT),
              Messages{Msg(MessageKind::SysKeyUp, VK_RETURN)});
    EXPECT_EQ(Down(SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT), Messages{Msg(MessageKind::SysKeyDown, VK_F4)});
    // Alt+R: a system key and a system character.
    EXPECT_EQ(Down(SDL_SCANCODE_R, 'r', KMOD_LALT), Messages{Msg(MessageKind::SysKeyDown, 'R')});
    EXPECT_EQ(Text("r"), Messages{Msg(MessageKind::SysChar, 'r')});
    // Releasing Alt is a system key too, though Alt is no longer held then.
    EXPECT_EQ(Up(SDL_SCANCODE_LALT, SDLK_LALT), Messages{Msg(MessageKind::SysKeyUp, VK_MENU)});
    EXPECT_EQ(Down(SDL_SCANCODE_R, 'r'), Messages{Msg(MessageKind::KeyDown, 'R')});
    // F10 alone is a system key, as on Windows.
    EXPECT_EQ(Down(SDL_SCANCODE_F10, SDLK_F10), Messages{Msg(MessageKind::SysKeyDown, VK_F10)});
    // Ctrl+Alt is not a system combination, and its text is ordinary text.
    EXPECT_EQ(Down(SDL_SCANCODE_E, 'e', KMOD_LCTRL | KMOD_LALT), Messages{Msg(MessageKind::KeyDown, 'E')});
    EXPECT_EQ(Text("\xE2\x82\xAC"), Messages{Msg(MessageKind::Char, 0x20AC)});
}

TEST_F(SdlEventTranslatorTest, TextIsDecodedIntoCodePointsAndBadBytesAreSkipped)
{
    EXPECT_EQ(Text("h\xC3\xA9!"), (Messages{Msg(MessageKind::Char, 'h'), Msg(MessageKind::Char, 0xE9),
                                            Msg(MessageKind::Char, '!')}));
    EXPECT_EQ(Text("\xF0\x9F\x98\x80"), Messages{Msg(MessageKind::Char, 0x1F600)});
    // A stray continuation byte, an over-long '/', a surrogate, a cut sequence.
    EXPECT_EQ(Text("a\x80"
                   "b\xC0\xAF"
                   "c\xED\xA0\x80"
                   "d\xE2\x82"),
              (Messages{Msg(MessageKind::Char, 'a'), Msg(MessageKind::Char, 'b'), Msg(MessageKind::Char, 'c'),
                        Msg(MessageKind::Char, 'd')}));
}

TEST_F(SdlEventTranslatorTest, ClickCountsGiveDoubleClicksForLeftAndRightOnly)
{
    using K = MessageKind;
    const auto kinds = [](const Messages& m) {
        std::vector<K> k;
        for (const WindowMessage& w : m)
            k.push_back(w.mKind);
        return k;
    };
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 5, 6)),
              std::vector<K>{K::LeftButtonDown});
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 5, 6)), std::vector<K>{K::LeftButtonUp});
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2, 5, 6)),
              std::vector<K>{K::LeftButtonDoubleClick});
    // A third quick click is a plain press again, a fourth a double click.
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 3, 5, 6)),
              std::vector<K>{K::LeftButtonDown});
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 4, 5, 6)),
              std::vector<K>{K::LeftButtonDoubleClick});
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 5, 6)),
              std::vector<K>{K::RightButtonDown});
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 2, 5, 6)),
              std::vector<K>{K::RightButtonDoubleClick});
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 2, 5, 6)), std::vector<K>{K::RightButtonUp});
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 2, 5, 6)),
              std::vector<K>{K::MiddleButtonDown});
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 2, 5, 6)),
              std::vector<K>{K::MiddleButtonUp});
    // Events pushed by software may carry no click count: still a press.
    EXPECT_EQ(kinds(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 0, 5, 6)),
              std::vector<K>{K::LeftButtonDown});
    // Side buttons have no message.
    EXPECT_TRUE(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 5, 6).empty());

    const Messages press = Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 123, 456);
    ASSERT_EQ(press.size(), 1u);
    EXPECT_EQ(press[0].mX, 123);
    EXPECT_EQ(press[0].mY, 456);
}

TEST_F(SdlEventTranslatorTest, WheelNotchesAre120Each)
{
    EXPECT_EQ(Wheel(1), Messages{WindowMessage::Wheel(120, 10, 20)});
    EXPECT_EQ(Wheel(-3), Messages{WindowMessage::Wheel(-360, 10, 20)});
    // "Natural" scrolling reports flipped values; the turn of the wheel counts.
    EXPECT_EQ(Wheel(2, SDL_MOUSEWHEEL_FLIPPED), Messages{WindowMessage::Wheel(-240, 10, 20)});
    // Sideways-only scrolling gives nothing.
    EXPECT_TRUE(Wheel(0).empty());
}

TEST_F(SdlEventTranslatorTest, ScaledFullScreenPointerPositionsMapBackIntoThePicture)
{
    // 800 x 600 on a 1920 x 1080 display: scaled to 1440 x 1080 with 240-pixel bars.
    mTarget.mMapping = ScreenMapping(800, 600, 1920, 1080);
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 240 + 720;
    e.motion.y = 540;
    EXPECT_EQ(Feed(e), Messages{WindowMessage::Mouse(MessageKind::MouseMove, 400, 300)});
    e.motion.x = 1919;
    e.motion.y = 1079;
    EXPECT_EQ(Feed(e), Messages{WindowMessage::Mouse(MessageKind::MouseMove, 932, 599)});
    const Messages press = Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 240, 0);
    EXPECT_EQ(press, Messages{WindowMessage::Mouse(MessageKind::RightButtonDown, 0, 0)});
    // Over the left bar: left of the picture.
    EXPECT_EQ(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 0, 0),
              Messages{WindowMessage::Mouse(MessageKind::RightButtonUp, -134, 0)});
}

TEST_F(SdlEventTranslatorTest, WindowEventsGiveStateMessages)
{
    EXPECT_EQ(Window(SDL_WINDOWEVENT_MOVED, 100, 200), Messages{WindowMessage::Moved(100, 200)});
    EXPECT_EQ(Window(SDL_WINDOWEVENT_MINIMIZED), Messages{WindowMessage::Sized(true, 0, 0)});
    EXPECT_EQ(Window(SDL_WINDOWEVENT_RESTORED), Messages{WindowMessage::Sized(false, 800, 600)});
    EXPECT_EQ(Window(SDL_WINDOWEVENT_SIZE_CHANGED, 1024, 768),
              Messages{WindowMessage::Sized(false, 1024, 768)});
    EXPECT_EQ(Window(SDL_WINDOWEVENT_FOCUS_GAINED), Messages{WindowMessage::Activated(true)});
    EXPECT_EQ(Window(SDL_WINDOWEVENT_FOCUS_LOST), Messages{WindowMessage::Activated(false)});
    EXPECT_EQ(Window(SDL_WINDOWEVENT_CLOSE), Messages{WindowMessage::Simple(MessageKind::Close)});
    EXPECT_EQ(Window(SDL_WINDOWEVENT_EXPOSED), Messages{WindowMessage::Simple(MessageKind::Paint)});
    EXPECT_TRUE(Window(SDL_WINDOWEVENT_ENTER).empty());

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(Feed(quit), Messages{WindowMessage::Simple(MessageKind::EndSession)});
}

} // namespace
