#include "framework/QuillAppBase.h"

namespace Quill {

QuillAppBase* gQuillAppBase = nullptr;

void QuillAppBase::SetCursor(int cursorNum)
{
    mCursorNum = cursorNum;
    EnforceCursor();
}

} // namespace Quill
