// The update walk and the paint allocate nothing per frame. A test executable
// of its own, because it replaces the global allocation functions to count.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "framework/Widget.h"
#include "framework/WidgetManager.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

namespace {

std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void* CountedAlloc(std::size_t size)
{
    if (gCounting.load(std::memory_order_relaxed))
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size)
{
    return CountedAlloc(size);
}
void* operator new[](std::size_t size)
{
    return CountedAlloc(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

// Allocations made while the object lives.
class AllocationCounter {
public:
    AllocationCounter()
    {
        gAllocations = 0;
        gCounting = true;
    }
    ~AllocationCounter() { gCounting = false; }
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;
    [[nodiscard]] long Count() const { return gAllocations.load(); }
};

// Fills its rectangle; every few ticks it changes and asks for a repaint.
class Tile : public Quill::Widget {
public:
    Tile(int x, int y, int period) : mPeriod(period) { Resize(x, y, 40, 30); }
    void Update() override
    {
        Quill::Widget::Update();
        if (mUpdateCnt % mPeriod == 0) {
            mShade = (mShade + 40) & 0xFF;
            MarkDirty();
        }
    }
    void Draw(Quill::Graphics& g) override
    {
        g.SetColor(Quill::Color(mShade, 80, 160));
        g.FillRect(0, 0, mWidth, mHeight);
    }

private:
    int mPeriod;
    int mShade = 0;
};

TEST(WidgetAllocTest, UpdateAndPaintAllocateNothingPerFrame)
{
    Quill::MemoryImage screen(nullptr);
    screen.Create(800, 600);
    Quill::WidgetManager manager;
    manager.mImage = &screen;
    manager.Resize(800, 600);
    std::vector<std::unique_ptr<Tile>> tiles;
    for (int i = 0; i < 50; ++i) {
        tiles.push_back(std::make_unique<Tile>((i % 10) * 70, (i / 10) * 50, 1 + i % 7));
        manager.AddWidget(tiles.back().get());
    }
    // First paint makes the screen's pixels.
    manager.DrawScreen();

    bool painted = false;
    long allocations = 0;
    {
        AllocationCounter counter;
        for (int frame = 0; frame < 200; ++frame) {
            manager.UpdateFrame();
            painted |= manager.DrawScreen();
            // Widgets leaving and coming back during the frame cost nothing either.
            if (frame % 10 == 0) {
                manager.RemoveWidget(tiles[frame % 50].get());
                manager.AddWidget(tiles[frame % 50].get());
                manager.BringToFront(tiles[(frame + 3) % 50].get());
            }
        }
        allocations = counter.Count();
    }
    EXPECT_TRUE(painted);
    EXPECT_EQ(allocations, 0);
}

} // namespace
