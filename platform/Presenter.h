#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/Geometry.h"

namespace Quill::Platform {

// How to show pictures in a window.
struct PresenterConfig {
    // Size of the picture (the screen image).
    int mWidth = 800;
    int mHeight = 600;
    // Use the graphics card ("3D"); otherwise a software renderer.
    bool mAccelerated = false;
    // Wait for the display's vertical blank when presenting.
    bool mVSync = false;
};

// Shows the program's screen image in its window: the changed part is
// uploaded and the whole picture presented, scaled to the window with its
// aspect kept. Main thread only. Destroy it before its window (a presenter
// whose window went away fails every present).
class Presenter {
public:
    virtual ~Presenter() = default;

    // Uploads the dirty part of the picture (all of it when dirty is
    // nullopt, nothing when it is an empty rectangle: the picture uploaded
    // before is shown again) and presents. pixels holds the whole picture as 0xAARRGGBB words (the
    // alpha byte is ignored), rows strideInPixels apart. False when
    // presenting failed or the display was lost: make a new presenter.
    [[nodiscard]] virtual bool Present(std::span<const std::uint32_t> pixels, int strideInPixels,
                                       const std::optional<Rectangle>& dirty) = 0;

    // Whether the graphics card does the work.
    [[nodiscard]] virtual bool IsAccelerated() const = 0;
    // Turns waiting for the vertical blank on or off; false when not possible.
    [[nodiscard]] virtual bool SetVSync(bool on) = 0;
    [[nodiscard]] virtual bool GetVSync() const = 0;
    // The display's refresh rate in Hz (60 when the system does not say).
    [[nodiscard]] virtual int GetRefreshRate() const = 0;
    // Milliseconds of one display refresh (1000 / rate, rounded down).
    [[nodiscard]] int GetRefreshPeriodMs() const { return 1000 / GetRefreshRate(); }
};

// Outcome of making a presenter.
enum class PresenterStatus {
    Ok,
    // Accelerated presenting was asked for and is not available (the
    // software one may still work).
    AcceleratedFailed,
    // No presenter could be made.
    Failed,
};

// A new presenter, or why there is none.
struct PresenterResult {
    std::unique_ptr<Presenter> mPresenter;
    PresenterStatus mStatus = PresenterStatus::Failed;
    // What the system reported, for the error box.
    std::string mError;
};

} // namespace Quill::Platform
