// One present of the 800 x 600 screen through the display layer on the real
// SDL platform (SDL's headless video driver and software renderer unless the
// environment says otherwise): the whole screen changed, a small part changed,
// and nothing changed. A plain memcpy of the screen's pixels is the reference
// the upload is measured against.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/ImageRegistry.h"
#include "platform/SdlBackend.h"

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// The platform, a window and the display layer, made once for all benchmarks.
class Display {
public:
    Display()
    {
        mWindow = mPlatform.CreateWindow(
            Quill::Platform::WindowConfig{"bench", kScreenWidth, kScreenHeight, false, std::nullopt, false});
        mDisplay = std::make_unique<Quill::DDInterface>(mPlatform, mRegistry, kScreenWidth, kScreenHeight);
        mReady = mWindow && mDisplay->Init(mWindow.get(), true) == Quill::DDInterface::RESULT_OK;
    }
    ~Display()
    {
        mDisplay.reset();
        mWindow.reset();
    }

    Quill::Platform::SdlBackend mPlatform;
    Quill::ImageRegistry mRegistry;
    std::unique_ptr<Quill::Platform::Window> mWindow;
    std::unique_ptr<Quill::DDInterface> mDisplay;
    bool mReady = false;
};

Display& SharedDisplay()
{
    static Display display;
    return display;
}

// Presents after drawing a rectangle of the given size each time (0: nothing drawn).
void Present(benchmark::State& state, int width, int height)
{
    Display& display = SharedDisplay();
    if (!display.mReady) {
        state.SkipWithError("no display");
        return;
    }
    Quill::Graphics g(display.mDisplay->GetScreenImage());
    int colour = 0;
    for (auto _ : state) {
        if (width > 0) {
            g.SetColor(Quill::Color(colour & 0xFF, 64, 128));
            g.FillRect(100, 100, width, height);
            ++colour;
        }
        if (!display.mDisplay->Redraw())
            state.SkipWithError("present failed");
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_PresentWholeScreen(benchmark::State& state)
{
    Display& display = SharedDisplay();
    if (!display.mReady) {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state) {
        display.mDisplay->GetScreenImage()->MarkAllDirty();
        if (!display.mDisplay->Redraw())
            state.SkipWithError("present failed");
    }
    state.SetBytesProcessed(state.iterations() * kScreenWidth * kScreenHeight * 4);
}
BENCHMARK(BM_PresentWholeScreen);

void BM_PresentSmallChange(benchmark::State& state)
{
    Present(state, 40, 40);
}
BENCHMARK(BM_PresentSmallChange);

void BM_PresentUnchanged(benchmark::State& state)
{
    Present(state, 0, 0);
}
BENCHMARK(BM_PresentUnchanged);

// Reference: copying the screen's pixels once.
void BM_CopyScreenMemcpy(benchmark::State& state)
{
    std::vector<std::uint32_t> from(kScreenWidth * kScreenHeight, 0xFF204080u);
    std::vector<std::uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(std::uint32_t));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kScreenWidth * kScreenHeight * 4);
}
BENCHMARK(BM_CopyScreenMemcpy);

} // namespace

int main(int argc, char** argv)
{
    // Headless by default, so the benchmark runs anywhere.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
