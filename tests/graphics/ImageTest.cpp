// The base image's cel grid and shared drawing behaviours, and the animation record.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "graphics/AnimInfo.h"
#include "graphics/Image.h"
#include "tests/graphics/RecordingImage.h"

namespace {

using namespace Quill;
using QuillTest::RecordingImage;

TEST(ColorAndRect, PackedColoursAndIntersections)
{
    // A packed alpha of 0 means opaque; any other alpha is kept.
    EXPECT_EQ(Color(0x00123456u), Color(0x12, 0x34, 0x56, 255));
    EXPECT_EQ(Color(0x80123456u).mAlpha, 128);
    EXPECT_EQ(Color(0x80123456u).ToInt(), 0x80123456u);
    EXPECT_NE(Color(1, 2, 3), Color(1, 2, 3, 254));
    // Touching rectangles keep a zero-width overlap with its position; disjoint ones give nothing.
    EXPECT_EQ(Rect(0, 0, 10, 10).Intersection(Rect(10, 0, 5, 5)), Rect(10, 0, 0, 5));
    EXPECT_EQ(Rect(0, 0, 10, 10).Intersection(Rect(20, 20, 5, 5)), Rect(0, 0, 0, 0));
    // Extreme rectangles neither overflow nor wrap around.
    const Rect huge(-2000000000, -2000000000, 2100000000, 2100000000);
    EXPECT_EQ(huge.Intersection(Rect(0, 0, 50, 40)), Rect(0, 0, 50, 40));
    EXPECT_EQ(Rect(2000000000, 0, 2000000000, 5).Intersection(Rect(0, 0, 50, 40)), Rect());
    EXPECT_TRUE(huge.Intersects(Rect(5, 5, 1, 1)));
    EXPECT_TRUE(Rect(2147483000, 0, 2000, 5).Contains(2147483500, 1));
    EXPECT_EQ(Rect(-2147483647, 3, 2147483647, 9).Bounded(),
              Rect(-Rect::kCoordinateLimit, 3, Rect::kCoordinateLimit, 9));
    // The union holds both, in either order, and a far-apart pair does not wrap around.
    EXPECT_EQ(Rect(10, 20, 5, 5).Union(Rect(0, 30, 3, 10)), Rect(0, 20, 15, 20));
    EXPECT_EQ(Rect(0, 30, 3, 10).Union(Rect(10, 20, 5, 5)), Rect(0, 20, 15, 20));
    EXPECT_EQ(Rect(-2000000000, 0, 10, 1).Union(Rect(2000000000, 0, 10, 1)).mWidth, 0x7FFFFFFF);
}

TEST(Image, CelGridCutsTheImageIntoEqualRectangles)
{
    RecordingImage image(100, 30);
    image.mNumCols = 3;
    image.mNumRows = 2;
    EXPECT_EQ(image.GetCelWidth(), 33);
    EXPECT_EQ(image.GetCelHeight(), 15);
    EXPECT_EQ(image.GetCelRect(2, 1), Rect(66, 15, 33, 15));
    EXPECT_EQ(image.GetCelRect(4), Rect(33, 15, 33, 15));
    // An animated image shows the cel of its current frame.
    image.mAnimInfo = std::make_unique<AnimInfo>();
    image.mAnimInfo->mAnimType = AnimInfo::AnimType_Loop;
    image.mAnimInfo->mFrameDelay = 10;
    image.mAnimInfo->Compute(6);
    EXPECT_EQ(image.GetAnimCelRect(25), Rect(66, 0, 33, 15));
    EXPECT_EQ(image.GetAnimCelRect(65), Rect(0, 0, 33, 15));
    image.mNumCols = 0;
    EXPECT_EQ(image.GetCelWidth(), 0);
}

TEST(Image, OutlinesAndScanLinesAreMadeOfFills)
{
    RecordingImage image(50, 50);
    const Color c(1, 2, 3, 4);
    image.Image::DrawRect(Rect(5, 6, 9, 4), c, DRAWMODE_ADDITIVE);
    const std::vector<Rect> expected = {Rect(5, 6, 10, 1), Rect(5, 10, 10, 1), Rect(5, 7, 1, 3),
                                        Rect(14, 7, 1, 3)};
    ASSERT_EQ(image.mCalls.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(image.mCalls[i].mOp, "FillRect");
        EXPECT_EQ(image.mCalls[i].mRect, expected[i]);
        EXPECT_EQ(image.mCalls[i].mColor, c);
        EXPECT_EQ(image.mCalls[i].mDrawMode, DRAWMODE_ADDITIVE);
    }
    image.mCalls.clear();
    const Span spans[] = {Span(3, 1, 7), Span(4, 2, 5)};
    image.FillScanLines(spans, 2, c, DRAWMODE_NORMAL);
    ASSERT_EQ(image.mCalls.size(), 2u);
    EXPECT_EQ(image.mCalls[0].mRect, Rect(1, 3, 7, 1));
    EXPECT_EQ(image.mCalls[1].mRect, Rect(2, 4, 5, 1));
    // Only accelerated display images fill polygons.
    const Point triangle[] = {Point(0, 0), Point(5, 0), Point(0, 5)};
    EXPECT_FALSE(image.PolyFill(triangle, 3, nullptr, c, DRAWMODE_NORMAL, 0, 0, true));
}

TEST(AnimInfo, PingPongMapsThereAndBack)
{
    AnimInfo anim;
    anim.mAnimType = AnimInfo::AnimType_PingPong;
    anim.mFrameDelay = 5;
    anim.Compute(4);
    EXPECT_EQ(anim.mFrameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(anim.mNumCels, 6);
    EXPECT_EQ(anim.mTotalAnimTime, 30);
    // Frames repeat: tick 27 is frame 5, which shows cel 1; tick 30 starts again.
    EXPECT_EQ(anim.GetCel(27), 1);
    EXPECT_EQ(anim.GetCel(17), 3);
    EXPECT_EQ(anim.GetCel(30), 0);

    // A single cel is no ping-pong.
    AnimInfo one;
    one.mAnimType = AnimInfo::AnimType_PingPong;
    one.Compute(1);
    EXPECT_TRUE(one.mFrameMap.empty());
    EXPECT_EQ(one.mTotalAnimTime, 1);
}

TEST(AnimInfo, BeginEndAndPerFrameDelays)
{
    AnimInfo anim;
    anim.mAnimType = AnimInfo::AnimType_Once;
    anim.mFrameDelay = 0;  // at least 1
    anim.Compute(0, 7, 9); // at least one cel
    EXPECT_EQ(anim.mNumCels, 1);
    EXPECT_EQ(anim.mFrameDelay, 1);
    // The end delay of the only frame replaces its begin delay.
    EXPECT_EQ(anim.mPerFrameDelay, (std::vector<int>{9}));
    EXPECT_EQ(anim.mTotalAnimTime, 9);

    AnimInfo loop;
    loop.mAnimType = AnimInfo::AnimType_Loop;
    loop.mFrameDelay = 4;
    loop.Compute(4, 10, 20);
    // The list grows to every frame; missing delays take the frame delay.
    EXPECT_EQ(loop.mPerFrameDelay, (std::vector<int>{10, 4, 4, 20}));
    EXPECT_EQ(loop.mTotalAnimTime, 38);
    EXPECT_EQ(loop.GetPerFrameCel(9), 0);
    EXPECT_EQ(loop.GetPerFrameCel(10), 1);
    EXPECT_EQ(loop.GetPerFrameCel(18), 3);
    EXPECT_EQ(loop.GetPerFrameCel(38 + 14), 2);

    // A given list is cut or padded to the frame count and zero entries filled.
    AnimInfo listed;
    listed.mAnimType = AnimInfo::AnimType_Once;
    listed.mFrameDelay = 3;
    listed.mPerFrameDelay = {0, 6, -1, 2, 99};
    listed.mFrameMap = {2, 0, 1};
    listed.Compute(8);
    EXPECT_EQ(listed.mNumCels, 3);
    EXPECT_EQ(listed.mPerFrameDelay, (std::vector<int>{3, 6, 3}));
    EXPECT_EQ(listed.mTotalAnimTime, 12);
    // Once stops on the last frame.
    EXPECT_EQ(listed.GetCel(1000), 1);
    EXPECT_EQ(listed.GetCel(4), 0);

    // Without per-frame delays: frames × frame delay.
    AnimInfo plain;
    plain.mAnimType = AnimInfo::AnimType_Loop;
    plain.mFrameDelay = 6;
    plain.Compute(5);
    EXPECT_EQ(plain.mTotalAnimTime, 30);
    EXPECT_EQ(plain.GetCel(13), 2);
    AnimInfo none;
    none.Compute(5);
    EXPECT_EQ(none.GetCel(13), 0);

    // Delays read from a manifest can be huge: the total stops at the top of the
    // int range instead of wrapping, and the frames still follow one another.
    AnimInfo slow;
    slow.mAnimType = AnimInfo::AnimType_Loop;
    slow.mFrameDelay = std::numeric_limits<int>::max() / 2;
    slow.Compute(4);
    EXPECT_EQ(slow.mTotalAnimTime, std::numeric_limits<int>::max());
    EXPECT_EQ(slow.GetCel(slow.mFrameDelay + 1), 1);
    AnimInfo slowList;
    slowList.mAnimType = AnimInfo::AnimType_Once;
    slowList.mPerFrameDelay = {std::numeric_limits<int>::max(), 5};
    slowList.Compute(2);
    EXPECT_EQ(slowList.mTotalAnimTime, std::numeric_limits<int>::max());
    EXPECT_EQ(slowList.GetCel(100), 0);
}

} // namespace
