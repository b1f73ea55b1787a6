// Blending speed on one 800 × 600 screen: a frame copy against memcpy, and the
// sprite composite and the additive particles against pixman on the same pixels
// (pixman takes them premultiplied, as it requires), plus a whole synthetic
// game frame. Compare medians from one run:
//   bench_graphics --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

namespace {

using namespace Quill;

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kCell = 28;
// One full well: 17 rows × 11 columns, a pet and a cage in every cell.
constexpr int kWellRows = 17;
constexpr int kWellCols = 11;
constexpr int kWellX = 246;
constexpr int kWellY = 62;
constexpr int kParticles = 200;
constexpr int kFills = 20;
constexpr int kSpriteKinds = 6;

std::uint32_t Argb(double a, double r, double g, double b)
{
    auto byte = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v * 255.0), 0L, 255L));
    };
    return (byte(a) << 24) | (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

// Coverage of a pixel by a shape given as a signed distance (negative inside), 1 px soft edge.
double Coverage(double distance)
{
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

// A pet: a shaded round body with ears and eyes, soft edged, on transparency.
std::vector<std::uint32_t> PetPixels(int kind)
{
    std::vector<std::uint32_t> px(kCell * kCell);
    const double hue = kind / static_cast<double>(kSpriteKinds);
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            const double cx = x + 0.5 - 14.0;
            const double cy = y + 0.5 - 15.0;
            const double body = std::hypot(cx, cy) - 10.5;
            const double earL = std::hypot(cx + 6.0, cy + 9.0) - 3.5;
            const double earR = std::hypot(cx - 6.0, cy + 9.0) - 3.5;
            const double cover = Coverage(std::min({body, earL, earR}));
            const double shade = 0.75 + 0.25 * (1.0 - (cy + 14.0) / 28.0);
            const bool eye = std::hypot(std::abs(cx) - 4.0, cy + 2.0) < 1.6;
            px[static_cast<std::size_t>(y * kCell + x)] =
                eye ? Argb(cover, 0.1, 0.1, 0.1)
                    : Argb(cover, shade * (0.6 + 0.4 * hue), shade * (0.9 - 0.5 * hue), shade * 0.5);
        }
    return px;
}

// A cage: a rounded frame with three bars, soft edged, open in between.
std::vector<std::uint32_t> CagePixels(int kind)
{
    std::vector<std::uint32_t> px(kCell * kCell);
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            const double cx = std::abs(x + 0.5 - 14.0);
            const double cy = std::abs(y + 0.5 - 14.0);
            const double qx = std::max(cx - 10.0, 0.0);
            const double qy = std::max(cy - 10.0, 0.0);
            const double box = std::hypot(qx, qy) + std::min(std::max(cx - 10.0, cy - 10.0), 0.0) - 3.0;
            const double frame = std::abs(box + 1.25) - 1.25;
            const double bar = std::min(std::abs(x + 0.5 - 9.0),
                                        std::min(std::abs(x + 0.5 - 14.0), std::abs(x + 0.5 - 19.0))) -
                               0.8;
            const double shape = std::max(box, std::min(frame, bar));
            const double metal = 0.55 + 0.1 * kind / kSpriteKinds + 0.3 * (1.0 - y / 28.0);
            px[static_cast<std::size_t>(y * kCell + x)] = Argb(Coverage(shape), metal, metal, metal * 1.1);
        }
    return px;
}

// A particle: a round glow fading out from its centre.
std::vector<std::uint32_t> GlowPixels()
{
    std::vector<std::uint32_t> px(kCell * kCell);
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            const double d = std::hypot(x + 0.5 - 14.0, y + 0.5 - 14.0) / 14.0;
            const double a = std::clamp(1.0 - d, 0.0, 1.0);
            px[static_cast<std::size_t>(y * kCell + x)] = Argb(a * a, 1.0, 0.95, 0.7);
        }
    return px;
}

std::vector<std::uint32_t> BackgroundPixels()
{
    std::vector<std::uint32_t> px(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    std::mt19937 rng(1);
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            px[static_cast<std::size_t>(y * kScreenWidth + x)] =
                Argb(1.0, 0.3 + 0.4 * y / kScreenHeight, 0.5 + 0.2 * std::sin(x * 0.02), 0.6) ^
                (rng() & 0x030303u);
    return px;
}

std::uint32_t Premultiplied(std::uint32_t p)
{
    const std::uint32_t a = p >> 24;
    auto ch = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (ch((p >> 16) & 0xFF) << 16) | (ch((p >> 8) & 0xFF) << 8) | ch(p & 0xFF);
}

struct Placement {
    int mX = 0;
    int mY = 0;
    int mKind = 0;
};

// Everything the benchmarks share, made once.
class Scene {
public:
    std::vector<std::uint32_t> mBackgroundPx = BackgroundPixels();
    std::vector<std::vector<std::uint32_t>> mSpritePx;
    std::vector<std::uint32_t> mGlowPx = GlowPixels();
    std::vector<Placement> mSprites;
    std::vector<Placement> mParticles;

    Scene()
    {
        for (int k = 0; k < kSpriteKinds; ++k)
            mSpritePx.push_back(PetPixels(k));
        for (int k = 0; k < kSpriteKinds; ++k)
            mSpritePx.push_back(CagePixels(k));
        for (int r = 0; r < kWellRows; ++r)
            for (int c = 0; c < kWellCols; ++c) {
                const int x = kWellX + c * kCell;
                const int y = kWellY + r * kCell;
                const int kind = (r * 7 + c * 3) % kSpriteKinds;
                mSprites.push_back({x, y, kSpriteKinds + kind}); // cage
                mSprites.push_back({x, y, kind});                // pet inside
            }
        std::mt19937 rng(42);
        for (int i = 0; i < kParticles; ++i)
            mParticles.push_back({static_cast<int>(rng() % (kScreenWidth - kCell)),
                                  static_cast<int>(rng() % (kScreenHeight - kCell)),
                                  static_cast<int>(rng() % 8)});
    }
};

const Scene& TheScene()
{
    static const Scene scene;
    return scene;
}

// Our side: software images of the scene, the screen opaque as the display's is.
class QuillSide {
public:
    MemoryImage mScreen{nullptr};
    MemoryImage mBackground{nullptr};
    std::vector<std::unique_ptr<MemoryImage>> mSprites;
    MemoryImage mGlow{nullptr};

    QuillSide()
    {
        const Scene& s = TheScene();
        mScreen.SetBits(s.mBackgroundPx.data(), kScreenWidth, kScreenHeight);
        mScreen.SetImageMode(false, false);
        mBackground.SetBits(s.mBackgroundPx.data(), kScreenWidth, kScreenHeight);
        for (const auto& px : s.mSpritePx) {
            auto image = std::make_unique<MemoryImage>(nullptr);
            image->SetBits(px.data(), kCell, kCell);
            mSprites.push_back(std::move(image));
        }
        mGlow.SetBits(s.mGlowPx.data(), kCell, kCell);
    }
};

// pixman's side: the same pixels (premultiplied) in pixman images.
class PixmanSide {
public:
    std::vector<std::uint32_t> mScreenPx;
    std::vector<std::uint32_t> mBackgroundPx;
    std::vector<std::vector<std::uint32_t>> mSpritePx;
    std::vector<std::uint32_t> mGlowPx;
    pixman_image_t* mScreen = nullptr;
    pixman_image_t* mBackground = nullptr;
    std::vector<pixman_image_t*> mSprites;
    pixman_image_t* mGlow = nullptr;

    PixmanSide()
    {
        const Scene& s = TheScene();
        mScreenPx = s.mBackgroundPx;
        mBackgroundPx = s.mBackgroundPx;
        for (const auto& px : s.mSpritePx) {
            std::vector<std::uint32_t> pre(px.size());
            std::transform(px.begin(), px.end(), pre.begin(), Premultiplied);
            mSpritePx.push_back(std::move(pre));
        }
        mGlowPx.resize(s.mGlowPx.size());
        std::transform(s.mGlowPx.begin(), s.mGlowPx.end(), mGlowPx.begin(), Premultiplied);
        mScreen = Make(mScreenPx.data(), kScreenWidth, kScreenHeight);
        mBackground = Make(mBackgroundPx.data(), kScreenWidth, kScreenHeight);
        for (auto& px : mSpritePx)
            mSprites.push_back(Make(px.data(), kCell, kCell));
        mGlow = Make(mGlowPx.data(), kCell, kCell);
    }
    PixmanSide(const PixmanSide&) = delete;
    PixmanSide& operator=(const PixmanSide&) = delete;
    ~PixmanSide()
    {
        pixman_image_unref(mScreen);
        pixman_image_unref(mBackground);
        for (auto* image : mSprites)
            pixman_image_unref(image);
        pixman_image_unref(mGlow);
    }

private:
    static pixman_image_t* Make(std::uint32_t* bits, int w, int h)
    {
        return pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, bits, w * 4);
    }
};

void BM_Memcpy_Frame(benchmark::State& state)
{
    const Scene& s = TheScene();
    std::vector<std::uint32_t> screen(s.mBackgroundPx.size());
    for (auto _ : state) {
        std::memcpy(screen.data(), s.mBackgroundPx.data(), screen.size() * sizeof(std::uint32_t));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(screen.size() * sizeof(std::uint32_t)));
}
BENCHMARK(BM_Memcpy_Frame);

void BM_Quill_Copy_Frame(benchmark::State& state)
{
    QuillSide q;
    const Rect all(0, 0, kScreenWidth, kScreenHeight);
    for (auto _ : state) {
        q.mScreen.Blt(&q.mBackground, 0, 0, all, Color::White, DRAWMODE_NORMAL);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kScreenWidth * kScreenHeight * 4);
}
BENCHMARK(BM_Quill_Copy_Frame);

void BM_Pixman_Copy_Frame(benchmark::State& state)
{
    PixmanSide p;
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, p.mBackground, nullptr, p.mScreen, 0, 0, 0, 0, 0, 0,
                                 kScreenWidth, kScreenHeight);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kScreenWidth * kScreenHeight * 4);
}
BENCHMARK(BM_Pixman_Copy_Frame);

void BM_Quill_Over_Sprites(benchmark::State& state)
{
    QuillSide q;
    const Scene& s = TheScene();
    const Rect cell(0, 0, kCell, kCell);
    for (auto _ : state) {
        for (const Placement& p : s.mSprites)
            q.mScreen.Blt(q.mSprites[static_cast<std::size_t>(p.mKind)].get(), p.mX, p.mY, cell, Color::White,
                          DRAWMODE_NORMAL);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * s.mSprites.size()));
}
BENCHMARK(BM_Quill_Over_Sprites);

void BM_Pixman_Over_Sprites(benchmark::State& state)
{
    PixmanSide px;
    const Scene& s = TheScene();
    for (auto _ : state) {
        for (const Placement& p : s.mSprites)
            pixman_image_composite32(PIXMAN_OP_OVER, px.mSprites[static_cast<std::size_t>(p.mKind)], nullptr,
                                     px.mScreen, 0, 0, 0, 0, p.mX, p.mY, kCell, kCell);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * s.mSprites.size()));
}
BENCHMARK(BM_Pixman_Over_Sprites);

void BM_Quill_Add_Particles(benchmark::State& state)
{
    QuillSide q;
    const Scene& s = TheScene();
    const Rect cell(0, 0, kCell, kCell);
    for (auto _ : state) {
        for (const Placement& p : s.mParticles)
            q.mScreen.Blt(&q.mGlow, p.mX, p.mY, cell, Color::White, DRAWMODE_ADDITIVE);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * s.mParticles.size()));
}
BENCHMARK(BM_Quill_Add_Particles);

void BM_Pixman_Add_Particles(benchmark::State& state)
{
    PixmanSide px;
    const Scene& s = TheScene();
    for (auto _ : state) {
        for (const Placement& p : s.mParticles)
            pixman_image_composite32(PIXMAN_OP_ADD, px.mGlow, nullptr, px.mScreen, 0, 0, 0, 0, p.mX, p.mY,
                                     kCell, kCell);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * s.mParticles.size()));
}
BENCHMARK(BM_Pixman_Add_Particles);

// A whole frame as the game paints it through the drawing context: the
// background, the well of pets and cages, colourised additive sparkles and
// translucent panels.
void BM_Quill_Game_Frame(benchmark::State& state)
{
    QuillSide q;
    const Scene& s = TheScene();
    const Color tints[8] = {Color(255, 200, 80),       Color(120, 220, 255),      Color(255, 120, 200, 200),
                            Color(180, 255, 120, 160), Color(255, 255, 255, 128), Color(255, 160, 60),
                            Color(200, 140, 255),      Color(255, 90, 90, 220)};
    for (auto _ : state) {
        Graphics g(&q.mScreen);
        g.DrawImage(&q.mBackground, 0, 0);
        for (const Placement& p : s.mSprites)
            g.DrawImage(q.mSprites[static_cast<std::size_t>(p.mKind)].get(), p.mX, p.mY);
        Graphics sparkles(g);
        sparkles.SetColorizeImages(true);
        sparkles.SetDrawMode(DRAWMODE_ADDITIVE);
        for (const Placement& p : s.mParticles) {
            sparkles.SetColor(tints[p.mKind]);
            sparkles.DrawImage(&q.mGlow, p.mX, p.mY);
        }
        for (int i = 0; i < kFills; ++i) {
            g.SetColor(Color(20, 10 * i, 60, 96));
            g.FillRect(20 + (i % 5) * 150, 10 + (i / 5) * 140, 120, 40);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Quill_Game_Frame);

} // namespace

BENCHMARK_MAIN();
