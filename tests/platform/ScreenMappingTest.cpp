// Fitting the picture into a window or display and mapping the pointer back.
#include <gtest/gtest.h>

#include "platform/ScreenMapping.h"

namespace {

using Quill::Platform::Point;
using Quill::Platform::Rectangle;
using Quill::Platform::ScreenMapping;

TEST(ScreenMapping, PictureIsScaledToFitWithItsAspectKeptAndCentred)
{
    // Same size: one to one.
    EXPECT_EQ(ScreenMapping(800, 600, 800, 600).GetPictureRect(), (Rectangle{0, 0, 800, 600}));
    EXPECT_TRUE(ScreenMapping(800, 600, 800, 600).IsOneToOne());
    // Wider display: bars left and right.
    EXPECT_EQ(ScreenMapping(800, 600, 1920, 1080).GetPictureRect(), (Rectangle{240, 0, 1440, 1080}));
    EXPECT_FALSE(ScreenMapping(800, 600, 1920, 1080).IsOneToOne());
    // Taller display: bars above and below.
    EXPECT_EQ(ScreenMapping(800, 600, 1280, 1024).GetPictureRect(), (Rectangle{0, 32, 1280, 960}));
    // Exactly twice the size, and the same aspect.
    EXPECT_EQ(ScreenMapping(800, 600, 1600, 1200).GetPictureRect(), (Rectangle{0, 0, 1600, 1200}));
    EXPECT_EQ(ScreenMapping(800, 600, 1024, 768).GetPictureRect(), (Rectangle{0, 0, 1024, 768}));
    // Smaller than the picture: shrunk.
    EXPECT_EQ(ScreenMapping(800, 600, 400, 400).GetPictureRect(), (Rectangle{0, 50, 400, 300}));
    // Odd leftovers put the extra pixel after the picture.
    EXPECT_EQ(ScreenMapping(800, 600, 1441, 1080).GetPictureRect(), (Rectangle{0, 0, 1440, 1080}));
    EXPECT_EQ(ScreenMapping(800, 600, 1443, 1080).GetPictureRect(), (Rectangle{1, 0, 1440, 1080}));
    // Degenerate sizes never divide by zero.
    EXPECT_FALSE(ScreenMapping(800, 600, 0, 0).GetPictureRect().IsEmpty());
    EXPECT_FALSE(ScreenMapping(0, 0, 100, 100).GetPictureRect().IsEmpty());
}

TEST(ScreenMapping, PointerPositionsMapBackOntoThePixelUnderThem)
{
    const ScreenMapping same(800, 600, 800, 600);
    EXPECT_EQ(same.ToPicture(Point{0, 0}), (Point{0, 0}));
    EXPECT_EQ(same.ToPicture(Point{799, 599}), (Point{799, 599}));
    // Outside the window while the mouse is captured.
    EXPECT_EQ(same.ToPicture(Point{-5, 700}), (Point{-5, 700}));

    const ScreenMapping wide(800, 600, 1920, 1080); // scale 1.8, 240-pixel bars
    EXPECT_EQ(wide.ToPicture(Point{240, 0}), (Point{0, 0}));
    EXPECT_EQ(wide.ToPicture(Point{241, 1}), (Point{0, 0}));
    EXPECT_EQ(wide.ToPicture(Point{242, 2}), (Point{1, 1}));
    EXPECT_EQ(wide.ToPicture(Point{1679, 1079}), (Point{799, 599}));
    // Bars map outside the picture, never onto its edge pixels.
    EXPECT_EQ(wide.ToPicture(Point{239, 0}), (Point{-1, 0}));
    EXPECT_EQ(wide.ToPicture(Point{1680, 0}), (Point{800, 0}));

    // Every output pixel of the picture area maps to the picture pixel whose
    // scaled square contains it.
    const ScreenMapping tall(800, 600, 1280, 1024); // scale 1.6, 32-pixel bars
    for (int x = 0; x < 1280; ++x) {
        const Point p = tall.ToPicture(Point{x, 32});
        ASSERT_EQ(p.mX, x * 5 / 8) << x;
        ASSERT_EQ(p.mY, 0);
    }
    EXPECT_EQ(tall.ToPicture(Point{0, 31}).mY, -1);
    EXPECT_EQ(tall.ToPicture(Point{0, 991}).mY, 599);
    EXPECT_EQ(tall.ToPicture(Point{0, 992}).mY, 600);
}

} // namespace
