#pragma once

#include "platform/Geometry.h"

namespace Quill::Platform {

// Fits a picture into an output area of another size: scaled as large as it
// fits with its aspect kept, centred, the rest left as bars. Maps output
// positions (pointer coordinates) back to picture positions. Integer
// arithmetic throughout, so the two directions agree pixel for pixel.
class ScreenMapping {
public:
    ScreenMapping() = default;
    ScreenMapping(int pictureWidth, int pictureHeight, int outputWidth, int outputHeight);

    // Where the picture lands in the output area.
    [[nodiscard]] Rectangle GetPictureRect() const { return mPicture; }
    // The picture position under an output position (outside the picture for
    // positions over the bars or beyond the output).
    [[nodiscard]] Point ToPicture(Point output) const;
    // True when the picture is shown at its own size (no scaling).
    [[nodiscard]] bool IsOneToOne() const;

private:
    int mPictureWidth = 1;
    int mPictureHeight = 1;
    Rectangle mPicture{0, 0, 1, 1};
};

} // namespace Quill::Platform
