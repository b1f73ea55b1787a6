#include "platform/SdlBackend.h"

#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/SdlCursorSet.h"
#include "platform/SdlEventTranslator.h"
#include "platform/SdlPresenter.h"
#include "platform/SdlWindow.h"

namespace Quill::Platform {

namespace {

constexpr int kMaxWindowSide = 16384;
// Nice values asked for; raising priority needs CAP_SYS_NICE or RLIMIT_NICE.
constexpr int kNiceNormal = 0;
constexpr int kNiceAboveNormal = -5;

// True when an executable of this name is on the PATH.
bool IsOnPath(std::string_view program)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    std::string_view rest(path);
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        const std::filesystem::path candidate =
            std::filesystem::path(dir.empty() ? "." : std::string(dir)) / std::string(program);
        if (::access(candidate.c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

Uint32 MessageBoxFlags(MessageBoxIcon icon)
{
    switch (icon) {
    case MessageBoxIcon::Error:
        return SDL_MESSAGEBOX_ERROR;
    case MessageBoxIcon::Warning:
        return SDL_MESSAGEBOX_WARNING;
    case MessageBoxIcon::Information:
    case MessageBoxIcon::Question:
    case MessageBoxIcon::None:
        break;
    }
    return SDL_MESSAGEBOX_INFORMATION;
}

// The buttons of a set, first (default) first, and the answer for a box
// closed without a choice.
struct ButtonSet {
    std::vector<SDL_MessageBoxButtonData> mButtons;
    MessageBoxAnswer mOnClose = MessageBoxAnswer::Ok;
};

ButtonSet ButtonsFor(MessageBoxButtons buttons)
{
    const auto button = [](MessageBoxAnswer answer, const char* text, Uint32 flags) {
        return SDL_MessageBoxButtonData{flags, static_cast<int>(answer), text};
    };
    const Uint32 enter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    const Uint32 escape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (buttons) {
    case MessageBoxButtons::Ok:
        return {{button(MessageBoxAnswer::Ok, "OK", enter | escape)}, MessageBoxAnswer::Ok};
    case MessageBoxButtons::OkCancel:
        return {
            {button(MessageBoxAnswer::Ok, "OK", enter), button(MessageBoxAnswer::Cancel, "Cancel", escape)},
            MessageBoxAnswer::Cancel};
    case MessageBoxButtons::YesNo:
        return {{button(MessageBoxAnswer::Yes, "Yes", enter), button(MessageBoxAnswer::No, "No", escape)},
                MessageBoxAnswer::No};
    case MessageBoxButtons::YesNoCancel:
        return {{button(MessageBoxAnswer::Yes, "Yes", enter), button(MessageBoxAnswer::No, "No", 0),
                 button(MessageBoxAnswer::Cancel, "Cancel", escape)},
                MessageBoxAnswer::Cancel};
    }
    return {};
}

} // namespace

SdlBackend::SdlBackend() : mTranslator(std::make_unique<SdlEventTranslator>())
{
    // Closing the window is a close request of its own, not the end of the
    // session; SDL's quit event is left to termination signals.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // Behave like any desktop program: the screen saver may run, and a
    // windowed game does not switch the compositor off.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    mVideo = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!mVideo) {
        mLastError = SDL_GetError();
        return;
    }
    mCursors = std::make_unique<SdlCursorSet>();
}

SdlBackend::~SdlBackend()
{
    mCursors.reset();
    if (mVideo)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlBackend::HasDisplay() const
{
    if (!mVideo)
        return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string_view name = driver ? driver : "";
    return !name.empty() && name != "dummy" && name != "offscreen";
}

std::unique_ptr<Window> SdlBackend::CreateWindow(const WindowConfig& config)
{
    if (!mVideo) {
        mLastError = "No video system: " + mLastError;
        return nullptr;
    }
    if (config.mWidth <= 0 || config.mHeight <= 0 || config.mWidth > kMaxWindowSide ||
        config.mHeight > kMaxWindowSide) {
        mLastError = "Window size out of range.";
        return nullptr;
    }
    Uint32 flags = SDL_WINDOW_HIDDEN;
    int x = 0;
    int y = 0;
    if (config.mFullScreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        const Rectangle bounds = GetDesktopBounds();
        x = bounds.mX;
        y = bounds.mY;
    } else if (config.mPosition) {
        x = config.mPosition->mX;
        y = config.mPosition->mY;
    } else {
        const Rectangle work = GetDesktopWorkArea();
        x = work.mX + (work.mWidth - config.mWidth) / 2;
        y = work.mY + (work.mHeight - config.mHeight) / 2;
    }
    SDL_Window* sdlWindow =
        SDL_CreateWindow(config.mTitle.c_str(), x, y, config.mWidth, config.mHeight, flags);
    if (!sdlWindow) {
        mLastError = SDL_GetError();
        return nullptr;
    }
    auto window = std::make_unique<SdlWindow>(*this, sdlWindow, config);
    SDL_StartTextInput();
    if (config.mVisible)
        window->Show();
    return window;
}

PresenterResult SdlBackend::CreatePresenter(Window& window, const PresenterConfig& config)
{
    auto* sdlWindow = dynamic_cast<SdlWindow*>(&window);
    if (!sdlWindow) {
        PresenterResult result;
        result.mError = mLastError = "Not a window of this backend.";
        return result;
    }
    PresenterResult result = SdlPresenter::Make(*sdlWindow, config);
    if (result.mStatus != PresenterStatus::Ok)
        mLastError = result.mError;
    return result;
}

std::optional<WindowMessage> SdlBackend::PollMessage()
{
    if (!mPending.empty()) {
        const WindowMessage message = mPending.front();
        mPending.pop_front();
        return message;
    }
    if (mVideo) {
        SDL_Event event;
        std::vector<WindowMessage> out;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_RENDER_DEVICE_RESET) {
                // The textures are gone: presenting fails until the display
                // is made again, and the window must be painted anew.
                for (SdlWindow* window : mWindows) {
                    if (SdlPresenter* presenter = window->GetPresenter())
                        presenter->MarkLost();
                }
                mPending.push_back(WindowMessage::Simple(MessageKind::Paint));
                break;
            }
            const Uint32 id = SdlEventTranslator::WindowIdOf(event);
            SdlWindow* window = id != 0 ? FindWindow(id) : (mWindows.empty() ? nullptr : mWindows.front());
            const bool global = event.type == SDL_QUIT || event.type == SDL_APP_TERMINATING;
            if (!window && !global)
                continue; // an event of a window that is gone
            SdlEventTranslator::Target target;
            if (window) {
                target.mMapping = window->GetMapping();
                const Rectangle client = window->GetClientRect();
                target.mClientWidth = client.mWidth;
                target.mClientHeight = client.mHeight;
            }
            out.clear();
            mTranslator->Translate(event, target, out);
            for (const WindowMessage& message : out) {
                if (window && message.mKind >= MessageKind::MouseMove &&
                    message.mKind <= MessageKind::MouseWheel)
                    window->NotePointer(Point{message.mX, message.mY});
                mPending.push_back(message);
            }
            if (!mPending.empty())
                break;
        }
        if (!mPending.empty()) {
            const WindowMessage message = mPending.front();
            mPending.pop_front();
            return message;
        }
    }
    const std::int64_t now = mClock.Now();
    for (SdlWindow* window : mWindows) {
        if (const std::optional<int> timerId = window->TakeTimerTick(now))
            return WindowMessage::TimerTick(*timerId);
    }
    for (SdlWindow* window : mWindows)
        window->RefreshPointer();
    return std::nullopt;
}

Rectangle SdlBackend::GetDesktopWorkArea() const
{
    SDL_Rect r{};
    if (!mVideo || SDL_GetDisplayUsableBounds(0, &r) != 0)
        return GetDesktopBounds();
    return Rectangle{r.x, r.y, r.w, r.h};
}

Rectangle SdlBackend::GetDesktopBounds() const
{
    SDL_Rect r{};
    if (!mVideo || SDL_GetDisplayBounds(0, &r) != 0)
        return Rectangle{};
    return Rectangle{r.x, r.y, r.w, r.h};
}

std::string SdlBackend::GetClipboardText()
{
    if (!mVideo)
        return {};
    char* text = SDL_GetClipboardText();
    if (!text)
        return {};
    std::string result(text);
    SDL_free(text);
    return result;
}

bool SdlBackend::SetClipboardText(const std::string& text)
{
    return mVideo && SDL_SetClipboardText(text.c_str()) == 0;
}

bool SdlBackend::IsAcceptableURL(const std::string& url)
{
    if (url.empty() || url.front() == '-')
        return false;
    return std::none_of(url.begin(), url.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= ' ' || u == 0x7F;
    });
}

bool SdlBackend::OpenURL(const std::string& url)
{
    if (!IsAcceptableURL(url)) {
        mLastError = "Refused to open an address with spaces or control characters.";
        return false;
    }
    // SDL reports success once the opener was started in the background, even
    // when there is none to start; look for it first so a missing one counts
    // as a failure.
    if (!IsOnPath("xdg-open")) {
        mLastError = "xdg-open was not found.";
        return false;
    }
    if (SDL_OpenURL(url.c_str()) != 0) {
        mLastError = SDL_GetError();
        return false;
    }
    return true;
}

MessageBoxAnswer SdlBackend::ShowMessageBox(const MessageBoxRequest& request, Window* parent)
{
    const ButtonSet set = ButtonsFor(request.mButtons);
    if (HasDisplay()) {
        auto* sdlParent = dynamic_cast<SdlWindow*>(parent);
        SDL_MessageBoxData data{};
        data.flags = MessageBoxFlags(request.mIcon) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
        data.window = sdlParent ? sdlParent->GetSdlWindow() : nullptr;
        data.title = request.mTitle.c_str();
        data.message = request.mText.c_str();
        data.numbuttons = static_cast<int>(set.mButtons.size());
        data.buttons = set.mButtons.data();
        int chosen = -1;
        if (SDL_ShowMessageBox(&data, &chosen) == 0)
            return chosen < 0 ? set.mOnClose : static_cast<MessageBoxAnswer>(chosen);
    }
    // Nobody can see a box: say it where a developer or a log will.
    DebugOutput(request.mTitle + ": " + request.mText + "\n");
    return DefaultAnswer(request.mButtons);
}

bool SdlBackend::SetCurrentThreadPriority(ThreadPriority priority)
{
    // On Linux the nice value of a thread id applies to that thread alone.
    const int nice = priority == ThreadPriority::AboveNormal ? kNiceAboveNormal : kNiceNormal;
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice) == 0;
}

void SdlBackend::DebugOutput(std::string_view text)
{
    // Windows-style line ends become plain ones.
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        if (c != '\r')
            line.push_back(c);
    }
    const std::lock_guard lock(mOutputMutex);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

ScreenSaverState SdlBackend::GetScreenSaverState() const
{
    // The desktop's screen saver cannot be asked about portably on Linux:
    // report none, so the game never believes it was hidden by one.
    return ScreenSaverState{};
}

void SdlBackend::RegisterWindow(SdlWindow* window)
{
    mWindows.push_back(window);
}

void SdlBackend::UnregisterWindow(SdlWindow* window)
{
    mWindows.erase(std::remove(mWindows.begin(), mWindows.end(), window), mWindows.end());
}

SdlWindow* SdlBackend::FindWindow(std::uint32_t id) const
{
    const auto it =
        std::find_if(mWindows.begin(), mWindows.end(), [id](const SdlWindow* w) { return w->GetId() == id; });
    return it == mWindows.end() ? nullptr : *it;
}

} // namespace Quill::Platform
