// The vector kernels against the plain reference of each blending rule, over
// exhaustive alpha pairs and large random inputs, and the reference itself
// against the worked cases of the rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "graphics/BlendReference.h"
#include "graphics/PixelKernels.h"

namespace {

using namespace Quill;
namespace Ref = Quill::BlendReference;
namespace K = Quill::PixelKernels;

std::uint32_t RandomColour(std::mt19937& rng, int alpha)
{
    return Ref::Pack(alpha, static_cast<int>(rng() & 0xFF), static_cast<int>(rng() & 0xFF),
                     static_cast<int>(rng() & 0xFF));
}

// A row whose alphas are drawn mostly from the interesting values (0, 255)
// with runs, so that whole vector blocks take every branch.
std::vector<std::uint32_t> RandomRow(std::mt19937& rng, std::size_t n, bool opaqueAlphaOnly = false)
{
    std::vector<std::uint32_t> row(n);
    int alpha = 255;
    for (std::size_t i = 0; i < n; ++i) {
        if (rng() % 5 == 0) {
            const unsigned pick = rng() % 4;
            alpha = pick == 0 ? 0 : pick == 1 ? 255 : static_cast<int>(rng() & 0xFF);
        }
        row[i] = RandomColour(rng, opaqueAlphaOnly ? 255 : alpha);
    }
    return row;
}

// Every pixel of d blended with the kernel equals the reference applied to it.
template <class Kernel, class Reference>
void ExpectMatches(const std::vector<std::uint32_t>& dest, const std::vector<std::uint32_t>& src,
                   Kernel kernel, Reference reference, const char* what)
{
    std::vector<std::uint32_t> out = dest;
    kernel(out.data(), src.data(), static_cast<int>(out.size()));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::uint32_t expected = reference(dest[i], src[i]);
        ASSERT_EQ(out[i], expected) << what << " at " << i << std::hex << ": d=" << dest[i]
                                    << " s=" << src[i];
    }
}

TEST(BlendReference, WorkedCasesOfTheRules)
{
    // White at alpha 128 over transparent black: alpha 128, weight 255, channels 254.
    EXPECT_EQ(Ref::Composite(0x00000000u, 0x80FFFFFFu), 0x80FEFEFEu);
    EXPECT_EQ(Ref::CompositeWeight(128, 0), 255);
    // Alpha 0 leaves the destination; alpha 255 over an opaque pixel copies exactly.
    EXPECT_EQ(Ref::Composite(0xFF123456u, 0x00FFFFFFu), 0xFF123456u);
    EXPECT_EQ(Ref::OverOpaque(0xFF123456u, 0xFFABCDEFu), 0xFFABCDEFu);
    EXPECT_EQ(Ref::OverOpaque(0xFF123456u, 0x00ABCDEFu), 0xFF123456u);
    // Additive saturates each channel and keeps the destination's alpha.
    EXPECT_EQ(Ref::Additive(0x40646464u, 0xFFC8C8C8u, false), 0x40FFFFFFu);
    EXPECT_EQ(Ref::Additive(0xFF101010u, 0x80808080u, true), 0xFF505050u);
    // An opaque fill writes the packed colour; a fill of alpha 0 changes nothing.
    EXPECT_EQ(Ref::Fill(0x00000000u, Color(1, 2, 3)), 0xFF010203u);
    EXPECT_EQ(Ref::Fill(0xFF445566u, Color(1, 2, 3, 0)), 0xFF445566u);
    // Tinting by a colour of alpha 0 draws nothing; by half-red halves the source's weight.
    EXPECT_EQ(Ref::Tinted(0xFF000000u, 0xFFFFFFFFu, Color(255, 0, 0, 0)), 0xFF000000u);
    EXPECT_EQ(Ref::Tinted(0xFF000000u, 0xFFFFFFFFu, Color(255, 0, 0, 255)), 0xFFFD0000u);
}

TEST(BlendReference, AddClampTableSaturates)
{
    for (int i = 0; i < 512; ++i)
        EXPECT_EQ(Ref::kAddClampTable[static_cast<std::size_t>(i)], i < 256 ? i : 255);
}

class BlendKernels : public ::testing::Test {
protected:
    std::mt19937 mRng{12345};
};

TEST_F(BlendKernels, CompositeOverEveryAlphaPair)
{
    // All 256 × 256 source/destination alpha pairs, with destination alphas
    // grouped in fours (whole vector blocks of one alpha) and then mixed.
    for (int pass = 0; pass < 3; ++pass) {
        std::vector<std::uint32_t> dest;
        std::vector<std::uint32_t> src;
        for (int da = 0; da < 256; ++da) {
            for (int sa = 0; sa < 256; ++sa) {
                const int dAlpha = pass == 1 ? static_cast<int>(mRng() & 0xFF) : da;
                dest.push_back(pass == 2 ? Ref::Pack(dAlpha, 255, 0, 255) : RandomColour(mRng, dAlpha));
                src.push_back(pass == 2 ? Ref::Pack(sa, 0, 255, 255) : RandomColour(mRng, sa));
            }
        }
        ExpectMatches(dest, src, K::Simd::Composite, Ref::Composite, "vector composite");
        ExpectMatches(dest, src, K::Scalar::Composite, Ref::Composite, "scalar composite");
    }
}

TEST_F(BlendKernels, OpaqueDestinationRuleOverEveryAlpha)
{
    const std::vector<std::uint32_t> dest = RandomRow(mRng, 1 << 16, true);
    std::vector<std::uint32_t> src(dest.size());
    for (std::size_t i = 0; i < src.size(); ++i)
        src[i] = RandomColour(mRng, static_cast<int>(i & 0xFF));
    ExpectMatches(dest, src, K::Simd::OverOpaque, Ref::OverOpaque, "vector opaque");
    const std::vector<std::uint32_t> runs = RandomRow(mRng, 1 << 16);
    ExpectMatches(dest, runs, K::Simd::OverOpaque, Ref::OverOpaque, "vector opaque runs");

    // The prepared-terms form and the run-length walk, in every row length up to 11.
    std::vector<std::uint64_t> terms(runs.size());
    std::transform(runs.begin(), runs.end(), terms.begin(), Ref::OverTerms);
    for (int n = 0; n < 12; ++n) {
        const int offset = n * 5;
        std::vector<std::uint32_t> d(dest.begin() + offset, dest.begin() + offset + n);
        std::vector<std::uint32_t> s(runs.begin() + offset, runs.begin() + offset + n);
        const std::uint64_t* t = terms.data() + offset;
        ExpectMatches(
            d, s,
            [t](std::uint32_t* o, const std::uint32_t* in, int k) { K::Simd::OverOpaqueTerms(o, in, t, k); },
            Ref::OverOpaque, "short vector terms");
    }
    auto withTerms = [&terms](std::uint32_t* o, const std::uint32_t* in, int k) {
        K::Simd::OverOpaqueTerms(o, in, terms.data(), k);
    };
    ExpectMatches(dest, runs, withTerms, Ref::OverOpaque, "vector terms");
    auto scalarTerms = [&terms](std::uint32_t* o, const std::uint32_t* in, int k) {
        K::Scalar::OverOpaqueTerms(o, in, terms.data(), k);
    };
    ExpectMatches(dest, runs, scalarTerms, Ref::OverOpaque, "scalar terms");
    // Every alpha against destinations whose alpha is not 255: transparent source pixels keep it.
    std::vector<std::uint32_t> seeThrough = RandomRow(mRng, src.size());
    std::transform(src.begin(), src.end(), terms.begin(), Ref::OverTerms);
    ExpectMatches(seeThrough, src, withTerms, Ref::OverOpaque, "vector terms, any destination");
}

TEST_F(BlendKernels, TintedOverEverySourceAndColourAlpha)
{
    // Every source alpha against every colour alpha (the exact division by 255
    // of the vector code), on opaque destinations and on random ones.
    for (int pass = 0; pass < 2; ++pass) {
        for (int ca = 0; ca < 256; ca += (pass == 0 ? 1 : 17)) {
            const Color c(static_cast<int>(mRng() & 0xFF), static_cast<int>(mRng() & 0xFF),
                          static_cast<int>(mRng() & 0xFF), ca);
            std::vector<std::uint32_t> dest = pass == 0 ? RandomRow(mRng, 256, true) : RandomRow(mRng, 4096);
            std::vector<std::uint32_t> src(dest.size());
            for (std::size_t i = 0; i < src.size(); ++i)
                src[i] = RandomColour(mRng, static_cast<int>(i & 0xFF));
            auto kernel = [&c](std::uint32_t* d, const std::uint32_t* s, int n) {
                K::Simd::Tinted(d, s, n, c);
            };
            auto reference = [&c](std::uint32_t d, std::uint32_t s) { return Ref::Tinted(d, s, c); };
            ExpectMatches(dest, src, kernel, reference, "vector tint");
        }
    }
    // Extreme colours, where the channel terms are largest.
    for (const Color& c : {Color(255, 255, 255, 254), Color(255, 0, 255, 255), Color(0, 0, 0, 255)}) {
        std::vector<std::uint32_t> dest = RandomRow(mRng, 1 << 14, true);
        std::vector<std::uint32_t> src = RandomRow(mRng, 1 << 14);
        for (auto& p : dest)
            p |= 0x00FFFFFFu;
        auto kernel = [&c](std::uint32_t* d, const std::uint32_t* s, int n) { K::Simd::Tinted(d, s, n, c); };
        auto reference = [&c](std::uint32_t d, std::uint32_t s) { return Ref::Tinted(d, s, c); };
        ExpectMatches(dest, src, kernel, reference, "extreme tint");
    }
}

TEST_F(BlendKernels, AdditiveWithAndWithoutSourceAlphaAndTint)
{
    for (const bool hasAlpha : {false, true}) {
        const std::vector<std::uint32_t> dest = RandomRow(mRng, 1 << 16);
        const std::vector<std::uint32_t> src = RandomRow(mRng, 1 << 16);
        auto plain = [hasAlpha](std::uint32_t* d, const std::uint32_t* s, int n) {
            K::Simd::Additive(d, s, n, hasAlpha);
        };
        ExpectMatches(
            dest, src, plain,
            [hasAlpha](std::uint32_t d, std::uint32_t s) { return Ref::Additive(d, s, hasAlpha); },
            "vector additive");
        for (int k = 0; k < 8; ++k) {
            const Color c(static_cast<int>(mRng() & 0xFF), static_cast<int>(mRng() & 0xFF),
                          static_cast<int>(mRng() & 0xFF), k == 0 ? 255 : static_cast<int>(mRng() & 0xFF));
            auto kernel = [&c, hasAlpha](std::uint32_t* d, const std::uint32_t* s, int n) {
                K::Simd::AdditiveTinted(d, s, n, c, hasAlpha);
            };
            auto reference = [&c, hasAlpha](std::uint32_t d, std::uint32_t s) {
                return Ref::AdditiveTinted(d, s, c, hasAlpha);
            };
            ExpectMatches(dest, src, kernel, reference, "vector tinted additive");
        }
    }
    // (200, 200, 200) onto (100, 100, 100): every channel saturates, alpha kept.
    std::vector<std::uint32_t> d(7, 0x7F646464u);
    const std::vector<std::uint32_t> s(7, 0xFFC8C8C8u);
    K::Simd::Additive(d.data(), s.data(), 7, false);
    for (std::uint32_t p : d)
        EXPECT_EQ(p, 0x7FFFFFFFu);
}

TEST_F(BlendKernels, FillsEveryColourAlpha)
{
    std::vector<std::uint32_t> dest = RandomRow(mRng, 1027);
    for (int ca = 0; ca < 256; ++ca) {
        const Color c(static_cast<int>(mRng() & 0xFF), static_cast<int>(mRng() & 0xFF),
                      static_cast<int>(mRng() & 0xFF), ca);
        std::vector<std::uint32_t> out = dest;
        K::Simd::Fill(out.data(), static_cast<int>(out.size()), c);
        for (std::size_t i = 0; i < out.size(); ++i)
            ASSERT_EQ(out[i], Ref::Fill(dest[i], c)) << "alpha " << ca << " at " << i;
    }
}

} // namespace
