#include "platform/SdlEventTranslator.h"

#include <optional>

#include "platform/SdlKeyMap.h"
#include "platform/VirtualKeys.h"

namespace Quill::Platform {

namespace {

constexpr int kWheelDeltaPerNotch = 120;

// Decodes one UTF-8 sequence at text; advances text. Malformed bytes give
// nothing (and are skipped one at a time).
std::optional<char32_t> NextCodePoint(const unsigned char*& text)
{
    const unsigned char lead = *text++;
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t value = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        value = lead & 0x07;
    } else {
        return std::nullopt;
    }
    for (int i = 0; i < extra; ++i) {
        if ((text[i] & 0xC0) != 0x80)
            return std::nullopt;
    }
    for (int i = 0; i < extra; ++i)
        value = (value << 6) | (*text++ & 0x3F);
    // Over-long forms, surrogates and values beyond Unicode are not characters.
    static constexpr char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[extra] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return std::nullopt;
    return value;
}

} // namespace

void SdlEventTranslator::Translate(const SDL_Event& event, const Target& target,
                                   std::vector<WindowMessage>& out)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key, out);
        break;
    case SDL_TEXTINPUT:
        TranslateText(event.text.text, out);
        break;
    case SDL_MOUSEMOTION: {
        const Point p = target.mMapping.ToPicture(Point{event.motion.x, event.motion.y});
        out.push_back(WindowMessage::Mouse(MessageKind::MouseMove, p.mX, p.mY));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        // Every second press of a run of quick clicks is a double click.
        const bool doubleClick = down && event.button.clicks >= 2 && event.button.clicks % 2 == 0;
        MessageKind kind;
        switch (event.button.button) {
        case SDL_BUTTON_LEFT:
            kind = !down ? MessageKind::LeftButtonUp
                         : (doubleClick ? MessageKind::LeftButtonDoubleClick : MessageKind::LeftButtonDown);
            break;
        case SDL_BUTTON_RIGHT:
            kind = !down ? MessageKind::RightButtonUp
                         : (doubleClick ? MessageKind::RightButtonDoubleClick : MessageKind::RightButtonDown);
            break;
        case SDL_BUTTON_MIDDLE:
            kind = down ? MessageKind::MiddleButtonDown : MessageKind::MiddleButtonUp;
            break;
        default:
            return;
        }
        const Point p = target.mMapping.ToPicture(Point{event.button.x, event.button.y});
        out.push_back(WindowMessage::Mouse(kind, p.mX, p.mY));
        break;
    }
    case SDL_MOUSEWHEEL: {
        int notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        if (notches != 0) {
            const Point p = target.mMapping.ToPicture(Point{event.wheel.mouseX, event.wheel.mouseY});
            out.push_back(WindowMessage::Wheel(notches * kWheelDeltaPerNotch, p.mX, p.mY));
        }
        break;
    }
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window, target, out);
        break;
    case SDL_QUIT:
    case SDL_APP_TERMINATING:
        out.push_back(WindowMessage::Simple(MessageKind::EndSession));
        break;
    default:
        break;
    }
}

void SdlEventTranslator::TranslateKey(const SDL_KeyboardEvent& key, std::vector<WindowMessage>& out)
{
    mModifiers = key.keysym.mod;
    const int vk = SdlKeyMap::ToVirtualKey(key.keysym);
    if (vk == 0)
        return;
    const bool alt = (mModifiers & KMOD_ALT) != 0;
    const bool ctrl = (mModifiers & KMOD_CTRL) != 0;
    // Keys pressed with Alt (but not Ctrl: Ctrl+Alt is AltGr on Windows) are
    // system keys, and so are F10 and the Alt key itself, released included.
    const bool system = (alt && !ctrl) || vk == VK_F10 || (vk == VK_MENU && !ctrl);
    if (key.type == SDL_KEYUP) {
        out.push_back(WindowMessage::Key(system ? MessageKind::SysKeyUp : MessageKind::KeyUp, vk));
        return;
    }
    out.push_back(
        WindowMessage::Key(system ? MessageKind::SysKeyDown : MessageKind::KeyDown, vk, key.repeat != 0));
    if (const int ch = SdlKeyMap::ControlCharacter(vk, mModifiers))
        out.push_back(WindowMessage::Key(alt && !ctrl ? MessageKind::SysChar : MessageKind::Char, ch));
}

void SdlEventTranslator::TranslateText(const char* utf8, std::vector<WindowMessage>& out) const
{
    const bool alt = (mModifiers & KMOD_ALT) != 0;
    const bool ctrl = (mModifiers & KMOD_CTRL) != 0;
    // With Ctrl alone the key press already gave its control character.
    if (ctrl && !alt)
        return;
    const MessageKind kind = alt && !ctrl ? MessageKind::SysChar : MessageKind::Char;
    const auto* text = reinterpret_cast<const unsigned char*>(utf8);
    const auto* end = text + SDL_strlen(utf8);
    while (text < end) {
        const std::optional<char32_t> ch = NextCodePoint(text);
        if (ch && *ch >= U' ' && *ch != 0x7F)
            out.push_back(WindowMessage::Key(kind, static_cast<int>(*ch)));
    }
}

void SdlEventTranslator::TranslateWindowEvent(const SDL_WindowEvent& window, const Target& target,
                                              std::vector<WindowMessage>& out)
{
    switch (window.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        out.push_back(WindowMessage::Simple(MessageKind::Paint));
        break;
    case SDL_WINDOWEVENT_MOVED:
        out.push_back(WindowMessage::Moved(window.data1, window.data2));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        out.push_back(WindowMessage::Sized(false, window.data1, window.data2));
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        out.push_back(WindowMessage::Sized(true, 0, 0));
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        out.push_back(WindowMessage::Sized(false, target.mClientWidth, target.mClientHeight));
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back(WindowMessage::Activated(true));
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.push_back(WindowMessage::Activated(false));
        break;
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back(WindowMessage::Simple(MessageKind::Close));
        break;
    default:
        break;
    }
}

Uint32 SdlEventTranslator::WindowIdOf(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.windowID;
    case SDL_TEXTINPUT:
        return event.text.windowID;
    case SDL_MOUSEMOTION:
        return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    case SDL_MOUSEWHEEL:
        return event.wheel.windowID;
    case SDL_WINDOWEVENT:
        return event.window.windowID;
    default:
        return 0;
    }
}

} // namespace Quill::Platform
