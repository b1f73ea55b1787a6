#include "platform/SdlWindow.h"

#include <SDL.h>

#include "platform/SdlBackend.h"
#include "platform/SdlCursorSet.h"
#include "platform/SdlPresenter.h"

namespace Quill::Platform {

SdlWindow::SdlWindow(SdlBackend& backend, SDL_Window* window, const WindowConfig& config)
    : mBackend(backend), mWindow(window), mId(SDL_GetWindowID(window)), mConfig(config)
{
    mBackend.RegisterWindow(this);
}

SdlWindow::~SdlWindow()
{
    if (mPresenter)
        mPresenter->WindowGone();
    if (mCaptured)
        SDL_CaptureMouse(SDL_FALSE);
    mBackend.UnregisterWindow(this);
    SDL_DestroyWindow(mWindow);
}

void SdlWindow::Show()
{
    SDL_ShowWindow(mWindow);
    SDL_RaiseWindow(mWindow);
}

void SdlWindow::ShowWithoutActivation()
{
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    SDL_ShowWindow(mWindow);
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "0");
}

void SdlWindow::Hide()
{
    SDL_HideWindow(mWindow);
}

void SdlWindow::Raise()
{
    SDL_RaiseWindow(mWindow);
}

void SdlWindow::Restore()
{
    SDL_RestoreWindow(mWindow);
}

void SdlWindow::Minimize()
{
    SDL_MinimizeWindow(mWindow);
}

bool SdlWindow::IsVisible() const
{
    return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_SHOWN) != 0;
}

bool SdlWindow::IsMinimized() const
{
    return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_MINIMIZED) != 0;
}

bool SdlWindow::HasKeyboardFocus() const
{
    return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void SdlWindow::SetTitle(const std::string& title)
{
    SDL_SetWindowTitle(mWindow, title.c_str());
}

std::string SdlWindow::GetTitle() const
{
    return SDL_GetWindowTitle(mWindow);
}

bool SdlWindow::SetFullScreen(bool fullScreen)
{
    if (SDL_SetWindowFullscreen(mWindow, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        return false;
    if (!fullScreen)
        SDL_SetWindowSize(mWindow, mConfig.mWidth, mConfig.mHeight);
    return true;
}

bool SdlWindow::IsFullScreen() const
{
    return (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

void SdlWindow::SetPosition(Point position)
{
    SDL_SetWindowPosition(mWindow, position.mX, position.mY);
}

Rectangle SdlWindow::GetClientRect() const
{
    Rectangle r;
    SDL_GetWindowPosition(mWindow, &r.mX, &r.mY);
    SDL_GetWindowSize(mWindow, &r.mWidth, &r.mHeight);
    return r;
}

Rectangle SdlWindow::GetPictureRect() const
{
    return GetMapping().GetPictureRect();
}

ScreenMapping SdlWindow::GetMapping() const
{
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(mWindow, &width, &height);
    return ScreenMapping(mConfig.mWidth, mConfig.mHeight, width, height);
}

Point SdlWindow::GetPointerPosition() const
{
    return Point{mPointerX.load(), mPointerY.load()};
}

void SdlWindow::NotePointer(Point picturePosition)
{
    mPointerX.store(picturePosition.mX);
    mPointerY.store(picturePosition.mY);
}

void SdlWindow::RefreshPointer()
{
    // SDL tracks the pointer for the window it is over (or that captured it);
    // elsewhere the last position from a pointer event stands.
    if (SDL_GetMouseFocus() != mWindow)
        return;
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    NotePointer(GetMapping().ToPicture(Point{x, y}));
}

bool SdlWindow::IsPointerInClient() const
{
    if (SDL_GetMouseFocus() != mWindow)
        return false;
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(mWindow, &width, &height);
    return Rectangle{0, 0, width, height}.Contains(Point{x, y});
}

void SdlWindow::SetMouseCapture(bool captured)
{
    if (captured == mCaptured)
        return;
    // SDL refuses capture for a window without the keyboard focus (and on
    // drivers that have none); then the window simply stays uncaptured.
    const bool ok = SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE) == 0;
    mCaptured = captured && ok;
}

void SdlWindow::SetCursor(CursorKind kind)
{
    mBackend.GetCursors().Show(kind);
}

bool SdlWindow::SetCursorPicture(const CursorPicture& picture)
{
    return mBackend.GetCursors().ShowPicture(picture);
}

void SdlWindow::StartTimer(int timerId, int periodMs)
{
    mTimers.insert_or_assign(timerId, MessageTimer(timerId, periodMs, mBackend.GetClock().Now()));
}

void SdlWindow::StopTimer(int timerId)
{
    mTimers.erase(timerId);
}

std::optional<int> SdlWindow::TakeTimerTick(std::int64_t now)
{
    for (auto& [id, timer] : mTimers) {
        if (timer.TakeTick(now))
            return id;
    }
    return std::nullopt;
}

void SdlWindow::DetachPresenter(SdlPresenter* presenter)
{
    if (mPresenter == presenter)
        mPresenter = nullptr;
}

} // namespace Quill::Platform
