#pragma once

#include <cstdint>
#include <vector>

namespace Quill::Platform {

// A colour pointer picture: pixels are 0xAARRGGBB with real alpha (0 is
// transparent), row by row; the hot spot is the pixel that points.
struct CursorPicture {
    int mWidth = 0;
    int mHeight = 0;
    int mHotX = 0;
    int mHotY = 0;
    std::vector<std::uint32_t> mPixels;

    // The pointing hand shown over links and buttons, hot spot (11, 4).
    [[nodiscard]] static CursorPicture Hand();
    // The closed hand shown while dragging, hot spot (15, 10).
    [[nodiscard]] static CursorPicture Dragging();

    [[nodiscard]] std::uint32_t At(int x, int y) const
    {
        return mPixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) +
                       static_cast<std::size_t>(x)];
    }
    [[nodiscard]] bool IsValid() const
    {
        return mWidth > 0 && mHeight > 0 && mHotX >= 0 && mHotX < mWidth && mHotY >= 0 && mHotY < mHeight &&
               mPixels.size() == static_cast<std::size_t>(mWidth) * static_cast<std::size_t>(mHeight);
    }

    bool operator==(const CursorPicture&) const = default;
};

} // namespace Quill::Platform
