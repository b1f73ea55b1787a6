// The update walk: one Update per widget per pass, whatever the widgets do to
// the list while it runs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/WidgetManager.h"
#include "tests/framework/WidgetProbe.h"

namespace {

using Log = std::vector<std::string>;
using Quill::WidgetManager;
using QuillTest::ProbeWidget;

class WidgetUpdateTest : public testing::Test {
protected:
    ProbeWidget* Make(const std::string& name)
    {
        mWidgets.push_back(std::make_unique<ProbeWidget>(name, &mLog));
        return mWidgets.back().get();
    }
    ProbeWidget* Add(const std::string& name)
    {
        ProbeWidget* w = Make(name);
        mManager.AddWidget(w);
        return w;
    }
    Log Take()
    {
        Log taken;
        taken.swap(mLog);
        return taken;
    }

    Log mLog;
    WidgetManager mManager;
    std::vector<std::unique_ptr<ProbeWidget>> mWidgets;
};

TEST_F(WidgetUpdateTest, RemovingTheWidgetBeingUpdatedSkipsAndRepeatsNothing)
{
    ProbeWidget* a = Add("A");
    ProbeWidget* b = Add("B");
    Add("C");
    Add("D");
    b->mOnUpdate = [&] { mManager.RemoveWidget(b); };
    mManager.UpdateFrame();
    EXPECT_EQ(Take(), (Log{"A update", "B update", "C update", "D update"}));

    // The next pass runs over what is left.
    mManager.UpdateFrame();
    EXPECT_EQ(Take(), (Log{"A update", "C update", "D update"}));
    EXPECT_EQ(a->mUpdateCnt, 2);
    EXPECT_EQ(b->mUpdateCnt, 1);
    EXPECT_EQ(mManager.mUpdateCnt, 2);
}

TEST_F(WidgetUpdateTest, RemovingTheCurrentAndTheFollowingWidgetsContinuesAfterThem)
{
    ProbeWidget* a = Add("A");
    ProbeWidget* b = Add("B");
    ProbeWidget* c = Add("C");
    Add("D");
    b->mOnUpdate = [&] {
        mManager.RemoveWidget(b);
        mManager.RemoveWidget(c);
        mManager.RemoveWidget(a);
    };
    mManager.UpdateFrame();
    EXPECT_EQ(Take(), (Log{"A update", "B update", "D update"}));
}

TEST_F(WidgetUpdateTest, AddingAndReorderingDuringTheWalkUpdatesEveryWidgetOnce)
{
    ProbeWidget* a = Add("A");
    ProbeWidget* b = Add("B");
    ProbeWidget* c = Add("C");
    ProbeWidget* d = Add("D");
    ProbeWidget* late = Make("Late");
    b->mOnUpdate = [&] {
        // Already updated, moved past the walk: not again.
        mManager.BringToFront(a);
        // The current one moved to the top: the walk goes on with C and D.
        mManager.BringToFront(b);
        // Added on top during the pass: updated in this pass.
        mManager.AddWidget(late);
    };
    c->mOnUpdate = [&] {
        // Taken out and put back on top within its own update.
        mManager.RemoveWidget(c);
        mManager.AddWidget(c);
    };
    mManager.UpdateFrame();
    EXPECT_EQ(Take(), (Log{"A update", "B update", "C update", "D update", "Late update"}));

    b->mOnUpdate = nullptr;
    c->mOnUpdate = nullptr;
    mManager.UpdateFrame();
    EXPECT_EQ(Take(), (Log{"D update", "A update", "B update", "Late update", "C update"}));
    (void)d;
}

TEST_F(WidgetUpdateTest, NestedPassesKeepTheOuterWalkValid)
{
    Add("A");
    ProbeWidget* b = Add("B");
    Add("C");
    bool nested = false;
    b->mOnUpdate = [&] {
        if (nested)
            return;
        nested = true;
        // A modal loop run from an update: the inner pass takes B away under the outer walk.
        mManager.RemoveWidget(b);
        mManager.UpdateFrame();
    };
    mManager.UpdateFrame();
    // The inner pass updated C already; the outer one does not update it again.
    EXPECT_EQ(Take(), (Log{"A update", "B update", "A update", "C update"}));
    mManager.UpdateFrame();
    EXPECT_EQ(Take(), (Log{"A update", "C update"}));
}

TEST_F(WidgetUpdateTest, PassReportsWhetherAnythingWasMarkedDirty)
{
    ProbeWidget* a = Add("A");
    a->mOnUpdate = [&] {
        if (a->mUpdateCnt == 2)
            a->MarkDirty();
    };
    a->mDirty = false;
    EXPECT_FALSE(mManager.UpdateFrame());
    EXPECT_TRUE(mManager.UpdateFrame());
    EXPECT_TRUE(a->mDirty);
    EXPECT_FALSE(mManager.UpdateFrame());
}

TEST_F(WidgetUpdateTest, FractionalPassVisitsEveryWidgetOnceAfterAnUpdatePass)
{
    ProbeWidget* a = Add("A");
    Add("B");
    a->mOnUpdate = [&] { mManager.BringToFront(a); };
    mManager.UpdateFrame();
    Take();
    mManager.UpdateFrameF(1.0);
    EXPECT_EQ(Take(), (Log{"B updateF", "A updateF"}));
    mManager.UpdateFrameF(1.0);
    EXPECT_EQ(Take(), (Log{"B updateF", "A updateF"}));
}

} // namespace
