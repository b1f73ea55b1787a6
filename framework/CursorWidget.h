#pragma once

#include "framework/Widget.h"

namespace Quill {

// Draws a cursor picture at its origin as an overlay layer, so that moving it
// repaints only itself over the cached screen. Never hit by the mouse.
class CursorWidget : public Widget {
public:
    CursorWidget();

    // The picture to draw (not owned; none draws nothing). The widget takes
    // the picture's size.
    void SetImage(Image* image);
    [[nodiscard]] Image* GetImage() const { return mImage; }

    void Draw(Graphics& g) override;

private:
    Image* mImage = nullptr;
};

} // namespace Quill
