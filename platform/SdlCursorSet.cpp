#include "platform/SdlCursorSet.h"

#include <SDL.h>

namespace Quill::Platform {

namespace {

SDL_Cursor* MakeColorCursor(const CursorPicture& picture)
{
    if (!picture.IsValid())
        return nullptr;
    // SDL only reads the pixels while making the cursor.
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(picture.mPixels.data()), picture.mWidth,
                                           picture.mHeight, 32, picture.mWidth * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return nullptr;
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, picture.mHotX, picture.mHotY);
    SDL_FreeSurface(surface);
    return cursor;
}

} // namespace

SdlCursorSet::SdlCursorSet()
{
    mCursors[static_cast<std::size_t>(CursorKind::Pointer)] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    mCursors[static_cast<std::size_t>(CursorKind::Hand)] = MakeColorCursor(CursorPicture::Hand());
    mCursors[static_cast<std::size_t>(CursorKind::Dragging)] = MakeColorCursor(CursorPicture::Dragging());
    mCursors[static_cast<std::size_t>(CursorKind::Text)] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_IBEAM);
    mCursors[static_cast<std::size_t>(CursorKind::Forbidden)] = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_NO);
}

SdlCursorSet::~SdlCursorSet()
{
    // Back to SDL's own default before freeing what may be the current one.
    SDL_SetCursor(SDL_GetDefaultCursor());
    for (SDL_Cursor* cursor : mCursors) {
        if (cursor)
            SDL_FreeCursor(cursor);
    }
    if (mPicture)
        SDL_FreeCursor(mPicture);
}

void SdlCursorSet::Show(CursorKind kind)
{
    if (kind == CursorKind::None) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_Cursor* cursor = mCursors[static_cast<std::size_t>(kind)];
    SDL_SetCursor(cursor ? cursor : SDL_GetDefaultCursor());
    SDL_ShowCursor(SDL_ENABLE);
}

bool SdlCursorSet::ShowPicture(const CursorPicture& picture)
{
    SDL_Cursor* cursor = MakeColorCursor(picture);
    if (!cursor)
        return false;
    SDL_SetCursor(cursor);
    SDL_ShowCursor(SDL_ENABLE);
    if (mPicture)
        SDL_FreeCursor(mPicture);
    mPicture = cursor;
    return true;
}

} // namespace Quill::Platform
