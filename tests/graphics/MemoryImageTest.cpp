// The software image: its two forms, flags, derived data and every blit,
// checked pixel by pixel against the plain reference of the blending rules,
// through both the vector and the scalar kernels.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "graphics/BlendReference.h"
#include "graphics/ImageRegistry.h"
#include "graphics/MemoryImage.h"
#include "graphics/PixelKernels.h"

namespace {

using namespace Quill;
namespace Ref = Quill::BlendReference;

std::unique_ptr<MemoryImage> MakeImage(int w, int h, const std::vector<std::uint32_t>& pixels)
{
    auto image = std::make_unique<MemoryImage>(nullptr);
    image->SetBits(pixels.data(), w, h);
    return image;
}

std::vector<std::uint32_t> Pixels(const MemoryImage& image)
{
    std::vector<std::uint32_t> out;
    for (int y = 0; y < image.mHeight; ++y)
        for (int x = 0; x < image.mWidth; ++x)
            out.push_back(image.GetPixel(x, y));
    return out;
}

// A sprite-like picture: transparent, opaque and partial runs of random lengths.
std::vector<std::uint32_t> RandomSprite(std::mt19937& rng, int w, int h)
{
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h));
    int alpha = 0;
    for (auto& p : px) {
        if (rng() % 6 == 0) {
            const unsigned pick = rng() % 3;
            alpha = pick == 0 ? 0 : pick == 1 ? 255 : 1 + static_cast<int>(rng() % 254);
        }
        p = Ref::Pack(alpha, static_cast<int>(rng() & 0xFF), static_cast<int>(rng() & 0xFF),
                      static_cast<int>(rng() & 0xFF));
    }
    return px;
}

// The same picture limited to its first 200 pixel values, so that it fits a palette.
std::vector<std::uint32_t> FewColours(std::vector<std::uint32_t> px)
{
    for (std::size_t i = 200; i < px.size(); ++i)
        px[i] = px[i % 200];
    return px;
}

std::vector<std::uint32_t> RandomOpaque(std::mt19937& rng, int w, int h, bool someAlpha = false)
{
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h));
    for (auto& p : px)
        p = (someAlpha ? (rng() & 0xFF000000u) : 0xFF000000u) | (rng() & 0xFFFFFFu);
    return px;
}

// Runs a drawing both through the vector kernels and the scalar ones.
class BothPaths : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { PixelKernels::SetScalarOnly(GetParam()); }
    void TearDown() override { PixelKernels::SetScalarOnly(false); }
    std::mt19937 mRng{777};
};

INSTANTIATE_TEST_SUITE_P(Kernels, BothPaths, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "Scalar" : "Vector";
                         });

// Blits src at (x, y) onto a copy of dest's pixels by a per-pixel rule.
template <class Rule>
std::vector<std::uint32_t> Expected(const std::vector<std::uint32_t>& dest, int dw,
                                    const std::vector<std::uint32_t>& src, int sw, int sh, int x, int y,
                                    Rule rule)
{
    std::vector<std::uint32_t> out = dest;
    for (int j = 0; j < sh; ++j)
        for (int i = 0; i < sw; ++i) {
            auto& d = out[static_cast<std::size_t>((y + j) * dw + x + i)];
            d = rule(d, src[static_cast<std::size_t>(j * sw + i)]);
        }
    return out;
}

TEST_P(BothPaths, OpaqueDestinationCopiesSkipsAndBlendsRuns)
{
    const auto spritePx = RandomSprite(mRng, 37, 23);
    const auto screenPx = RandomOpaque(mRng, 64, 40);
    for (const bool palettise : {false, true}) {
        auto sprite = MakeImage(37, 23, spritePx);
        if (palettise) {
            // Few enough colours for a palette: keep only 200 of them.
            std::vector<std::uint32_t> few = spritePx;
            for (std::size_t i = 0; i < few.size(); ++i)
                few[i] = spritePx[i % 200];
            sprite = MakeImage(37, 23, few);
            ASSERT_TRUE(sprite->Palletize());
        }
        const auto src = Pixels(*sprite);
        auto screen = MakeImage(64, 40, screenPx);
        screen->Blt(sprite.get(), 20, 9, Rect(0, 0, 37, 23), Color::White, DRAWMODE_NORMAL);
        EXPECT_EQ(Pixels(*screen), Expected(screenPx, 64, src, 37, 23, 20, 9, Ref::OverOpaque));
        EXPECT_TRUE(screen->GuardIntact());
    }
}

TEST_P(BothPaths, TranslucentDestinationUsesTheCompositeFormula)
{
    const auto spritePx = RandomSprite(mRng, 31, 17);
    const auto destPx = RandomOpaque(mRng, 40, 20, true);
    auto sprite = MakeImage(31, 17, spritePx);
    auto dest = MakeImage(40, 20, destPx);
    dest->Blt(sprite.get(), 5, 2, Rect(0, 0, 31, 17), Color::White, DRAWMODE_NORMAL);
    EXPECT_EQ(Pixels(*dest), Expected(destPx, 40, spritePx, 31, 17, 5, 2, Ref::Composite));

    // White at alpha 128 over transparent black: alpha 128, channels 254.
    auto clear = MakeImage(1, 1, {0});
    auto white = MakeImage(1, 1, {0x80FFFFFFu});
    clear->Blt(white.get(), 0, 0, Rect(0, 0, 1, 1), Color::White, DRAWMODE_NORMAL);
    EXPECT_EQ(clear->GetPixel(0, 0), 0x80FEFEFEu);
}

TEST_P(BothPaths, TintedBlitsOnOpaqueAndTranslucentDestinations)
{
    const auto spritePx = FewColours(RandomSprite(mRng, 29, 13));
    const Color tint(200, 90, 255, 170);
    for (const bool someAlpha : {false, true}) {
        const auto destPx = RandomOpaque(mRng, 30, 14, someAlpha);
        auto sprite = MakeImage(29, 13, spritePx);
        // The palette form is read through its table.
        if (someAlpha) {
            ASSERT_TRUE(sprite->Palletize());
        }
        auto dest = MakeImage(30, 14, destPx);
        dest->Blt(sprite.get(), 1, 1, Rect(0, 0, 29, 13), tint, DRAWMODE_NORMAL);
        EXPECT_EQ(Pixels(*dest),
                  Expected(destPx, 30, spritePx, 29, 13, 1, 1,
                           [&](std::uint32_t d, std::uint32_t s) { return Ref::Tinted(d, s, tint); }));
    }
}

TEST_P(BothPaths, AdditiveBlitsFollowTheSourceAlphaFlag)
{
    const auto destPx = RandomOpaque(mRng, 33, 9, true);
    const auto glowPx = FewColours(RandomSprite(mRng, 33, 9));
    auto opaquePx = RandomOpaque(mRng, 33, 9);
    for (int k = 0; k < 5; ++k)
        opaquePx[static_cast<std::size_t>(k * 7)] &= 0x00FFFFFFu; // transparent only: no alpha flag
    for (const Color& c : {Color::White, Color(255, 128, 0, 200)}) {
        for (const std::vector<std::uint32_t>* srcPx :
             std::vector<const std::vector<std::uint32_t>*>{&glowPx, &opaquePx}) {
            auto src = MakeImage(33, 9, *srcPx);
            const bool hasAlpha = srcPx == &glowPx;
            if (hasAlpha) {
                ASSERT_TRUE(src->Palletize());
            }
            auto dest = MakeImage(33, 9, destPx);
            dest->Blt(src.get(), 0, 0, Rect(0, 0, 33, 9), c, DRAWMODE_ADDITIVE);
            auto rule = [&](std::uint32_t d, std::uint32_t s) {
                return c == Color::White ? Ref::Additive(d, s, hasAlpha)
                                         : Ref::AdditiveTinted(d, s, c, hasAlpha);
            };
            EXPECT_EQ(Pixels(*dest), Expected(destPx, 33, *srcPx, 33, 9, 0, 0, rule));
        }
    }
    // (200, 200, 200) onto (100, 100, 100) saturates and keeps the destination alpha;
    // a transparent pixel of a source without alpha adds nothing.
    auto dest = MakeImage(2, 1, {0x80646464u, 0x80646464u});
    auto src = MakeImage(2, 1, {0xFFC8C8C8u, 0x00C8C8C8u});
    dest->Blt(src.get(), 0, 0, Rect(0, 0, 2, 1), Color::White, DRAWMODE_ADDITIVE);
    EXPECT_EQ(dest->GetPixel(0, 0), 0x80FFFFFFu);
    EXPECT_EQ(dest->GetPixel(1, 0), 0x80646464u);
}

TEST_P(BothPaths, FillsAndClears)
{
    const auto destPx = RandomOpaque(mRng, 21, 11, true);
    auto image = MakeImage(21, 11, destPx);
    // An opaque fill writes the packed colour whatever the draw mode.
    image->FillRect(Rect(2, 3, 5, 4), Color(10, 20, 30), DRAWMODE_ADDITIVE);
    for (int y = 3; y < 7; ++y)
        for (int x = 2; x < 7; ++x)
            EXPECT_EQ(image->GetPixel(x, y), 0xFF0A141Eu);
    // A translucent fill composites; one partly outside the image fills its inside part.
    const Color glass(250, 5, 128, 99);
    auto expected = Pixels(*image);
    image->FillRect(Rect(15, -4, 20, 8), glass, DRAWMODE_NORMAL);
    for (int y = 0; y < 4; ++y)
        for (int x = 15; x < 21; ++x) {
            auto& p = expected[static_cast<std::size_t>(y * 21 + x)];
            p = Ref::Fill(p, glass);
        }
    EXPECT_EQ(Pixels(*image), expected);
    // A colour of alpha 0 changes nothing and counts no change.
    const int changes = image->mBitsChangedCount;
    image->FillRect(Rect(0, 0, 21, 11), Color(1, 2, 3, 0), DRAWMODE_NORMAL);
    EXPECT_EQ(image->mBitsChangedCount, changes);
    image->ClearRect(Rect(-1, 9, 3, 5));
    EXPECT_EQ(image->GetPixel(0, 9), 0u);
    EXPECT_EQ(image->GetPixel(1, 10), 0u);
    EXPECT_NE(image->GetPixel(2, 10), 0u);
    EXPECT_TRUE(image->GuardIntact());
}

TEST(MemoryImage, PaletteFormKeepsFirstAppearanceOrderUpTo256Colours)
{
    std::vector<std::uint32_t> px;
    for (int i = 0; i < 256; ++i)
        px.push_back(0xFF000000u | static_cast<std::uint32_t>(255 - i) << 8);
    px.push_back(px[3]);
    auto image = MakeImage(257, 1, px);
    ASSERT_TRUE(image->Palletize());
    EXPECT_TRUE(image->IsPalettized());
    EXPECT_FALSE(image->HasPixels());
    EXPECT_TRUE(image->Palletize()); // already
    EXPECT_EQ(image->mColorTable[0], px[0]);
    EXPECT_EQ(image->mColorTable[255], px[255]);
    EXPECT_EQ(image->mColorIndices[256], 3);
    EXPECT_EQ(Pixels(*image), px);
    // An opaque picture of few colours stays opaque in palette form.
    auto two = MakeImage(3, 1, {0xFF0000FFu, 0xFF00FF00u, 0xFF0000FFu});
    ASSERT_TRUE(two->Palletize());
    two->BitsChanged();
    two->CommitBits();
    EXPECT_FALSE(two->mHasTrans);
    EXPECT_FALSE(two->mHasAlpha);
    // GetBits expands it back to pixel form.
    const std::uint32_t* bits = image->GetBits();
    EXPECT_FALSE(image->IsPalettized());
    EXPECT_EQ(std::vector<std::uint32_t>(bits, bits + 257), px);

    // A 257th distinct colour gives up and leaves the pixels as they were.
    px.back() = 0x12345678u;
    auto many = MakeImage(257, 1, px);
    EXPECT_FALSE(many->Palletize());
    EXPECT_FALSE(many->IsPalettized());
    EXPECT_TRUE(many->HasPixels());
    EXPECT_EQ(Pixels(*many), px);
    // No pixels: nothing to palettise.
    MemoryImage empty(nullptr);
    EXPECT_FALSE(empty.Palletize());
}

TEST(MemoryImage, LifecycleAndLazilyRecomputedFlags)
{
    MemoryImage image(nullptr);
    EXPECT_EQ(image.mWidth, 0);
    EXPECT_EQ(image.mNumRows, 1);
    EXPECT_FALSE(image.HasPixels());
    image.Create(3, 2);
    EXPECT_TRUE(image.mHasTrans);
    EXPECT_TRUE(image.mHasAlpha);
    EXPECT_FALSE(image.HasPixels()); // made on first access
    std::uint32_t* bits = image.GetBits();
    EXPECT_EQ(Pixels(image), std::vector<std::uint32_t>(6, 0u));
    EXPECT_EQ(bits[6], MemoryImage::kGuardWord);

    std::fill(bits, bits + 6, 0xFF808080u);
    image.BitsChanged();
    EXPECT_TRUE(image.mHasTrans); // not recomputed until committed
    image.CommitBits();
    EXPECT_FALSE(image.mHasTrans);
    EXPECT_FALSE(image.mHasAlpha);
    image.GetBits()[4] = 0x00000000u;
    image.GetBits()[5] = 0x7F000000u;
    image.BitsChanged();
    image.CommitBits();
    EXPECT_TRUE(image.mHasTrans);
    EXPECT_TRUE(image.mHasAlpha);

    // Forced flags survive changes.
    image.SetImageMode(false, false);
    image.BitsChanged();
    image.CommitBits();
    EXPECT_FALSE(image.mHasTrans);
    EXPECT_FALSE(image.mHasAlpha);

    // Blending into a wholly opaque image keeps it known to be opaque (no new
    // scan is needed); clearing part of it does not.
    auto screen = MakeImage(4, 4, std::vector<std::uint32_t>(16, 0xFF102030u));
    auto glass = MakeImage(2, 2, {0x80FFFFFFu, 0x00000000u, 0x01020304u, 0xFFFFFFFFu});
    screen->Blt(glass.get(), 1, 1, Rect(0, 0, 2, 2), Color(1, 2, 3, 200), DRAWMODE_NORMAL);
    screen->Blt(glass.get(), 2, 2, Rect(0, 0, 2, 2), Color::White, DRAWMODE_ADDITIVE);
    screen->FillRect(Rect(0, 0, 3, 3), Color(9, 9, 9, 9), DRAWMODE_NORMAL);
    screen->StretchBlt(glass.get(), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White,
                       DRAWMODE_NORMAL, false);
    EXPECT_FALSE(screen->mBitsChanged);
    for (std::uint32_t p : Pixels(*screen))
        EXPECT_EQ(p >> 24, 0xFFu);
    screen->ClearRect(Rect(0, 0, 1, 1));
    EXPECT_TRUE(screen->mBitsChanged);
    screen->CommitBits();
    EXPECT_TRUE(screen->mHasTrans);

    // Create after palettising starts afresh at the new size.
    auto pal = MakeImage(2, 2, {1, 2, 3, 4});
    ASSERT_TRUE(pal->Palletize());
    pal->Create(3, 3);
    EXPECT_EQ(Pixels(*pal), std::vector<std::uint32_t>(9, 0u));
    EXPECT_TRUE(pal->GuardIntact());

    // The guard word notices a write past the last pixel.
    image.GetBits()[6] = 0;
    EXPECT_FALSE(image.GuardIntact());
}

TEST(MemoryImage, AlphaAndAdditiveRunLengths)
{
    auto image = MakeImage(5, 2,
                           {0x00FFFFFFu, 0x00000000u, 0xFF000000u, 0x80FFFFFFu, 0x80000000u, //
                            0xFF000000u, 0xFF000001u, 0x00000000u, 0x00000000u, 0x01010101u});
    const std::uint8_t* rl = image->GetRLAlphaData();
    EXPECT_EQ(std::vector<int>(rl, rl + 10), (std::vector<int>{2, 1, 1, 2, 1, 2, 1, 2, 1, 1}));
    EXPECT_EQ(image->GetRLAlphaData(), rl); // cached
    // Classes by premultiplied colour: black or alpha-0 pixels have no colour;
    // a barely visible one premultiplies to nothing.
    const std::uint8_t* add = image->GetRLAdditiveData(PixelFormat::RGB888());
    EXPECT_EQ(std::vector<int>(add, add + 10), (std::vector<int>{3, 2, 1, 1, 1, 1, 1, 3, 2, 1}));

    // Runs are capped at 255; an image one pixel wide has all runs 1.
    auto wide = MakeImage(300, 1, std::vector<std::uint32_t>(300, 0xFF000000u));
    const std::uint8_t* w = wide->GetRLAlphaData();
    EXPECT_EQ(w[0], 255);
    EXPECT_EQ(w[45], 255);
    EXPECT_EQ(w[46], 254);
    EXPECT_EQ(w[299], 1);
    auto tall = MakeImage(1, 3, {0xFF000000u, 0xFF000000u, 0x00000000u});
    const std::uint8_t* t = tall->GetRLAlphaData();
    EXPECT_EQ(std::vector<int>(t, t + 3), (std::vector<int>{1, 1, 1}));

    // Palette form gives the same runs; a change drops the caches.
    ASSERT_TRUE(image->Palletize());
    image->PurgeDerivedData();
    EXPECT_EQ(std::vector<int>(image->GetRLAlphaData(), image->GetRLAlphaData() + 10),
              (std::vector<int>{2, 1, 1, 2, 1, 2, 1, 2, 1, 1}));
    image->GetBits();
    image->BitsChanged();
    EXPECT_EQ(image->mRLAlphaData, nullptr);
    EXPECT_EQ(image->mRLAdditiveData, nullptr);
}

TEST(MemoryImage, NativeCopyIsPremultipliedInTheDisplayFormat)
{
    auto image = MakeImage(2, 1, {0x80FF8040u, 0xFFFFFFFFu});
    const std::uint32_t* native = image->GetNativeAlphaData(PixelFormat::RGB888());
    EXPECT_EQ(native[0], 0x80804020u);
    EXPECT_EQ(native[1], 0xFFFFFFFFu);
    const std::uint32_t* n565 = image->GetNativeAlphaData(PixelFormat::RGB565());
    EXPECT_EQ(n565[0], 0x80008204u);
    EXPECT_EQ(n565[1], 0xFF00FFFFu);
    // The palette form converts its table to the same words.
    ASSERT_TRUE(image->Palletize());
    EXPECT_EQ(image->mNativeAlphaData, nullptr);
    const std::uint32_t* fromTable = image->GetNativeAlphaData(PixelFormat::RGB565());
    EXPECT_EQ(fromTable[0], 0x80008204u);
    image->DeleteNativeData();
    EXPECT_EQ(image->mNativeAlphaData, nullptr);
}

TEST(MemoryImage, BlitsKeepInsideBothImages)
{
    std::mt19937 rng(5);
    const auto srcPx = RandomOpaque(rng, 4, 4);
    auto src = MakeImage(4, 4, srcPx);
    auto dest = MakeImage(3, 3, std::vector<std::uint32_t>(9, 0xFF000000u));
    // Partly off the top-left: the source is shifted along.
    dest->Blt(src.get(), -2, -2, Rect(0, 0, 4, 4), Color::White, DRAWMODE_NORMAL);
    EXPECT_EQ(dest->GetPixel(0, 0), srcPx[2 * 4 + 2]);
    EXPECT_EQ(dest->GetPixel(1, 1), srcPx[3 * 4 + 3]);
    EXPECT_EQ(dest->GetPixel(2, 2), 0xFF000000u);
    // A source rectangle reaching outside the source reads only its inside part.
    dest->Blt(src.get(), 0, 0, Rect(3, 3, 10, 10), Color::White, DRAWMODE_ADDITIVE);
    dest->Blt(src.get(), 2, 2, Rect(-5, -5, 100, 100), Color(1, 2, 3, 4), DRAWMODE_NORMAL);
    dest->StretchBlt(src.get(), Rect(-10, -10, 50, 50), Rect(-3, -3, 30, 30), Rect(-5, -5, 99, 99),
                     Color::White, DRAWMODE_NORMAL, false);
    dest->StretchBlt(src.get(), Rect(-10, -10, 50, 50), Rect(2, 2, 30, 30), Rect(-5, -5, 99, 99),
                     Color::White, DRAWMODE_NORMAL, true);
    dest->BltRotated(src.get(), 1.5f, 1.5f, Rect(-1, -1, 9, 9), Rect(-9, -9, 99, 99), Color::White,
                     DRAWMODE_NORMAL, 0.7, 2.0f, 2.0f);
    EXPECT_TRUE(dest->GuardIntact());
    // Unknown draw modes and non-software sources draw nothing.
    const auto before = Pixels(*dest);
    Image plain;
    plain.mWidth = 4;
    plain.mHeight = 4;
    dest->Blt(&plain, 0, 0, Rect(0, 0, 4, 4), Color::White, DRAWMODE_NORMAL);
    dest->Blt(src.get(), 0, 0, Rect(0, 0, 4, 4), Color::White, 2);
    // Nor does a source rectangle reaching far to the left drawn far to the right
    // (the offset between them must not overflow on the way).
    dest->BltF(src.get(), 134217728.0f, 0.0f, Rect(-2147483000, 0, 2147483647, 4), Rect(0, 0, 3, 3),
               Color::White, DRAWMODE_NORMAL);
    EXPECT_EQ(Pixels(*dest), before);
}

TEST(MemoryImage, BlitOntoItselfReadsTheOldPixels)
{
    std::mt19937 rng(9);
    const auto px = RandomOpaque(rng, 6, 6);
    auto image = MakeImage(6, 6, px);
    auto copy = std::make_unique<MemoryImage>(*image);
    image->Blt(image.get(), 1, 1, Rect(0, 0, 5, 5), Color::White, DRAWMODE_NORMAL);
    auto expected = MakeImage(6, 6, px);
    expected->Blt(copy.get(), 1, 1, Rect(0, 0, 5, 5), Color::White, DRAWMODE_NORMAL);
    EXPECT_EQ(Pixels(*image), Pixels(*expected));

    // An additive blit onto itself weighs by the alpha of pixels written since
    // the flags were last worked out, as a blit from a copy does.
    auto lit = MakeImage(4, 1, std::vector<std::uint32_t>(4, 0xFF101010u));
    lit->GetBits()[0] = 0x80404040u;
    lit->BitsChanged();
    MemoryImage litCopy(*lit);
    auto litExpected = std::make_unique<MemoryImage>(*lit);
    litExpected->Blt(&litCopy, 2, 0, Rect(0, 0, 2, 1), Color::White, DRAWMODE_ADDITIVE);
    lit->Blt(lit.get(), 2, 0, Rect(0, 0, 2, 1), Color::White, DRAWMODE_ADDITIVE);
    EXPECT_EQ(Pixels(*lit), Pixels(*litExpected));
    EXPECT_EQ(lit->GetPixel(2, 0), 0xFF303030u);
}

TEST(MemoryImage, CopiesAreIndependent)
{
    auto image = MakeImage(2, 1, {0xFF010101u, 0x80020202u});
    image->mNumCols = 2;
    image->mAnimInfo = std::make_unique<AnimInfo>();
    MemoryImage copy(*image);
    EXPECT_EQ(Pixels(copy), Pixels(*image));
    EXPECT_EQ(copy.mNumCols, 2);
    ASSERT_NE(copy.mAnimInfo, nullptr);
    EXPECT_NE(copy.mAnimInfo.get(), image->mAnimInfo.get());
    copy.GetBits()[0] = 0;
    copy.BitsChanged();
    EXPECT_EQ(image->GetPixel(0, 0), 0xFF010101u);
    ASSERT_TRUE(image->Palletize());
    MemoryImage palCopy(*image);
    EXPECT_TRUE(palCopy.IsPalettized());
    EXPECT_EQ(Pixels(palCopy), Pixels(*image));
}

TEST(MemoryImageStretch, SmoothFilterIsExactAtScaleOneAndKeepsColourAtEdges)
{
    std::mt19937 rng(3);
    const auto srcPx = RandomSprite(rng, 9, 7);
    const auto destPx = RandomOpaque(rng, 12, 10, true);
    auto src = MakeImage(9, 7, srcPx);
    auto dest = MakeImage(12, 10, destPx);
    dest->StretchBlt(src.get(), Rect(2, 1, 9, 7), Rect(0, 0, 9, 7), Rect(0, 0, 12, 10), Color::White,
                     DRAWMODE_NORMAL, false);
    EXPECT_EQ(Pixels(*dest), Expected(destPx, 12, srcPx, 9, 7, 2, 1, Ref::Composite));

    // Red next to transparent black, enlarged: every drawn pixel keeps pure red
    // (transparent pixels lend no colour), only coverage fades.
    auto edge = MakeImage(2, 1, {0xFFFF0000u, 0x00000000u});
    auto canvas = MakeImage(16, 4, std::vector<std::uint32_t>(64, 0u));
    canvas->StretchBlt(edge.get(), Rect(0, 0, 16, 4), Rect(0, 0, 2, 1), Rect(0, 0, 16, 4), Color::White,
                       DRAWMODE_NORMAL, false);
    int drawn = 0;
    for (std::uint32_t p : Pixels(*canvas)) {
        if (p == 0)
            continue;
        ++drawn;
        EXPECT_EQ(p & 0x00FFFFFFu, 0x00FE0000u) << std::hex << p;
    }
    EXPECT_GT(drawn, 16);
    EXPECT_LT(drawn, 64);
    EXPECT_EQ(canvas->GetPixel(0, 0), 0xFFFE0000u);
    EXPECT_EQ(canvas->GetPixel(15, 0), 0u);

    // Halving a fine checker gives an even grey.
    std::vector<std::uint32_t> checker;
    for (int i = 0; i < 64; ++i)
        checker.push_back(((i + i / 8) % 2) != 0 ? 0xFFFFFFFFu : 0xFF000000u);
    auto board = MakeImage(8, 8, checker);
    auto grey = MakeImage(4, 4, std::vector<std::uint32_t>(16, 0xFF000000u));
    grey->StretchBlt(board.get(), Rect(0, 0, 4, 4), Rect(0, 0, 8, 8), Rect(0, 0, 4, 4), Color::White,
                     DRAWMODE_NORMAL, false);
    for (std::uint32_t p : Pixels(*grey)) {
        EXPECT_GE(static_cast<int>(p & 0xFF), 125);
        EXPECT_LE(static_cast<int>(p & 0xFF), 129);
    }
}

TEST(MemoryImageStretch, FastStretchSamplesTheNearestPixelOfTheNarrowedSource)
{
    const std::uint32_t a = 0xFF112233u;
    const std::uint32_t b = 0xFF445566u;
    auto src = MakeImage(2, 1, {a, b});
    auto dest = MakeImage(4, 1, std::vector<std::uint32_t>(4, 0xFF000000u));
    // Clipped on the left: source x = 0.5, width 1.5 over 3 pixels → columns 0, 1, 1.
    dest->StretchBlt(src.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(1, 0, 3, 1), Color::White,
                     DRAWMODE_NORMAL, true);
    EXPECT_EQ(Pixels(*dest),
              (std::vector<std::uint32_t>{0xFF000000u, Ref::Composite(0xFF000000u, a),
                                          Ref::Composite(0xFF000000u, b), Ref::Composite(0xFF000000u, b)}));
    // A tint applies to the fast path too.
    auto tinted = MakeImage(4, 1, std::vector<std::uint32_t>(4, 0xFF000000u));
    const Color c(255, 0, 0, 128);
    tinted->StretchBlt(src.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), c, DRAWMODE_NORMAL,
                       true);
    EXPECT_EQ(tinted->GetPixel(0, 0), Ref::Tinted(0xFF000000u, a, c));
    EXPECT_EQ(tinted->GetPixel(3, 0), Ref::Tinted(0xFF000000u, b, c));
}

TEST(MemoryImageRotate, WholePixelsWithoutTurningMatchBlt)
{
    std::mt19937 rng(11);
    const auto srcPx = RandomSprite(rng, 7, 5);
    const auto destPx = RandomOpaque(rng, 10, 8);
    auto src = MakeImage(7, 5, srcPx);
    auto viaF = MakeImage(10, 8, destPx);
    auto viaBlt = MakeImage(10, 8, destPx);
    viaF->BltF(src.get(), 4.0f, 2.0f, Rect(0, 0, 7, 5), Rect(0, 0, 8, 6), Color::White, DRAWMODE_NORMAL);
    viaBlt->Blt(src.get(), 4, 2, Rect(0, 0, 4, 4), Color::White, DRAWMODE_NORMAL);
    EXPECT_EQ(Pixels(*viaF), Pixels(*viaBlt));
}

TEST(MemoryImageRotate, QuarterTurnIsCounterClockwise)
{
    const std::uint32_t a = 0xFF0000AAu, b = 0xFF0000BBu, c = 0xFF0000CCu, d = 0xFF0000DDu;
    auto src = MakeImage(2, 2, {a, b, c, d});
    auto dest = MakeImage(4, 4, std::vector<std::uint32_t>(16, 0xFF000000u));
    dest->BltRotated(src.get(), 1.0f, 1.0f, Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, DRAWMODE_NORMAL,
                     std::numbers::pi / 2, 1.0f, 1.0f);
    EXPECT_EQ(dest->GetPixel(1, 1), b);
    EXPECT_EQ(dest->GetPixel(2, 1), d);
    EXPECT_EQ(dest->GetPixel(1, 2), a);
    EXPECT_EQ(dest->GetPixel(2, 2), c);
    EXPECT_EQ(dest->GetPixel(0, 0), 0xFF000000u);
    EXPECT_EQ(dest->GetPixel(3, 3), 0xFF000000u);

    // Half a pixel to the right: the pixel spreads over two, each about half covered.
    auto dot = MakeImage(1, 1, {0xFFFFFFFFu});
    auto line = MakeImage(3, 1, std::vector<std::uint32_t>(3, 0xFF000000u));
    line->BltF(dot.get(), 0.5f, 0.0f, Rect(0, 0, 1, 1), Rect(0, 0, 3, 1), Color::White, DRAWMODE_NORMAL);
    EXPECT_NEAR(static_cast<int>(line->GetPixel(0, 0) & 0xFF), 128, 2);
    EXPECT_NEAR(static_cast<int>(line->GetPixel(1, 0) & 0xFF), 128, 2);
    EXPECT_EQ(line->GetPixel(2, 0), 0xFF000000u);
}

TEST(MemoryImageRotate, TurningOntoItselfReadsTheOldPixels)
{
    std::mt19937 rng(4);
    auto image = MakeImage(8, 8, RandomOpaque(rng, 8, 8));
    MemoryImage copy(*image);
    MemoryImage expected(*image);
    expected.BltRotated(&copy, 1.5f, 0.5f, Rect(0, 0, 6, 6), Rect(0, 0, 8, 8), Color::White, DRAWMODE_NORMAL,
                        0.3, 3.0f, 3.0f);
    image->BltRotated(image.get(), 1.5f, 0.5f, Rect(0, 0, 6, 6), Rect(0, 0, 8, 8), Color::White,
                      DRAWMODE_NORMAL, 0.3, 3.0f, 3.0f);
    EXPECT_EQ(Pixels(*image), Pixels(expected));
    EXPECT_NE(Pixels(*image), Pixels(copy)) << "the turn drew something";
}

class CountingRegistry : public ImageRegistry {
public:
    void DeleteExtraBuffers(MemoryImage* image) override
    {
        ++mDropped;
        mLast = image;
    }
    std::atomic<int> mDropped{0};
    MemoryImage* mLast = nullptr;
};

TEST(ImageRegistry, ImagesJoinAndLeaveUnderTheLock)
{
    CountingRegistry registry;
    ImageRegistry::Install(&registry);
    {
        MemoryImage first;
        EXPECT_EQ(first.mRegistry, &registry);
        EXPECT_TRUE(registry.Contains(&first));
        MemoryImage copy(first);
        EXPECT_EQ(registry.GetImageCount(), 2u);
        copy.DeleteAllNonSourceData();
        EXPECT_EQ(registry.mDropped, 1);
        EXPECT_EQ(registry.mLast, &copy);
        MemoryImage outside(nullptr);
        EXPECT_EQ(registry.GetImageCount(), 2u);
    }
    // Leaving drops the display's data for each image.
    EXPECT_EQ(registry.GetImageCount(), 0u);
    EXPECT_EQ(registry.mDropped, 3);

    // Images made and dropped on another thread while this one walks the set.
    std::atomic<bool> done{false};
    std::thread loader([&] {
        for (int i = 0; i < 2000; ++i) {
            MemoryImage image;
            image.Create(2, 2);
        }
        done = true;
    });
    int walks = 0;
    while (!done) {
        registry.ForEachImage([&](MemoryImage* image) { EXPECT_EQ(image->mRegistry, &registry); });
        ++walks;
    }
    loader.join();
    EXPECT_EQ(registry.GetImageCount(), 0u);
    ImageRegistry::Install(nullptr);
}

TEST(ImageRegistry, ImagesOutlivingTheirRegistryLetGo)
{
    auto registry = std::make_unique<ImageRegistry>();
    ImageRegistry::Install(registry.get());
    MemoryImage image;
    EXPECT_EQ(image.mRegistry, registry.get());
    registry.reset();
    EXPECT_EQ(image.mRegistry, nullptr);
    EXPECT_EQ(ImageRegistry::Installed(), nullptr);
    image.DeleteExtraBuffers(); // nothing to ask, and no crash
}

} // namespace
