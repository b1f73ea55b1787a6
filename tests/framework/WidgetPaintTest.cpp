// Dirty marking and painting: what must be repainted after a change, and how
// DrawScreen paints it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/CursorWidget.h"
#include "framework/WidgetManager.h"
#include "graphics/ImageRegistry.h"
#include "graphics/MemoryImage.h"
#include "tests/framework/WidgetProbe.h"

namespace {

using Quill::Color;
using Quill::Rect;
using Quill::WidgetManager;
using QuillTest::ProbeWidget;

constexpr int kScreenWidth = 200;
constexpr int kScreenHeight = 150;

class WidgetPaintTest : public testing::Test {
protected:
    WidgetPaintTest() : mScreen(nullptr)
    {
        mScreen.Create(kScreenWidth, kScreenHeight);
        mScreen.Clear();
        mManager.mImage = &mScreen;
        mManager.Resize(kScreenWidth, kScreenHeight);
    }

    ProbeWidget* Add(const std::string& name, int x, int y, int width, int height, Color fill)
    {
        mWidgets.push_back(std::make_unique<ProbeWidget>(name, nullptr, x, y, width, height));
        ProbeWidget* w = mWidgets.back().get();
        w->mFill = fill;
        mManager.AddWidget(w);
        return w;
    }
    // Paints everything and forgets the paint counts.
    void Settle()
    {
        mManager.DrawScreen();
        for (auto& w : mWidgets)
            w->mDrawCount = 0;
    }
    // Names of the dirty widgets, bottom to top.
    std::vector<std::string> Dirty() const
    {
        std::vector<std::string> names;
        for (Quill::Widget* w : mManager) {
            if (w->mDirty)
                names.push_back(static_cast<ProbeWidget*>(w)->mName);
        }
        return names;
    }
    [[nodiscard]] std::uint32_t Pixel(int x, int y) const { return mScreen.GetPixel(x, y); }

    Quill::MemoryImage mScreen;
    WidgetManager mManager;
    std::vector<std::unique_ptr<ProbeWidget>> mWidgets;
};

const Color kRed(255, 0, 0);
const Color kGreen(0, 255, 0);
const Color kBlue(0, 0, 255);
const Color kGrey(128, 128, 128);
const Color kWhite(255, 255, 255);

TEST_F(WidgetPaintTest, EachWidgetPaintsThroughItsOwnClippedTranslatedContext)
{
    ProbeWidget* clipped = Add("Clipped", 10, 20, 30, 40, kRed);
    ProbeWidget* free = Add("Free", 100, 100, 10, 10, kGreen);
    free->mClip = false;
    EXPECT_TRUE(mManager.DrawScreen());

    EXPECT_EQ(clipped->mLastClip, Rect(10, 20, 30, 40));
    EXPECT_EQ(clipped->mLastTransX, 10.0f);
    EXPECT_EQ(clipped->mLastTransY, 20.0f);
    EXPECT_EQ(Pixel(10, 20), kRed.ToInt());
    EXPECT_EQ(Pixel(39, 59), kRed.ToInt());
    EXPECT_EQ(Pixel(9, 20), 0u);
    EXPECT_EQ(Pixel(40, 59), 0u);
    EXPECT_EQ(Pixel(39, 60), 0u);

    // Without clipping the widget may paint around itself.
    EXPECT_EQ(free->mLastClip, Rect(0, 0, kScreenWidth, kScreenHeight));
    EXPECT_EQ(free->mLastTransX, 100.0f);
    EXPECT_EQ(Pixel(96, 96), kGreen.ToInt());
    EXPECT_EQ(Pixel(95, 96), 0u);
    EXPECT_FALSE(clipped->mDirty);
    EXPECT_FALSE(free->mDirty);
}

TEST_F(WidgetPaintTest, NothingDirtyPaintsNothing)
{
    ProbeWidget* a = Add("A", 0, 0, 50, 50, kRed);
    ProbeWidget* b = Add("B", 60, 0, 50, 50, kGreen);
    Settle();
    mScreen.FillRect(Rect(0, 0, kScreenWidth, kScreenHeight), kBlue, Quill::DRAWMODE_NORMAL);
    EXPECT_FALSE(mManager.DrawScreen());
    EXPECT_EQ(a->mDrawCount, 0);
    EXPECT_EQ(b->mDrawCount, 0);
    EXPECT_EQ(Pixel(10, 10), kBlue.ToInt());

    // Only the dirty one is painted.
    b->MarkDirty();
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_EQ(a->mDrawCount, 0);
    EXPECT_EQ(b->mDrawCount, 1);
    EXPECT_EQ(Pixel(10, 10), kBlue.ToInt());
    EXPECT_EQ(Pixel(70, 10), kGreen.ToInt());
}

TEST_F(WidgetPaintTest, HiddenDirtyWidgetWaitsWithoutForcingPaints)
{
    ProbeWidget* a = Add("A", 0, 0, 50, 50, kRed);
    ProbeWidget* over = Add("Over", 10, 10, 10, 10, kGreen);
    a->SetVisible(false);
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_EQ(a->mDrawCount, 0);
    EXPECT_TRUE(a->mDirty);
    over->mDrawCount = 0;
    EXPECT_FALSE(mManager.DrawScreen());

    // Shown again: painted, and what lies over it is painted after it.
    a->SetVisible(true);
    EXPECT_EQ(Dirty(), (std::vector<std::string>{"A", "Over"}));
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_EQ(Pixel(15, 15), kGreen.ToInt());
    EXPECT_EQ(Pixel(5, 5), kRed.ToInt());
}

TEST_F(WidgetPaintTest, MarkDirtySpreadsUpwardsToWhatOverlaps)
{
    ProbeWidget* base = Add("Base", 0, 0, 50, 50, kRed);
    Add("Touching", 50, 0, 20, 20, kGreen); // shares only an edge
    Add("Over", 40, 40, 20, 20, kGreen);    // overlaps Base
    Add("OverOver", 55, 55, 20, 20, kBlue); // overlaps only Over
    Add("Apart", 100, 100, 10, 10, kBlue);  // overlaps nothing
    ProbeWidget* hidden = Add("Hidden", 0, 0, 10, 10, kBlue);
    hidden->mVisible = false;
    Settle();
    hidden->mDirty = false;

    base->MarkDirty();
    EXPECT_EQ(Dirty(), (std::vector<std::string>{"Base", "Over", "OverOver"}));
    EXPECT_TRUE(mManager.mDirty);
}

TEST_F(WidgetPaintTest, TransparentWidgetRepaintsWhatLiesBeneathIt)
{
    Add("Floor", 0, 0, kScreenWidth, kScreenHeight, kGrey);
    Add("Panel", 0, 0, 100, 100, kRed);
    ProbeWidget* glass = Add("Glass", 10, 10, 20, 20, kGreen);
    glass->mHasTransparencies = true;
    Add("Top", 25, 25, 20, 20, kBlue);
    Settle();

    // The opaque panel covers the glass entirely: the walk down stops there.
    glass->MarkDirty();
    EXPECT_EQ(Dirty(), (std::vector<std::string>{"Panel", "Glass", "Top"}));
}

TEST_F(WidgetPaintTest, RepaintBeneathStopsOnlyAtAnOpaqueCoverOfTheVisiblePart)
{
    Add("Deep", 0, 0, 50, 50, kGrey);
    Add("Cover", 0, 0, 100, 100, kBlue);
    ProbeWidget* tinted = Add("Tinted", 0, 0, 100, 100, kRed);
    tinted->mHasAlpha = true;
    ProbeWidget* target = Add("Target", 10, 10, 20, 20, kGreen);
    Add("Deep2", 180, 130, 20, 20, kGrey);
    Add("Cover2", 150, 100, 50, 50, kBlue);
    ProbeWidget* edge = Add("Edge", 190, 140, 30, 30, kGreen);
    Settle();

    // A see-through widget does not stop the walk; the opaque one under it does.
    target->MarkAllDirty();
    EXPECT_EQ(Dirty(), (std::vector<std::string>{"Cover", "Tinted", "Target"}));
    Settle();

    // Edge hangs off the screen: covering its on-screen part is enough.
    edge->MarkAllDirty();
    EXPECT_EQ(Dirty(), (std::vector<std::string>{"Cover2", "Edge"}));
}

TEST_F(WidgetPaintTest, MovingRepaintsOldAndNewPlacesAndWhatLiesOverThem)
{
    Add("Floor", 0, 0, 30, 30, kGrey);
    ProbeWidget* mover = Add("Mover", 0, 0, 20, 20, kRed);
    Add("OverOld", 5, 5, 5, 5, kBlue);
    Add("OverNew", 105, 105, 5, 5, kGreen);
    Add("Elsewhere", 150, 0, 20, 20, kBlue);
    Settle();
    // Marked dirty before the move, so nothing of the move's repaint is skipped.
    mover->MarkDirty();

    mover->Move(100, 100);
    EXPECT_EQ(Dirty(), (std::vector<std::string>{"Floor", "Mover", "OverOld", "OverNew"}));
    mManager.DrawScreen();
    EXPECT_EQ(Pixel(2, 2), kGrey.ToInt());
    EXPECT_EQ(Pixel(7, 7), kBlue.ToInt());
    EXPECT_EQ(Pixel(101, 101), kRed.ToInt());
    EXPECT_EQ(Pixel(107, 107), kGreen.ToInt());
}

TEST_F(WidgetPaintTest, BroughtToFrontPaintsOverWhatCoveredIt)
{
    ProbeWidget* low = Add("Low", 0, 0, 20, 20, kRed);
    Add("High", 10, 10, 20, 20, kGreen);
    Settle();
    EXPECT_EQ(Pixel(15, 15), kGreen.ToInt());
    mManager.BringToFront(low);
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_EQ(Pixel(15, 15), kRed.ToInt());
}

TEST_F(WidgetPaintTest, RepaintAskedForWhileDrawingIsKept)
{
    ProbeWidget* spinner = Add("Spinner", 0, 0, 10, 10, kRed);
    spinner->mOnDraw = [&] { spinner->MarkDirty(); };
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_TRUE(spinner->mDirty);
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_EQ(spinner->mDrawCount, 2);
}

TEST_F(WidgetPaintTest, OverlayLayerPaintsOverACachedPictureOfTheRest)
{
    ProbeWidget* floor = Add("Floor", 0, 0, kScreenWidth, kScreenHeight, kGrey);
    ProbeWidget* panel = Add("Panel", 20, 20, 40, 40, kRed);
    Settle();

    Quill::MemoryImage arrow(nullptr);
    arrow.Create(4, 4);
    arrow.FillRect(Rect(0, 0, 4, 4), kWhite, Quill::DRAWMODE_NORMAL);
    Quill::CursorWidget cursor;
    cursor.SetImage(&arrow);
    cursor.Move(30, 30);
    mManager.AddWidget(&cursor);
    EXPECT_EQ(cursor.mWidth, 4);
    EXPECT_FALSE(cursor.mMouseVisible);
    EXPECT_EQ(mManager.GetWidgetAt(31, 31), panel);

    // The first paint with an overlay fills the cache from every widget below it.
    EXPECT_TRUE(mManager.DrawScreen());
    ASSERT_NE(mManager.mOverlayCache, nullptr);
    EXPECT_EQ(floor->mDrawCount, 1);
    EXPECT_EQ(panel->mDrawCount, 1);
    EXPECT_EQ(Pixel(31, 31), kWhite.ToInt());
    EXPECT_EQ(mManager.mOverlayCache->GetPixel(31, 31), kRed.ToInt());

    // Moving the cursor repaints only the cursor over the cached picture.
    cursor.Move(100, 100);
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_EQ(floor->mDrawCount, 1);
    EXPECT_EQ(panel->mDrawCount, 1);
    EXPECT_EQ(Pixel(31, 31), kRed.ToInt());
    EXPECT_EQ(Pixel(101, 101), kWhite.ToInt());

    // A change below the overlay reaches the screen through the cache.
    panel->mFill = kBlue;
    panel->MarkDirty();
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_EQ(panel->mDrawCount, 2);
    EXPECT_EQ(Pixel(21, 21), kBlue.ToInt());

    // A new screen size discards the cache; leaving overlays behind repaints everything.
    mManager.Resize(kScreenWidth, kScreenHeight - 1);
    EXPECT_EQ(mManager.mOverlayCache, nullptr);
    mManager.RemoveWidget(&cursor);
    EXPECT_TRUE(mManager.DrawScreen());
    EXPECT_EQ(floor->mDrawCount, 2);
    EXPECT_EQ(panel->mDrawCount, 3);
    EXPECT_EQ(Pixel(101, 101), kGrey.ToInt());
    EXPECT_FALSE(mManager.DrawScreen());
}

TEST(WidgetPaintLockTest, DisplayLockIsHeldWhilePainting)
{
    Quill::ImageRegistry registry;
    Quill::MemoryImage screen(&registry);
    screen.Create(20, 20);
    WidgetManager manager;
    manager.mImage = &screen;
    manager.Resize(20, 20);
    ProbeWidget w("W", nullptr, 0, 0, 10, 10);
    bool lockedElsewhere = false;
    w.mOnDraw = [&] {
        std::thread other([&] {
            std::unique_lock<std::recursive_mutex> lock(registry.GetLock(), std::try_to_lock);
            lockedElsewhere = lock.owns_lock();
        });
        other.join();
    };
    manager.AddWidget(&w);
    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_EQ(w.mDrawCount, 1);
    EXPECT_FALSE(lockedElsewhere);
    // Released afterwards.
    std::thread after([&] {
        std::unique_lock<std::recursive_mutex> lock(registry.GetLock(), std::try_to_lock);
        lockedElsewhere = lock.owns_lock();
    });
    after.join();
    EXPECT_TRUE(lockedElsewhere);
}

} // namespace
