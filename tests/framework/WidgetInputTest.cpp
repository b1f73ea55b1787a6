// Input routing of the widget manager: hit testing, hover, capture, focus,
// keys and modality.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/WidgetManager.h"
#include "platform/VirtualKeys.h"
#include "tests/framework/WidgetProbe.h"

namespace {

using Log = std::vector<std::string>;
using Quill::WidgetManager;
using QuillTest::ProbeWidget;
namespace VK = Quill::Platform;

class WidgetInputTest : public testing::Test {
protected:
    ProbeWidget* Add(const std::string& name, int x, int y, int width, int height)
    {
        mWidgets.push_back(std::make_unique<ProbeWidget>(name, &mLog, x, y, width, height));
        mManager.AddWidget(mWidgets.back().get());
        return mWidgets.back().get();
    }
    // The log since the last call.
    Log Take()
    {
        Log taken;
        taken.swap(mLog);
        return taken;
    }

    Log mLog;
    // Declared before the widgets so that the widgets go first.
    WidgetManager mManager;
    std::vector<std::unique_ptr<ProbeWidget>> mWidgets;
};

TEST_F(WidgetInputTest, ReleaseGoesToThePressedWidgetAndNothingElseIsHoveredMeanwhile)
{
    ProbeWidget* a = Add("A", 0, 0, 100, 100);
    ProbeWidget* b = Add("B", 200, 0, 100, 100);
    mManager.MouseMove(50, 50);
    mManager.MouseDown(50, 50, 1);
    EXPECT_EQ(Take(), (Log{"A enter", "A move 50,50", "A down 50,50 b0 c1"}));
    EXPECT_TRUE(a->mIsDown);

    mManager.MouseMove(250, 60);
    EXPECT_EQ(Take(), (Log{"A drag 250,60", "A leave"}));
    EXPECT_FALSE(b->mIsOver);
    EXPECT_EQ(mManager.mOverWidget, nullptr);

    // A second button pressed over B still belongs to A.
    mManager.MouseDown(250, 60, -1);
    EXPECT_EQ(Take(), (Log{"A down 250,60 b1 c1"}));
    mManager.MouseUp(250, 60, -1);
    EXPECT_EQ(Take(), (Log{"A up 250,60 b1 c1"}));
    EXPECT_FALSE(b->mIsOver);

    // Back over A during the drag: A is hovered again.
    mManager.MouseMove(20, 20);
    EXPECT_EQ(Take(), (Log{"A drag 20,20", "A enter"}));
    mManager.MouseMove(260, 70);
    Take();

    mManager.MouseUp(260, 70, 1);
    EXPECT_EQ(Take(), (Log{"A up 260,70 b0 c1", "B enter", "B move 60,70"}));
    EXPECT_FALSE(a->mIsDown);
    EXPECT_EQ(mManager.mLastDownWidget, nullptr);
    EXPECT_EQ(mManager.mDownButtons, 0);
}

TEST_F(WidgetInputTest, PressOverNothingHoversNothingUntilReleased)
{
    Add("A", 0, 0, 100, 100);
    mManager.MouseMove(150, 150);
    mManager.MouseDown(150, 150, 1);
    mManager.MouseMove(50, 50);
    EXPECT_TRUE(Take().empty());
    mManager.MouseUp(50, 50, 1);
    EXPECT_EQ(Take(), (Log{"A enter", "A move 50,50"}));
}

TEST_F(WidgetInputTest, ClickCountsDecodeToButtonsAndOwnCounts)
{
    Add("A", 10, 20, 100, 100);
    mManager.MouseMove(15, 25);
    Take();
    const struct {
        int clickCount;
        const char* down;
        const char* up;
        int bit;
        int id;
    } cases[] = {
        {1, "A down 5,5 b0 c1", "A up 5,5 b0 c1", Quill::MOUSE_BIT_LEFT, 1},
        {2, "A down 5,5 b0 c2", "A up 5,5 b0 c2", Quill::MOUSE_BIT_LEFT, 1},
        {-1, "A down 5,5 b1 c1", "A up 5,5 b1 c1", Quill::MOUSE_BIT_RIGHT, -1},
        {-2, "A down 5,5 b1 c2", "A up 5,5 b1 c2", Quill::MOUSE_BIT_RIGHT, -1},
        {3, "A down 5,5 b2 c1", "A up 5,5 b2 c1", Quill::MOUSE_BIT_MIDDLE, 2},
    };
    for (const auto& c : cases) {
        mManager.MouseDown(15, 25, c.clickCount);
        EXPECT_EQ(mManager.mDownButtons, c.bit) << c.clickCount;
        EXPECT_EQ(mManager.mActualDownButtons, c.bit) << c.clickCount;
        EXPECT_EQ(mManager.mLastDownButtonId, c.id) << c.clickCount;
        mManager.MouseUp(15, 25, c.clickCount);
        EXPECT_EQ(Take(), (Log{c.down, c.up})) << c.clickCount;
        EXPECT_EQ(mManager.mActualDownButtons, 0);
    }
}

TEST_F(WidgetInputTest, HitTestingHonoursDisabledInsetsTransparentPartsAndVisibility)
{
    ProbeWidget* below = Add("Below", 0, 0, 200, 200);
    ProbeWidget* disabled = Add("Disabled", 0, 0, 50, 50);
    disabled->SetDisabled(true);
    ProbeWidget* inset = Add("Inset", 100, 0, 50, 50);
    inset->mMouseInsets = Quill::Insets(10, 10, 10, 10);
    ProbeWidget* halfClear = Add("Half", 0, 100, 50, 50);
    halfClear->mLeftHalfTransparent = true;
    ProbeWidget* hidden = Add("Hidden", 100, 100, 50, 50);
    hidden->mVisible = false;
    ProbeWidget* ghost = Add("Ghost", 150, 150, 50, 50);
    ghost->mMouseVisible = false;

    // A disabled widget blocks everything under it.
    EXPECT_EQ(mManager.GetWidgetAt(10, 10), nullptr);
    mManager.MouseMove(10, 10);
    mManager.MouseDown(10, 10, 1);
    mManager.MouseUp(10, 10, 1);
    EXPECT_TRUE(Take().empty());

    EXPECT_EQ(mManager.GetWidgetAt(105, 5), below);
    EXPECT_EQ(mManager.GetWidgetAt(115, 15), inset);
    EXPECT_EQ(mManager.GetWidgetAt(139, 39), inset);
    EXPECT_EQ(mManager.GetWidgetAt(140, 40), below);
    EXPECT_EQ(mManager.GetWidgetAt(10, 110), below);
    EXPECT_EQ(mManager.GetWidgetAt(40, 110), halfClear);
    EXPECT_EQ(mManager.GetWidgetAt(110, 110), below);
    EXPECT_EQ(mManager.GetWidgetAt(160, 160), below);
    EXPECT_EQ(mManager.GetWidgetAt(200, 10), nullptr);

    // Enabled again under the pointer, it is hovered at once.
    mManager.MouseMove(20, 20);
    Take();
    disabled->SetDisabled(false);
    EXPECT_EQ(Take(), (Log{"Disabled enter", "Disabled move 20,20"}));
}

TEST_F(WidgetInputTest, ModalWidgetCutsOffEverythingBelowIt)
{
    ProbeWidget* a = Add("A", 0, 0, 100, 100);
    a->mWantsFocus = true;
    ProbeWidget* m = Add("M", 200, 0, 100, 100);
    mManager.mDefaultTab = a;
    mManager.MouseMove(50, 50);
    mManager.MouseDown(50, 50, 1);
    mManager.MouseDown(50, 50, 3);
    EXPECT_EQ(mManager.mFocusWidget, a);
    Take();

    mManager.AddBaseModal(m);
    EXPECT_EQ(Take(), (Log{"A leave", "A up 50,50 b0 c1", "A up 50,50 b2 c1", "A lostfocus"}));
    EXPECT_EQ(mManager.mOverWidget, nullptr);
    EXPECT_EQ(mManager.mLastDownWidget, nullptr);
    EXPECT_EQ(mManager.mFocusWidget, nullptr);
    mManager.MouseUp(50, 50, 1);
    mManager.MouseUp(50, 50, 3);

    // No hover, click, focus or Ctrl+Tab reaches the widget below.
    mManager.MouseMove(40, 40);
    mManager.MouseDown(40, 40, 1);
    mManager.MouseUp(40, 40, 1);
    mManager.SetFocus(a);
    mManager.KeyDown(VK::VK_CONTROL);
    mManager.KeyChar(U'\t');
    mManager.KeyUp(VK::VK_CONTROL);
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(mManager.mFocusWidget, nullptr);

    // The modal widget itself, and what is added over it, do get input.
    ProbeWidget* child = Add("Child", 250, 50, 20, 20);
    mManager.MouseMove(210, 10);
    mManager.MouseDown(210, 10, 1);
    mManager.MouseUp(210, 10, 1);
    mManager.MouseMove(255, 55);
    EXPECT_EQ(Take(), (Log{"M enter", "M move 10,10", "M down 10,10 b0 c1", "M up 10,10 b0 c1", "M leave",
                           "Child enter", "Child move 5,5"}));

    // Removing the modal widget clears it; nothing is restored, but input flows again.
    mManager.RemoveWidget(m);
    EXPECT_EQ(mManager.mBaseModalWidget, nullptr);
    mManager.RemoveWidget(child);
    Take();
    mManager.MouseMove(30, 30);
    EXPECT_EQ(Take(), (Log{"A enter", "A move 30,30"}));
}

TEST_F(WidgetInputTest, RemovingTheCapturingWidgetReleasesItsButtonsFirst)
{
    ProbeWidget* a = Add("A", 10, 10, 100, 100);
    a->mWantsFocus = true;
    ProbeWidget* under = Add("Under", 0, 0, 5, 5);
    mManager.BringToFront(a);
    mManager.MouseMove(30, 40);
    mManager.MouseDown(30, 40, 3);
    mManager.MouseDown(30, 40, -1);
    mManager.MouseDown(30, 40, 1);
    mManager.MouseMove(35, 45);
    Take();

    mManager.RemoveWidget(a);
    EXPECT_EQ(Take(),
              (Log{"A leave", "A up 25,35 b0 c1", "A up 25,35 b1 c1", "A up 25,35 b2 c1", "A lostfocus"}));
    EXPECT_FALSE(a->mIsDown);
    EXPECT_EQ(a->mWidgetManager, nullptr);
    EXPECT_FALSE(mManager.HasWidget(a));

    // The physical releases that follow reach nobody.
    mManager.MouseUp(35, 45, 1);
    mManager.MouseUp(35, 45, -1);
    mManager.MouseUp(35, 45, 3);
    EXPECT_TRUE(Take().empty());
    (void)under;
}

TEST_F(WidgetInputTest, ReleaseHandlerThatRemovesItsWidgetGetsNoSecondRelease)
{
    ProbeWidget* a = Add("A", 0, 0, 100, 100);
    a->mOnMouseUp = [&] { mManager.RemoveWidget(a); };
    mManager.MouseMove(5, 5);
    mManager.MouseDown(5, 5, 1);
    mManager.MouseDown(5, 5, -1);
    Take();
    mManager.MouseUp(5, 5, 1);
    EXPECT_EQ(Take(), (Log{"A up 5,5 b0 c1", "A leave", "A up 5,5 b1 c1"}));
    mManager.MouseUp(5, 5, -1);
    EXPECT_TRUE(Take().empty());
}

TEST_F(WidgetInputTest, DestroyingAListedWidgetLeavesNoReferenceBehind)
{
    ProbeWidget* a = Add("A", 0, 0, 100, 100);
    a->mWantsFocus = true;
    mManager.MouseMove(5, 5);
    mManager.MouseDown(5, 5, 1);
    mManager.mDefaultTab = a;
    ASSERT_EQ(mManager.GetWidgetCount(), 1u);
    mWidgets.clear();
    EXPECT_EQ(mManager.GetWidgetCount(), 0u);
    EXPECT_EQ(mManager.mOverWidget, nullptr);
    EXPECT_EQ(mManager.mLastDownWidget, nullptr);
    EXPECT_EQ(mManager.mFocusWidget, nullptr);
    EXPECT_EQ(mManager.mDefaultTab, nullptr);
    // Input after the fact reaches nothing (and touches no freed memory).
    mManager.MouseUp(5, 5, 1);
    mManager.KeyChar(U'x');
}

TEST_F(WidgetInputTest, LosingApplicationFocusReleasesHeldKeysInIncreasingOrder)
{
    ProbeWidget* f = Add("F", 0, 0, 10, 10);
    mManager.SetFocus(f);
    mManager.MouseDown(5, 5, 1);
    mManager.KeyDown(VK::VK_F1);
    mManager.KeyDown('A');
    mManager.KeyDown(VK::VK_SHIFT);
    mManager.KeyDown(400); // delivered, but not recorded as held
    mManager.KeyDown(VK::VK_DOWN);
    EXPECT_TRUE(mManager.IsKeyDown('A'));
    EXPECT_FALSE(mManager.IsKeyDown(400));
    Take();

    mManager.LostFocus();
    EXPECT_EQ(Take(), (Log{"F keyup 16", "F keyup 40", "F keyup 65", "F keyup 112", "F lostfocus"}));
    EXPECT_EQ(mManager.mActualDownButtons, 0);
    for (int key = 0; key < WidgetManager::NUM_KEYS; ++key)
        EXPECT_FALSE(mManager.IsKeyDown(key)) << key;
    EXPECT_FALSE(f->mHasFocus);
    EXPECT_EQ(mManager.mFocusWidget, f);

    // Only a real change of state is acted on.
    mManager.LostFocus();
    EXPECT_TRUE(Take().empty());
    mManager.GotFocus();
    mManager.GotFocus();
    EXPECT_EQ(Take(), (Log{"F gotfocus"}));
    EXPECT_TRUE(f->mHasFocus);
}

TEST_F(WidgetInputTest, CtrlTabGoesOnlyToTheDefaultTabWidget)
{
    ProbeWidget* f = Add("F", 0, 0, 10, 10);
    ProbeWidget* d = Add("D", 20, 0, 10, 10);
    mManager.SetFocus(f);
    Take();

    // Without a default widget Ctrl+Tab reaches nobody.
    mManager.KeyDown(VK::VK_CONTROL);
    mManager.KeyChar(U'\t');
    mManager.KeyUp(VK::VK_TAB);
    EXPECT_EQ(Take(), (Log{"F keydown 17"}));
    mManager.KeyDown(VK::VK_TAB);
    Take();

    mManager.mDefaultTab = d;
    mManager.KeyChar(U'\t');
    mManager.KeyUp(VK::VK_TAB);
    EXPECT_EQ(Take(), (Log{"D char 9"}));

    mManager.KeyUp(VK::VK_CONTROL);
    mManager.KeyChar(U'\t');
    mManager.KeyChar(U'q');
    EXPECT_EQ(Take(), (Log{"F keyup 17", "F char 9", "F char 113"}));

    // A disabled default widget takes nothing.
    d->SetDisabled(true);
    mManager.KeyDown(VK::VK_CONTROL);
    Take();
    mManager.KeyChar(U'\t');
    EXPECT_TRUE(Take().empty());
}

TEST_F(WidgetInputTest, FocusFollowsClicksTabChainAndApplicationFocus)
{
    ProbeWidget* a = Add("A", 0, 0, 10, 10);
    ProbeWidget* b = Add("B", 20, 0, 10, 10);
    ProbeWidget* c = Add("C", 40, 0, 10, 10);
    a->mTabNext = b;
    b->mTabNext = c;
    b->mTabPrev = a;
    c->mTabPrev = b;
    b->mWantsFocus = true;

    // Clicking a widget that does not want the focus leaves it alone.
    mManager.MouseDown(5, 5, 1);
    mManager.MouseUp(5, 5, 1);
    EXPECT_EQ(mManager.mFocusWidget, nullptr);
    mManager.MouseDown(25, 5, 1);
    mManager.MouseUp(25, 5, 1);
    EXPECT_EQ(mManager.mFocusWidget, b);
    EXPECT_TRUE(b->mHasFocus);
    Take();

    // The focus gets the wheel; nobody else does.
    mManager.MouseMove(5, 5);
    mManager.MouseWheel(-2);
    EXPECT_EQ(Take(), (Log{"B leave", "A enter", "A move 5,5", "B wheel -2"}));

    mManager.KeyDown(VK::VK_TAB);
    EXPECT_EQ(mManager.mFocusWidget, c);
    mManager.KeyUp(VK::VK_TAB);
    mManager.KeyDown(VK::VK_SHIFT);
    mManager.KeyDown(VK::VK_TAB);
    EXPECT_EQ(mManager.mFocusWidget, b);
    mManager.KeyDown(VK::VK_TAB);
    EXPECT_EQ(mManager.mFocusWidget, a);
    // The chain ends: the focus stays.
    mManager.KeyDown(VK::VK_TAB);
    EXPECT_EQ(mManager.mFocusWidget, a);
    EXPECT_TRUE(a->mHasFocus);
    EXPECT_FALSE(b->mHasFocus);
    EXPECT_FALSE(c->mHasFocus);

    // While the application is inactive a new focus is recorded without GotFocus.
    mManager.KeyUp(VK::VK_TAB);
    mManager.KeyUp(VK::VK_SHIFT);
    mManager.LostFocus();
    Take();
    mManager.SetFocus(c);
    EXPECT_EQ(Take(), (Log{"A lostfocus"}));
    EXPECT_FALSE(c->mHasFocus);
    mManager.GotFocus();
    EXPECT_EQ(Take(), (Log{"C gotfocus"}));

    // A widget outside the list cannot hold the focus.
    ProbeWidget outsider("Out", &mLog);
    mManager.SetFocus(&outsider);
    EXPECT_EQ(mManager.mFocusWidget, nullptr);
    EXPECT_EQ(Take(), (Log{"C lostfocus"}));
}

TEST_F(WidgetInputTest, HoverFollowsListChangesUnderAStillPointer)
{
    ProbeWidget* a = Add("A", 0, 0, 100, 100);
    mManager.MouseMove(50, 50);
    mManager.MouseMove(50, 50);
    EXPECT_EQ(Take(), (Log{"A enter", "A move 50,50"}));

    ProbeWidget* top = Add("Top", 40, 40, 20, 20);
    EXPECT_EQ(Take(), (Log{"A leave", "Top enter", "Top move 10,10"}));
    top->SetVisible(false);
    EXPECT_EQ(Take(), (Log{"Top leave", "A enter", "A move 50,50"}));
    top->SetVisible(true);
    Take();
    top->Move(200, 200);
    EXPECT_EQ(Take(), (Log{"Top leave", "A enter", "A move 50,50"}));
    top->Move(45, 45);
    Take();
    mManager.RemoveWidget(top);
    EXPECT_EQ(Take(), (Log{"Top leave", "A enter", "A move 50,50"}));

    mManager.MouseExit(50, 50);
    EXPECT_EQ(Take(), (Log{"A leave"}));
    EXPECT_FALSE(a->mIsOver);
    // Outside the window, list changes hover nothing.
    mManager.AddWidget(top);
    mManager.RemoveWidget(top);
    EXPECT_TRUE(Take().empty());
}

} // namespace
