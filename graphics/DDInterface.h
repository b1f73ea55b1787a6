#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "graphics/Rect.h"

namespace Quill {

namespace Platform {
class Backend;
class Presenter;
class Window;
} // namespace Platform

class DDImage;
class Image;
class ImageRegistry;

// The display layer: the screen image the widget manager paints into, and
// presenting it in the window through the platform's presenter (windowed, or
// desktop full screen scaled with the aspect kept). It also keeps the
// cursor picture and position, and shares one lock with the application's
// set of live images.
class DDInterface {
public:
    // Results of Init.
    enum Result {
        RESULT_OK = 0,
        // Anything else that went wrong (see mErrorString).
        RESULT_FAIL = 1,
        // No window to show pictures in.
        RESULT_DD_CREATE_FAIL = 2,
        // No presenter could be made for the window.
        RESULT_SURFACE_FAIL = 3,
        // Full screen is impossible (the window could not be made to cover the display).
        RESULT_EXCLUSIVE_FAIL = 4,
        RESULT_DISPCHANGE_FAIL = 5,
        // Windowed mode cannot work at the desktop's colour depth (never on this platform).
        RESULT_INVALID_COLORDEPTH = 6,
        // The accelerated path failed (the software one may still work).
        RESULT_3D_FAIL = 7
    };

    // The display layer for pictures of width x height on the platform; uses the
    // registry's lock as its own and reports its pixel format there.
    DDInterface(Platform::Backend& platform, ImageRegistry& registry, int width, int height);
    ~DDInterface();
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    // Name of a result code, for error texts.
    [[nodiscard]] static std::string ResultName(int result);

    // (Re)initialises presenting into the window, in full screen unless
    // isWindowed. The screen image is kept across initialisations and marked
    // changed as a whole. A result code; mErrorString says more on failure.
    [[nodiscard]] int Init(Platform::Window* window, bool isWindowed);
    // Lets go of the presenter (before its window goes away); Redraw fails until the next Init.
    void Cleanup();

    // The screen image (made by the first Init; none before).
    [[nodiscard]] DDImage* GetScreenImage() const { return mScreenImage.get(); }
    // Presents the changed part of the screen image (clip: none, or a part that
    // must be shown in any case). False when presenting failed: the display
    // was lost and Init must run again.
    [[nodiscard]] bool Redraw(const Rect* clip = nullptr);

    // The accelerated ("3D") path is wanted. Read and set before Init.
    [[nodiscard]] bool Is3D() const { return mIs3D; }
    void Set3D(bool is3D) { mIs3D = is3D; }
    // Presents wait for the display's vertical blank; applied at once when possible.
    void SetVSync(bool on);
    [[nodiscard]] bool GetVSync() const { return mVSync; }

    // The lock guarding the screen and the set of live images.
    [[nodiscard]] std::recursive_mutex& GetLock() const;
    // The set of live images this display's images join.
    [[nodiscard]] ImageRegistry& GetRegistry() const { return mRegistry; }

    // The cursor picture (not owned; none: the desktop's own pointers are in
    // use). The desktop draws the picture over the window at the pointer, with
    // the picture's top-left corner as the hot spot. True when this changed
    // what is shown. Main thread.
    bool SetCursorImage(Image* image);
    [[nodiscard]] Image* GetCursorImage() const { return mCursorImage; }
    // Moves the cursor to the position now (the desktop redraws its picture
    // there); safe from any thread.
    void SetCursorPos(int x, int y);
    // Remembers the position for the coming paint; safe from any thread.
    void SetNextCursorPos(int x, int y);

    // Picture size.
    int mWidth = 0;
    int mHeight = 0;
    // The accelerated path is wanted.
    bool mIs3D = false;
    // The accelerated path failed its check during the last Init.
    bool m3DFailed = false;
    // The picture is shown windowed (false: full screen).
    bool mIsWindowed = true;
    // Display refresh rate (Hz) and the duration of one refresh (ms).
    int mRefreshRate = 60;
    int mMillisecondsPerFrame = 16;
    // What the platform said about the last failure.
    std::string mErrorString;
    // Current and next cursor position in picture coordinates.
    std::atomic<int> mCursorX = 0;
    std::atomic<int> mCursorY = 0;
    std::atomic<int> mNextCursorX = 0;
    std::atomic<int> mNextCursorY = 0;
    // Successful presents.
    int mPresentCount = 0;

private:
    Platform::Backend& mPlatform;
    ImageRegistry& mRegistry;
    // The window presented into (not owned).
    Platform::Window* mWindow = nullptr;
    std::unique_ptr<Platform::Presenter> mPresenter;
    std::unique_ptr<DDImage> mScreenImage;
    Image* mCursorImage = nullptr;
    bool mVSync = false;
};

} // namespace Quill
