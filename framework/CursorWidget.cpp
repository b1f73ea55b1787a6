#include "framework/CursorWidget.h"

#include "graphics/Graphics.h"
#include "graphics/Image.h"

namespace Quill {

CursorWidget::CursorWidget()
{
    mOverlayLayer = true;
    mMouseVisible = false;
}

void CursorWidget::SetImage(Image* image)
{
    if (image == mImage)
        return;
    mImage = image;
    if (image != nullptr)
        Resize(mX, mY, image->GetWidth(), image->GetHeight());
    MarkDirty();
}

void CursorWidget::Draw(Graphics& g)
{
    if (mImage != nullptr)
        g.DrawImage(mImage, 0, 0);
}

} // namespace Quill
