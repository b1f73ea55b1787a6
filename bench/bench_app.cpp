// The cost of one present of the 800 x 600 screen through the SDL platform's
// software renderer: the whole picture, a typical dirty rectangle, and the
// picture scaled into a full-screen window. A plain copy of the same bytes is
// the reference. Runs on SDL's headless driver unless SDL_VIDEODRIVER names
// another (for example x11 under Xvfb).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/SdlBackend.h"

namespace {

using namespace Quill::Platform;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A window, its presenter and a picture to show.
struct Screen {
    explicit Screen(SdlBackend& backend, bool fullScreen)
    {
        WindowConfig config;
        config.mTitle = "bench";
        config.mFullScreen = fullScreen;
        window = backend.CreateWindow(config);
        if (window)
            presenter = backend.CreatePresenter(*window, PresenterConfig{}).mPresenter;
        for (std::size_t i = 0; i < picture.size(); ++i)
            picture[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    }

    std::unique_ptr<Window> window;
    std::unique_ptr<Presenter> presenter;
    std::vector<std::uint32_t> picture = std::vector<std::uint32_t>(kWidth * kHeight);
};

SdlBackend& Backend()
{
    static SdlBackend backend;
    return backend;
}

void Present(benchmark::State& state, bool fullScreen, std::optional<Rectangle> dirty)
{
    Screen screen(Backend(), fullScreen);
    if (!screen.presenter) {
        state.SkipWithError("no presenter");
        return;
    }
    for (auto _ : state) {
        // Touch the picture so every present uploads changed pixels.
        ++screen.picture[0];
        if (!screen.presenter->Present(screen.picture, kWidth, dirty)) {
            state.SkipWithError("present failed");
            break;
        }
        (void)Backend().PollMessage();
    }
    const std::int64_t area = dirty ? std::int64_t{dirty->mWidth} * dirty->mHeight : kWidth * kHeight;
    state.SetBytesProcessed(state.iterations() * area * 4);
}

void BM_PresentWholeScreen(benchmark::State& state)
{
    Present(state, false, std::nullopt);
}
BENCHMARK(BM_PresentWholeScreen);

void BM_PresentDirty160x120(benchmark::State& state)
{
    Present(state, false, Rectangle{320, 240, 160, 120});
}
BENCHMARK(BM_PresentDirty160x120);

void BM_PresentWholeScreenScaledFullScreen(benchmark::State& state)
{
    Present(state, true, std::nullopt);
}
BENCHMARK(BM_PresentWholeScreenScaledFullScreen);

// Reference: copying the picture's bytes once.
void BM_CopyScreenMemcpy(benchmark::State& state)
{
    std::vector<std::uint32_t> from(kWidth * kHeight, 0xFF123456u);
    std::vector<std::uint32_t> to(kWidth * kHeight);
    for (auto _ : state) {
        ++from[0];
        std::memcpy(to.data(), from.data(), from.size() * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4);
}
BENCHMARK(BM_CopyScreenMemcpy);

} // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
