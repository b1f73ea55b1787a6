// The widget manager's per-tick costs: the update walk and DrawScreen over 50
// widgets on an 800 × 600 screen, with nothing dirty, with a typical frame's
// worth dirty, and with everything dirty. A plain vector walk calling the same
// Update is the reference for the walk's overhead.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "framework/Widget.h"
#include "framework/WidgetManager.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kNumWidgets = 50;

// A filled rectangle; when animated it changes and asks for a repaint every tick.
class Panel : public Quill::Widget {
public:
    Panel(int x, int y, int width, int height, bool animated) : mAnimated(animated)
    {
        Resize(x, y, width, height);
    }
    void Update() override
    {
        Quill::Widget::Update();
        if (mAnimated) {
            mShade = (mShade + 1) & 0xFF;
            MarkDirty();
        }
    }
    void Draw(Quill::Graphics& g) override
    {
        g.SetColor(Quill::Color(mShade, 90, 140));
        g.FillRect(0, 0, mWidth, mHeight);
    }

private:
    bool mAnimated;
    int mShade = 0;
};

// A title-screen-like layout: a full-screen backdrop, a board-sized panel,
// and small buttons in a grid over the right-hand side. `animated` widgets
// change every tick.
class Scene {
public:
    explicit Scene(int animated) : mScreen(nullptr)
    {
        mScreen.Create(kScreenWidth, kScreenHeight);
        mScreen.Clear();
        mManager.mImage = &mScreen;
        mManager.Resize(kScreenWidth, kScreenHeight);
        Add(0, 0, kScreenWidth, kScreenHeight, false);
        // The playfield: the first animated widget when any is.
        Add(40, 30, 360, 540, animated > 0);
        for (int i = 2; i < kNumWidgets; ++i) {
            const int cell = i - 2;
            Add(440 + (cell % 6) * 58, 40 + (cell / 6) * 64, 50, 40, i < animated);
        }
        mManager.DrawScreen();
    }
    Quill::WidgetManager& Manager() { return mManager; }
    const std::vector<std::unique_ptr<Panel>>& Panels() const { return mPanels; }

private:
    void Add(int x, int y, int width, int height, bool animated)
    {
        mPanels.push_back(std::make_unique<Panel>(x, y, width, height, animated));
        mManager.AddWidget(mPanels.back().get());
    }

    Quill::MemoryImage mScreen;
    Quill::WidgetManager mManager;
    std::vector<std::unique_ptr<Panel>> mPanels;
};

void BM_UpdateFrame_NothingDirty(benchmark::State& state)
{
    Scene scene(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.Manager().UpdateFrame());
}
BENCHMARK(BM_UpdateFrame_NothingDirty);

// Reference: the same virtual Update over a plain vector, with none of the
// walk's protection against list changes.
void BM_PlainVectorUpdate_Reference(benchmark::State& state)
{
    Scene scene(0);
    std::vector<Quill::Widget*> widgets;
    for (const auto& panel : scene.Panels())
        widgets.push_back(panel.get());
    for (auto _ : state) {
        for (Quill::Widget* w : widgets)
            w->Update();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PlainVectorUpdate_Reference);

void BM_DrawScreen_NothingDirty(benchmark::State& state)
{
    Scene scene(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.Manager().DrawScreen());
}
BENCHMARK(BM_DrawScreen_NothingDirty);

// A typical game frame: the playfield and two small widgets change every tick.
void BM_Frame_TypicalDirty(benchmark::State& state)
{
    Scene scene(4);
    for (auto _ : state) {
        scene.Manager().UpdateFrame();
        benchmark::DoNotOptimize(scene.Manager().DrawScreen());
    }
}
BENCHMARK(BM_Frame_TypicalDirty);

// Everything repainted every frame (as after a mode switch).
void BM_Frame_AllDirty(benchmark::State& state)
{
    Scene scene(0);
    for (auto _ : state) {
        scene.Manager().UpdateFrame();
        scene.Manager().MarkAllDirty();
        benchmark::DoNotOptimize(scene.Manager().DrawScreen());
    }
}
BENCHMARK(BM_Frame_AllDirty);

} // namespace

BENCHMARK_MAIN();
