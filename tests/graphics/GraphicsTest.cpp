// The drawing context: translation, clipping and what it hands to the
// destination image for rectangles and images.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "tests/graphics/RecordingImage.h"

namespace {

using namespace Quill;
using QuillTest::RecordingImage;
using Call = RecordingImage::Call;

std::vector<Call> Only(const RecordingImage& image, const std::string& op)
{
    std::vector<Call> out;
    std::copy_if(image.mCalls.begin(), image.mCalls.end(), std::back_inserter(out),
                 [&](const Call& c) { return c.mOp == op; });
    return out;
}

TEST(Graphics, NewContextsAndMeasuringContexts)
{
    RecordingImage dest(80, 60);
    Graphics g(&dest);
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 80, 60));
    EXPECT_EQ(g.GetColor(), Color::Black);
    EXPECT_TRUE(g.GetWriteColoredString());
    // A context without destination clips everything away.
    Graphics measuring;
    EXPECT_EQ(measuring.GetClipRect(), Rect(0, 0, 0, 0));
    measuring.SetColor(Color::White);
    measuring.FillRect(0, 0, 10, 10);
    EXPECT_EQ(measuring.GetDestImage()->mWidth, 0);
    // Copies carry every field and change independently.
    g.Translate(3, 4);
    g.SetColor(Color(1, 2, 3));
    auto copy = g.Create();
    copy->Translate(10, 10);
    copy->ClipRect(0, 0, 5, 5);
    EXPECT_EQ(copy->GetColor(), Color(1, 2, 3));
    EXPECT_EQ(copy->GetClipRect(), Rect(13, 14, 5, 5));
    EXPECT_EQ(g.GetClipRect(), Rect(0, 0, 80, 60));
}

TEST(Graphics, RectanglesAreTranslatedTruncatedAndClipped)
{
    RecordingImage dest(80, 60);
    Graphics g(&dest);
    g.SetColor(Color(9, 9, 9, 200));
    g.SetDrawMode(DRAWMODE_ADDITIVE);
    g.mTransX = -1.5f; // truncation toward zero: -1
    g.mTransY = 2.7f;  // 2
    g.FillRect(0, 0, 10, 10);
    g.ClipRect(5, 5, 100, 100);
    g.ClipRect(-50, -50, 200, 200); // only ever narrows
    g.FillRect(0, 0, 10, 10);
    g.FillRect(90, 90, 5, 5); // clipped away: still passed on, empty
    ASSERT_EQ(dest.mCalls.size(), 3u);
    EXPECT_EQ(dest.mCalls[0].mRect, Rect(0, 2, 9, 10)); // from x = -1, not -2
    EXPECT_EQ(dest.mCalls[0].mDrawMode, DRAWMODE_ADDITIVE);
    EXPECT_EQ(g.GetClipRect(), Rect(3, 7, 77, 53));
    EXPECT_EQ(dest.mCalls[1].mRect, Rect(3, 7, 6, 5));
    EXPECT_EQ(dest.mCalls[2].mRect.mWidth * dest.mCalls[2].mRect.mHeight, 0);
    // A colour of alpha 0 draws nothing at all.
    dest.mCalls.clear();
    g.SetColor(Color(1, 1, 1, 0));
    g.FillRect(10, 10, 5, 5);
    g.DrawRect(10, 10, 5, 5);
    EXPECT_TRUE(dest.mCalls.empty());
}

TEST(Graphics, OutlinesWholeOrClippedPiecewise)
{
    RecordingImage dest(50, 50);
    Graphics g(&dest);
    g.Translate(2, 3);
    g.DrawRect(1, 1, 9, 9);
    ASSERT_EQ(dest.mCalls.size(), 1u);
    EXPECT_EQ(dest.mCalls[0].mOp, "DrawRect");
    EXPECT_EQ(dest.mCalls[0].mRect, Rect(3, 4, 9, 9));
    // Partly clipped: four clipped fills instead.
    dest.mCalls.clear();
    g.ClipRect(0, 0, 8, 100);
    g.DrawRect(1, 1, 9, 9);
    ASSERT_EQ(dest.mCalls.size(), 4u);
    EXPECT_EQ(dest.mCalls[0].mRect, Rect(3, 4, 7, 1));
    EXPECT_EQ(dest.mCalls[1].mRect, Rect(3, 13, 7, 1));
    EXPECT_EQ(dest.mCalls[2].mRect, Rect(3, 5, 1, 8));
    EXPECT_EQ(dest.mCalls[3].mRect.mWidth, 0); // the right side lies outside

    // On a software image, (0, 0, 9, 9) colours a 10 × 10 outline.
    MemoryImage image(nullptr);
    image.Create(12, 12);
    image.Clear();
    Graphics mg(&image);
    mg.SetColor(Color::White);
    mg.DrawRect(0, 0, 9, 9);
    int lit = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool onOutline = (x <= 9 && y <= 9) && (x == 0 || y == 0 || x == 9 || y == 9);
            EXPECT_EQ(image.GetPixel(x, y) != 0, onOutline) << x << "," << y;
            lit += image.GetPixel(x, y) != 0;
        }
    EXPECT_EQ(lit, 36);
}

TEST(Graphics, ImagesAtAPointWithAPartOrStretched)
{
    RecordingImage dest(100, 100);
    RecordingImage picture(20, 10);
    Graphics g(&dest);
    g.Translate(10, 10);
    g.ClipRect(0, 0, 50, 50); // clip (10, 10, 50, 50)
    g.SetColor(Color(255, 0, 0, 128));
    g.DrawImage(&picture, -5, 45);
    // Clipped on the left by 5 and at the bottom to 5 rows; drawn with White (no colourise).
    ASSERT_EQ(dest.mCalls.size(), 1u);
    EXPECT_EQ(dest.mCalls[0].mRect, Rect(10, 55, 0, 0));
    EXPECT_EQ(dest.mCalls[0].mSrc, Rect(5, 0, 15, 5));
    EXPECT_EQ(dest.mCalls[0].mColor, Color::White);
    // Colourised, with a part: the part moves along by what was clipped.
    dest.mCalls.clear();
    g.SetColorizeImages(true);
    g.DrawImage(&picture, -2, 0, Rect(4, 2, 10, 8));
    ASSERT_EQ(dest.mCalls.size(), 1u);
    EXPECT_EQ(dest.mCalls[0].mSrc, Rect(6, 2, 8, 8));
    EXPECT_EQ(dest.mCalls[0].mColor, Color(255, 0, 0, 128));
    // Parts reaching outside the image, or clipped to nothing, draw nothing.
    dest.mCalls.clear();
    g.DrawImage(&picture, 0, 0, Rect(15, 0, 6, 10));
    g.DrawImage(&picture, 0, 0, Rect(0, 5, 5, 6));
    g.DrawImage(&picture, 0, 0, Rect(-1, 0, 5, 5));
    g.DrawImage(&picture, 60, 0);
    g.DrawImage(nullptr, 0, 0);
    EXPECT_TRUE(dest.mCalls.empty());
    // Stretched: the translated destination and the clip go to the image, which clips.
    g.SetFastStretch(true);
    g.DrawImage(&picture, Rect(0, 0, 40, 20), Rect(0, 0, 20, 10));
    ASSERT_EQ(dest.mCalls.size(), 1u);
    EXPECT_EQ(dest.mCalls[0].mOp, "StretchBlt");
    EXPECT_EQ(dest.mCalls[0].mRect, Rect(10, 10, 40, 20));
    EXPECT_TRUE(dest.mCalls[0].mFast);
    EXPECT_EQ(dest.mStretchClip, Rect(10, 10, 50, 50));
}

TEST(Graphics, CelsByColumnAndRowOrByIndex)
{
    RecordingImage dest(100, 100);
    RecordingImage grid(40, 30);
    grid.mNumCols = 4;
    grid.mNumRows = 3;
    Graphics g(&dest);
    g.DrawImageCel(&grid, 0, 0, 3, 2);
    g.DrawImageCel(&grid, 0, 0, 4, 0); // column = columns: nothing
    g.DrawImageCel(&grid, 0, 0, 0, -1);
    g.DrawImageCel(&grid, 0, 0, 2); // several rows: the index counts rows
    g.DrawImageCel(&grid, 0, 0, 3); // beyond the rows: nothing
    g.DrawImageCel(&grid, Rect(0, 0, 20, 20), 1, 1);
    ASSERT_EQ(dest.mCalls.size(), 3u);
    EXPECT_EQ(dest.mCalls[0].mSrc, Rect(30, 20, 10, 10));
    EXPECT_EQ(dest.mCalls[1].mSrc, Rect(0, 20, 10, 10));
    EXPECT_EQ(dest.mCalls[2].mOp, "StretchBlt");
    EXPECT_EQ(dest.mCalls[2].mSrc, Rect(10, 10, 10, 10));

    // A strip of one row and four columns: cel 2 is its third quarter.
    RecordingImage strip(40, 10);
    strip.mNumCols = 4;
    dest.mCalls.clear();
    g.DrawImageCel(&strip, 5, 5, 2);
    g.DrawImageCel(&strip, 5, 5, 4);
    ASSERT_EQ(dest.mCalls.size(), 1u);
    EXPECT_EQ(dest.mCalls[0].mSrc, Rect(20, 0, 10, 10));
}

TEST(Graphics, NinePartBoxTilesEdgesAndCentre)
{
    RecordingImage dest(200, 100);
    RecordingImage frame(30, 30);
    Graphics g(&dest);
    g.DrawImageBox(Rect(0, 0, 105, 40), &frame);
    const auto blits = Only(dest, "Blt");
    auto count = [&](const Rect& src) {
        return std::count_if(blits.begin(), blits.end(), [&](const Call& c) {
            return c.mSrc.mY == src.mY && c.mSrc.mX == src.mX && c.mSrc.mHeight == src.mHeight;
        });
    };
    // Four 10 × 10 corners at the box's corners.
    for (const auto& [at, src] :
         {std::pair{Rect(0, 0, 0, 0), Rect(0, 0, 10, 10)}, std::pair{Rect(95, 0, 0, 0), Rect(20, 0, 10, 10)},
          std::pair{Rect(0, 30, 0, 0), Rect(0, 20, 10, 10)},
          std::pair{Rect(95, 30, 0, 0), Rect(20, 20, 10, 10)}})
        EXPECT_EQ(std::count_if(blits.begin(), blits.end(),
                                [&](const Call& c) { return c.mRect == at && c.mSrc == src; }),
                  1);
    // Top edge tiled 9 times, the last piece clipped to 5 pixels; the same at the bottom.
    EXPECT_EQ(count(Rect(10, 0, 0, 10)), 9);
    EXPECT_EQ(count(Rect(10, 20, 0, 10)), 9);
    const auto lastTop = std::find_if(blits.begin(), blits.end(), [](const Call& c) {
        return c.mRect == Rect(90, 0, 0, 0) && c.mSrc.mY == 0;
    });
    ASSERT_NE(lastTop, blits.end());
    EXPECT_EQ(lastTop->mSrc, Rect(10, 0, 5, 10));
    // Sides tiled twice each; the centre 9 × 2.
    EXPECT_EQ(count(Rect(0, 10, 0, 10)), 2);
    EXPECT_EQ(count(Rect(20, 10, 0, 10)), 2);
    EXPECT_EQ(count(Rect(10, 10, 0, 10)), 18);
    EXPECT_EQ(blits.size(), 4u + 18u + 4u + 18u);
    // Nothing is drawn outside the box.
    for (const Call& c : blits) {
        EXPECT_LE(c.mRect.mX + c.mSrc.mWidth, 105);
        EXPECT_LE(c.mRect.mY + c.mSrc.mHeight, 40);
    }

    // Degenerate pieces and huge boxes finish quickly, drawing only what the clip shows.
    dest.mCalls.clear();
    RecordingImage empty(0, 0);
    g.DrawImageBox(Rect(0, 0, 50, 50), &empty);
    g.DrawImageBox(Rect(-1000000000, 0, 2000000000, 30), &frame);
    EXPECT_LT(dest.mCalls.size(), 200u);
}

} // namespace
