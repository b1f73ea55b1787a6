#pragma once

#include <array>

#include "platform/CursorPicture.h"
#include "platform/Window.h"

struct SDL_Cursor;

namespace Quill::Platform {

// The pointers the program shows: the system's arrow, I-beam and "no" sign,
// our own two hands, and at most one picture of the program's. SDL keeps one
// pointer for all windows, so the backend owns one set. Needs SDL video.
class SdlCursorSet {
public:
    SdlCursorSet();
    ~SdlCursorSet();
    SdlCursorSet(const SdlCursorSet&) = delete;
    SdlCursorSet& operator=(const SdlCursorSet&) = delete;

    // Shows a standard pointer (or none).
    void Show(CursorKind kind);
    // Shows a picture; false when it is invalid or the system refused it.
    [[nodiscard]] bool ShowPicture(const CursorPicture& picture);

private:
    static constexpr std::size_t kKinds = 5;
    // By CursorKind number; null where the system could not make one.
    std::array<SDL_Cursor*, kKinds> mCursors{};
    SDL_Cursor* mPicture = nullptr;
};

} // namespace Quill::Platform
