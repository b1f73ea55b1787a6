#include "platform/CursorPicture.h"

#include <array>
#include <string_view>

namespace Quill::Platform {

namespace {

constexpr int kCursorSize = 32;
constexpr std::uint32_t kOutline = 0xFF000000;
constexpr std::uint32_t kFill = 0xFFFFFFFF;
constexpr std::uint32_t kClear = 0x00000000;

// 'X' outline, '.' fill, anything else clear; rows not given are clear.
template <std::size_t N>
CursorPicture FromRows(const std::array<std::string_view, N>& rows, int hotX, int hotY)
{
    CursorPicture picture;
    picture.mWidth = kCursorSize;
    picture.mHeight = kCursorSize;
    picture.mHotX = hotX;
    picture.mHotY = hotY;
    picture.mPixels.assign(static_cast<std::size_t>(kCursorSize * kCursorSize), kClear);
    for (std::size_t y = 0; y < rows.size() && y < kCursorSize; ++y) {
        for (std::size_t x = 0; x < rows[y].size() && x < kCursorSize; ++x) {
            const char c = rows[y][x];
            picture.mPixels[y * kCursorSize + x] = c == 'X' ? kOutline : c == '.' ? kFill : kClear;
        }
    }
    return picture;
}

} // namespace

CursorPicture CursorPicture::Hand()
{
    // Index finger up; its tip is the hot spot.
    static constexpr std::array<std::string_view, 27> kRows = {
        "",
        "",
        "",
        "",
        "          XXX",
        "         X...X",
        "         X...X",
        "         X...X",
        "         X...X",
        "         X...XXXX",
        "         X...X...XXXX",
        "         X...X...X...XXX",
        "         X...X...X...X..X",
        "    XXX  X...X...X...X..X",
        "   X...XXX..............X",
        "   X....XX..............X",
        "    X...X...............X",
        "     X..................X",
        "     X..................X",
        "      X.................X",
        "      X................X",
        "       X...............X",
        "       X..............X",
        "        X.............X",
        "        X.............X",
        "         X...........X",
        "         XXXXXXXXXXXXX",
    };
    return FromRows(kRows, 11, 4);
}

CursorPicture CursorPicture::Dragging()
{
    // A closed fist seen from the back; the hot spot sits between the
    // knuckles, where the grip is.
    static constexpr std::array<std::string_view, 22> kRows = {
        "",
        "",
        "",
        "",
        "",
        "",
        "",
        "",
        "",
        "          XX XX XX XX",
        "         X..X..X..X..X",
        "      XXXX............X",
        "     X...X............X",
        "     X................X",
        "      X...............X",
        "      X...............X",
        "       X..............X",
        "       X.............X",
        "        X............X",
        "        X............X",
        "         X..........X",
        "         XXXXXXXXXXXX",
    };
    return FromRows(kRows, 15, 10);
}

} // namespace Quill::Platform
