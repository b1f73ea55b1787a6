#include "graphics/PixelKernels.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "graphics/BlendReference.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define QUILL_HAVE_SSE2 1
#else
#define QUILL_HAVE_SSE2 0
#endif

namespace Quill::PixelKernels {

namespace {

namespace Ref = BlendReference;

std::atomic<bool> gScalarOnly{false};

// New alpha and source weight of the composite formula for every pair of
// source and destination alphas, so that the per-pixel divisions become
// look-ups (exact: the tables hold the formula's own results).
class CompositeTables {
public:
    std::array<std::uint8_t, 256 * 256> mAlpha{};
    std::array<std::uint8_t, 256 * 256> mWeight{};

    CompositeTables()
    {
        for (int sa = 1; sa < 256; ++sa) {
            for (int da = 0; da < 256; ++da) {
                const auto index = static_cast<std::size_t>(sa * 256 + da);
                mAlpha[index] = static_cast<std::uint8_t>(Ref::CompositeAlpha(sa, da));
                mWeight[index] = static_cast<std::uint8_t>(Ref::CompositeWeight(sa, da));
            }
        }
    }
};

const CompositeTables& Tables()
{
    static const CompositeTables tables;
    return tables;
}

// The composite formula with the tables (same results as Ref::Composite).
inline std::uint32_t CompositeByTable(const CompositeTables& t, std::uint32_t d, std::uint32_t s)
{
    const int sa = Ref::AlphaOf(s);
    if (sa == 0)
        return d;
    const auto index = static_cast<std::size_t>(sa * 256 + Ref::AlphaOf(d));
    const int na = t.mAlpha[index];
    const int w = t.mWeight[index];
    const int red = (Ref::RedOf(d) * (256 - w) + Ref::RedOf(s) * w) >> 8;
    const int green = (Ref::GreenOf(d) * (256 - w) + Ref::GreenOf(s) * w) >> 8;
    const int blue = ((Ref::BlueOf(d) * (256 - w)) >> 8) + ((Ref::BlueOf(s) * w) >> 8);
    return Ref::Pack(na, red, green, blue);
}

// The tinted formula with the tables (same results as Ref::Tinted).
inline std::uint32_t TintedByTable(const CompositeTables& t, std::uint32_t d, std::uint32_t s, const Color& c)
{
    const int sa = Ref::AlphaOf(s) * c.mAlpha / 255;
    if (sa == 0)
        return d;
    const auto index = static_cast<std::size_t>(sa * 256 + Ref::AlphaOf(d));
    const int na = t.mAlpha[index];
    const int w = t.mWeight[index];
    const int red = ((Ref::RedOf(s) * w * c.mRed + Ref::RedOf(d) * (256 - w) * 256) >> 16) & 0xFF;
    const int green = ((((Ref::GreenOf(s) * w * c.mGreen) >> 8) + Ref::GreenOf(d) * (256 - w)) >> 8) & 0xFF;
    const int blue = (((Ref::BlueOf(s) * w * c.mBlue) >> 16) + ((Ref::BlueOf(d) * (256 - w)) >> 8)) & 0xFF;
    return Ref::Pack(na, red, green, blue);
}

#if QUILL_HAVE_SSE2

// Pixels are 0xAARRGGBB words, so in memory each is the bytes B, G, R, A; widened
// to 16 bits, lanes 0..3 hold B, G, R, A of the first pixel and 4..7 of the second.

inline __m128i Load(const std::uint32_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(std::uint32_t* p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
// Each pixel's alpha as a 32-bit lane.
inline __m128i Alphas(__m128i v)
{
    return _mm_srli_epi32(v, 24);
}
// Bit i set when lane i of the 32-bit comparison mask is set.
inline int Lanes(__m128i mask)
{
    return _mm_movemask_ps(_mm_castsi128_ps(mask));
}
inline __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear)
{
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}
// Alpha of each of the two widened pixels in all four of its lanes.
inline __m128i BroadcastAlpha16(__m128i v16)
{
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v16, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}
// floor(x / 255), exact for every 16-bit x.
inline __m128i Div255(__m128i x)
{
    return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
}
// All-ones in the blue lanes of widened pixels.
inline __m128i BlueLanes()
{
    return _mm_set_epi16(0, 0, 0, -1, 0, 0, 0, -1);
}
inline __m128i AlphaByte()
{
    return _mm_set1_epi32(static_cast<int>(0xFF000000u));
}
inline __m128i ColourBytes()
{
    return _mm_set1_epi32(0x00FFFFFF);
}

// (d · (256 − a) + s · a) >> 8 for red and green, (d · (256 − a) >> 8) + (s · a >> 8)
// for blue, on two widened pixels with per-lane weights a (0..256).
inline __m128i MixLanes(__m128i d16, __m128i s16, __m128i a16)
{
    const __m128i p = _mm_mullo_epi16(d16, _mm_sub_epi16(_mm_set1_epi16(256), a16));
    const __m128i q = _mm_mullo_epi16(s16, a16);
    const __m128i together = _mm_srli_epi16(_mm_add_epi16(p, q), 8);
    const __m128i apart = _mm_add_epi16(_mm_srli_epi16(p, 8), _mm_srli_epi16(q, 8));
    return Select(BlueLanes(), apart, together);
}

// Four pixels blended by their own source alpha, result alpha 255: the
// partial-alpha rule of an opaque destination (and the composite formula
// wherever the destination is opaque).
inline __m128i MixBySourceAlpha(__m128i dv, __m128i sv)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i s0 = _mm_unpacklo_epi8(sv, zero);
    const __m128i s1 = _mm_unpackhi_epi8(sv, zero);
    const __m128i lo = MixLanes(_mm_unpacklo_epi8(dv, zero), s0, BroadcastAlpha16(s0));
    const __m128i hi = MixLanes(_mm_unpackhi_epi8(dv, zero), s1, BroadcastAlpha16(s1));
    return _mm_or_si128(_mm_packus_epi16(lo, hi), AlphaByte());
}

// The tinted rule on two widened pixels over an opaque destination, where the
// weight equals the scaled source alpha.
inline __m128i TintLanes(__m128i d16, __m128i s16, __m128i c16, __m128i ca16)
{
    const __m128i w = Div255(_mm_mullo_epi16(BroadcastAlpha16(s16), ca16));
    const __m128i sw = _mm_mullo_epi16(s16, w);
    const __m128i high = _mm_mulhi_epu16(sw, c16);
    const __m128i low = _mm_mullo_epi16(sw, c16);
    const __m128i b = _mm_mullo_epi16(d16, _mm_sub_epi16(_mm_set1_epi16(256), w));
    // (s·w·c + b·256) >> 16 == high + (((low >> 8) + b) >> 8), all in 16 bits.
    const __m128i together = _mm_add_epi16(high, _mm_srli_epi16(_mm_add_epi16(_mm_srli_epi16(low, 8), b), 8));
    const __m128i apart = _mm_add_epi16(high, _mm_srli_epi16(b, 8));
    return Select(BlueLanes(), apart, together);
}

// Additive terms of four pixels: channels times per-lane multipliers m16
// (>> 8), then times the pixel alpha (>> 8) when weighted; alpha byte 0. The
// channels sit in the high byte of each lane (c · 256), so that one unsigned
// high multiply gives (c · x) >> 8.
inline __m128i AdditiveTermsOf(__m128i sv, __m128i m16, bool scaled, bool weighted)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i s0 = _mm_unpacklo_epi8(zero, sv);
    __m128i s1 = _mm_unpackhi_epi8(zero, sv);
    // Alpha · 256 in every lane of its pixel.
    const __m128i a0 = BroadcastAlpha16(s0);
    const __m128i a1 = BroadcastAlpha16(s1);
    if (scaled) {
        // (c · m) >> 8; the alpha lane's multiplier is 0.
        s0 = _mm_mulhi_epu16(s0, m16);
        s1 = _mm_mulhi_epu16(s1, m16);
        if (weighted) {
            s0 = _mm_mulhi_epu16(s0, a0);
            s1 = _mm_mulhi_epu16(s1, a1);
        }
        return _mm_packus_epi16(s0, s1);
    }
    if (weighted) {
        s0 = _mm_mulhi_epu16(s0, _mm_srli_epi16(a0, 8));
        s1 = _mm_mulhi_epu16(s1, _mm_srli_epi16(a1, 8));
        return _mm_and_si128(_mm_packus_epi16(s0, s1), ColourBytes());
    }
    return _mm_and_si128(sv, ColourBytes());
}

inline void AddRow(std::uint32_t* d, const std::uint32_t* s, int n, __m128i m16, bool scaled, bool weighted)
{
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i sv = Load(s + i);
        const __m128i transparent = _mm_cmpeq_epi32(Alphas(sv), zero);
        if (Lanes(transparent) == 0xF)
            continue;
        __m128i t = AdditiveTermsOf(sv, m16, scaled, weighted);
        if (!weighted)
            t = _mm_andnot_si128(transparent, t);
        Store(d + i, _mm_adds_epu8(Load(d + i), t));
    }
}

#endif

} // namespace

bool HasSimd()
{
    return QUILL_HAVE_SSE2 != 0;
}

void SetScalarOnly(bool scalarOnly)
{
    gScalarOnly.store(scalarOnly, std::memory_order_relaxed);
}

bool ScalarOnly()
{
    return gScalarOnly.load(std::memory_order_relaxed);
}

// ---- Scalar ----

namespace Scalar {

void OverOpaque(std::uint32_t* d, const std::uint32_t* s, int n)
{
    for (int i = 0; i < n; ++i)
        d[i] = Ref::OverOpaque(d[i], s[i]);
}

void OverOpaqueRuns(std::uint32_t* d, const std::uint32_t* s, const std::uint8_t* runs, int n)
{
    int i = 0;
    while (i < n) {
        const int run = std::min(static_cast<int>(runs[i]), n - i);
        const std::uint32_t a = s[i] >> 24;
        if (a == 255)
            std::memcpy(d + i, s + i, static_cast<std::size_t>(run) * sizeof(std::uint32_t));
        else if (a != 0)
            OverOpaque(d + i, s + i, run);
        i += run;
    }
}

void OverOpaqueTerms(std::uint32_t* d, const std::uint32_t* s, const std::uint64_t* terms, int n)
{
    for (int i = 0; i < n; ++i) {
        if ((s[i] >> 24) == 0)
            continue;
        const std::uint64_t t = terms[i];
        const auto inv = static_cast<std::uint32_t>(t >> 48);
        auto channel = [&](int shift, int lane) {
            const std::uint32_t dc = (d[i] >> shift) & 0xFF;
            return ((dc * inv + static_cast<std::uint32_t>((t >> (16 * lane)) & 0xFFFF)) >> 8) << shift;
        };
        d[i] = 0xFF000000u | channel(16, 2) | channel(8, 1) | channel(0, 0);
    }
}

void AddTerms(std::uint32_t* d, const std::uint32_t* terms, int n)
{
    for (int i = 0; i < n; ++i) {
        const std::uint32_t p = d[i];
        const std::uint32_t t = terms[i];
        d[i] = Ref::Pack(Ref::AlphaOf(p),
                         Ref::kAddClampTable[static_cast<std::size_t>(Ref::RedOf(p) + Ref::RedOf(t))],
                         Ref::kAddClampTable[static_cast<std::size_t>(Ref::GreenOf(p) + Ref::GreenOf(t))],
                         Ref::kAddClampTable[static_cast<std::size_t>(Ref::BlueOf(p) + Ref::BlueOf(t))]);
    }
}

void Composite(std::uint32_t* d, const std::uint32_t* s, int n)
{
    for (int i = 0; i < n; ++i)
        d[i] = Ref::Composite(d[i], s[i]);
}

void Tinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c)
{
    for (int i = 0; i < n; ++i)
        d[i] = Ref::Tinted(d[i], s[i], c);
}

void Additive(std::uint32_t* d, const std::uint32_t* s, int n, bool srcHasAlpha)
{
    for (int i = 0; i < n; ++i)
        d[i] = Ref::Additive(d[i], s[i], srcHasAlpha);
}

void AdditiveTinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c, bool srcHasAlpha)
{
    for (int i = 0; i < n; ++i)
        d[i] = Ref::AdditiveTinted(d[i], s[i], c, srcHasAlpha);
}

void Fill(std::uint32_t* d, int n, const Color& c)
{
    for (int i = 0; i < n; ++i)
        d[i] = Ref::Fill(d[i], c);
}

void Copy(std::uint32_t* d, const std::uint32_t* s, int n)
{
    if (n > 0)
        std::memcpy(d, s, static_cast<std::size_t>(n) * sizeof(std::uint32_t));
}

void OverOpaqueTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s,
                     const std::uint64_t* terms, std::ptrdiff_t sStride, int width, int height)
{
    for (int j = 0; j < height; ++j)
        OverOpaqueTerms(d + j * dStride, s + j * sStride, terms + j * sStride, width);
}

void AddTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* terms, std::ptrdiff_t tStride,
              int width, int height)
{
    for (int j = 0; j < height; ++j)
        AddTerms(d + j * dStride, terms + j * tStride, width);
}

void AdditiveTinted(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s, std::ptrdiff_t sStride,
                    int width, int height, const Color& c, bool srcHasAlpha)
{
    for (int j = 0; j < height; ++j)
        AdditiveTinted(d + j * dStride, s + j * sStride, width, c, srcHasAlpha);
}

void Fill(std::uint32_t* d, std::ptrdiff_t dStride, int width, int height, const Color& c)
{
    for (int j = 0; j < height; ++j)
        Fill(d + j * dStride, width, c);
}

} // namespace Scalar

// ---- Vector ----

namespace Simd {

#if QUILL_HAVE_SSE2

void OverOpaque(std::uint32_t* d, const std::uint32_t* s, int n)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(255);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i sv = Load(s + i);
        const __m128i alpha = Alphas(sv);
        const __m128i full = _mm_cmpeq_epi32(alpha, opaque);
        const int fullLanes = Lanes(full);
        if (fullLanes == 0xF) {
            Store(d + i, sv);
            continue;
        }
        const __m128i none = _mm_cmpeq_epi32(alpha, zero);
        if (Lanes(none) == 0xF)
            continue;
        const __m128i dv = Load(d + i);
        const __m128i mixed = MixBySourceAlpha(dv, sv);
        Store(d + i, Select(none, dv, Select(full, sv, mixed)));
    }
    Scalar::OverOpaque(d + i, s + i, n - i);
}

namespace {

// One row; inlined into both the row and the block forms.
inline void OverOpaqueTermsRow(std::uint32_t* d, const std::uint32_t* s, const std::uint64_t* terms, int n)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(255);
    // Keeps the destination weight lane out of the sum, so that alpha 0 leaves the alpha as it was.
    const __m128i colourLanes = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i sv = Load(s + i);
        const __m128i alpha = Alphas(sv);
        const __m128i none = _mm_cmpeq_epi32(alpha, zero);
        if (Lanes(none) == 0xF)
            continue;
        if (Lanes(_mm_cmpeq_epi32(alpha, opaque)) == 0xF) {
            Store(d + i, sv);
            continue;
        }
        const __m128i dv = Load(d + i);
        const __m128i t0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(terms + i));
        const __m128i t1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(terms + i + 2));
        const __m128i lo =
            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), BroadcastAlpha16(t0)),
                                         _mm_and_si128(t0, colourLanes)),
                           8);
        const __m128i hi =
            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), BroadcastAlpha16(t1)),
                                         _mm_and_si128(t1, colourLanes)),
                           8);
        Store(d + i, _mm_or_si128(_mm_packus_epi16(lo, hi), _mm_andnot_si128(none, AlphaByte())));
    }
    Scalar::OverOpaqueTerms(d + i, s + i, terms + i, n - i);
}

} // namespace

void OverOpaqueTerms(std::uint32_t* d, const std::uint32_t* s, const std::uint64_t* terms, int n)
{
    OverOpaqueTermsRow(d, s, terms, n);
}

namespace {

// One row; inlined into both the row and the block forms.
inline void AddTermsRow(std::uint32_t* d, const std::uint32_t* terms, int n)
{
    int i = 0;
    for (; i + 4 <= n; i += 4)
        Store(d + i, _mm_adds_epu8(Load(d + i), Load(terms + i)));
    Scalar::AddTerms(d + i, terms + i, n - i);
}

} // namespace

void AddTerms(std::uint32_t* d, const std::uint32_t* terms, int n)
{
    AddTermsRow(d, terms, n);
}

void Composite(std::uint32_t* d, const std::uint32_t* s, int n)
{
    const CompositeTables& tables = Tables();
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(255);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i sv = Load(s + i);
        const __m128i none = _mm_cmpeq_epi32(Alphas(sv), zero);
        if (Lanes(none) == 0xF)
            continue;
        const __m128i dv = Load(d + i);
        if (Lanes(_mm_cmpeq_epi32(Alphas(dv), opaque)) == 0xF) {
            // Opaque destination: new alpha 255 and weight = source alpha.
            Store(d + i, Select(none, dv, MixBySourceAlpha(dv, sv)));
            continue;
        }
        for (int k = i; k < i + 4; ++k)
            d[k] = CompositeByTable(tables, d[k], s[k]);
    }
    for (; i < n; ++i)
        d[i] = CompositeByTable(tables, d[i], s[i]);
}

void Tinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c)
{
    const CompositeTables& tables = Tables();
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(255);
    const __m128i c16 = _mm_set_epi16(0, static_cast<short>(c.mRed), static_cast<short>(c.mGreen),
                                      static_cast<short>(c.mBlue), 0, static_cast<short>(c.mRed),
                                      static_cast<short>(c.mGreen), static_cast<short>(c.mBlue));
    const __m128i ca16 = _mm_set1_epi16(static_cast<short>(c.mAlpha));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i sv = Load(s + i);
        if (Lanes(_mm_cmpeq_epi32(Alphas(sv), zero)) == 0xF)
            continue;
        const __m128i dv = Load(d + i);
        if (Lanes(_mm_cmpeq_epi32(Alphas(dv), opaque)) == 0xF) {
            const __m128i lo = TintLanes(_mm_unpacklo_epi8(dv, zero), _mm_unpacklo_epi8(sv, zero), c16, ca16);
            const __m128i hi = TintLanes(_mm_unpackhi_epi8(dv, zero), _mm_unpackhi_epi8(sv, zero), c16, ca16);
            Store(d + i, _mm_or_si128(_mm_packus_epi16(lo, hi), AlphaByte()));
            continue;
        }
        for (int k = i; k < i + 4; ++k)
            d[k] = TintedByTable(tables, d[k], s[k], c);
    }
    for (; i < n; ++i)
        d[i] = TintedByTable(tables, d[i], s[i], c);
}

void Additive(std::uint32_t* d, const std::uint32_t* s, int n, bool srcHasAlpha)
{
    AddRow(d, s, n, _mm_setzero_si128(), false, srcHasAlpha);
    const int done = n & ~3;
    Scalar::Additive(d + done, s + done, n - done, srcHasAlpha);
}

namespace {

// One row; inlined into both the row and the block forms.
inline void AdditiveTintedRow(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c,
                              bool srcHasAlpha)
{
    const int mr = c.mRed * c.mAlpha / 255;
    const int mg = c.mGreen * c.mAlpha / 255;
    const int mb = c.mBlue * c.mAlpha / 255;
    const __m128i m16 =
        _mm_set_epi16(0, static_cast<short>(mr), static_cast<short>(mg), static_cast<short>(mb), 0,
                      static_cast<short>(mr), static_cast<short>(mg), static_cast<short>(mb));
    AddRow(d, s, n, m16, true, srcHasAlpha);
    const int done = n & ~3;
    Scalar::AdditiveTinted(d + done, s + done, n - done, c, srcHasAlpha);
}

} // namespace

void AdditiveTinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c, bool srcHasAlpha)
{
    AdditiveTintedRow(d, s, n, c, srcHasAlpha);
}

void Fill(std::uint32_t* d, int n, const Color& c)
{
    const std::uint32_t packed = c.ToInt();
    int i = 0;
    if (c.mAlpha == 255) {
        const __m128i v = _mm_set1_epi32(static_cast<int>(packed));
        for (; i + 4 <= n; i += 4)
            Store(d + i, v);
        for (; i < n; ++i)
            d[i] = packed;
        return;
    }
    if (c.mAlpha <= 0)
        return;
    const CompositeTables& tables = Tables();
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(255);
    // Over an opaque pixel the weight is the colour's alpha: the colour's terms
    // are constant (blue's low byte cleared, as in OverTerms).
    const int a = c.mAlpha;
    const __m128i inv = _mm_set1_epi16(static_cast<short>(256 - a));
    const auto qb = static_cast<short>((c.mBlue * a) & 0xFF00);
    const auto qg = static_cast<short>(c.mGreen * a);
    const auto qr = static_cast<short>(c.mRed * a);
    const __m128i q = _mm_set_epi16(0, qr, qg, qb, 0, qr, qg, qb);
    for (; i + 4 <= n; i += 4) {
        const __m128i dv = Load(d + i);
        if (Lanes(_mm_cmpeq_epi32(Alphas(dv), opaque)) == 0xF) {
            const __m128i lo =
                _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), inv), q), 8);
            const __m128i hi =
                _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), inv), q), 8);
            Store(d + i, _mm_or_si128(_mm_packus_epi16(lo, hi), AlphaByte()));
            continue;
        }
        for (int k = i; k < i + 4; ++k)
            d[k] = CompositeByTable(tables, d[k], packed);
    }
    for (; i < n; ++i)
        d[i] = CompositeByTable(tables, d[i], packed);
}

void Copy(std::uint32_t* d, const std::uint32_t* s, int n)
{
    Scalar::Copy(d, s, n);
}

// Rows of a blit lie a whole image width apart, too far apart for the hardware
// to guess; asking for a destination row ahead while this one is blended keeps
// the blend from waiting on memory.
constexpr int kPrefetchRows = 2;

inline void PrefetchRow(const std::uint32_t* row, int width)
{
    const char* first = reinterpret_cast<const char*>(row);
    const char* last = reinterpret_cast<const char*>(row + width - 1);
    for (const char* line = first; line < last; line += 64)
        _mm_prefetch(line, _MM_HINT_T0);
    _mm_prefetch(last, _MM_HINT_T0);
}

// The rows the loop itself does not ask for ahead.
inline void PrefetchFirstRows(const std::uint32_t* d, std::ptrdiff_t dStride, int width, int height)
{
    for (int j = 1; j < kPrefetchRows && j < height; ++j)
        PrefetchRow(d + j * dStride, width);
}

void OverOpaqueTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s,
                     const std::uint64_t* terms, std::ptrdiff_t sStride, int width, int height)
{
    PrefetchFirstRows(d, dStride, width, height);
    for (int j = 0; j < height; ++j) {
        if (j + kPrefetchRows < height)
            PrefetchRow(d + (j + kPrefetchRows) * dStride, width);
        OverOpaqueTermsRow(d + j * dStride, s + j * sStride, terms + j * sStride, width);
    }
}

void AddTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* terms, std::ptrdiff_t tStride,
              int width, int height)
{
    // A bare saturating add gains nothing from asking for rows ahead: the
    // requests cost more than the waits they save.
    for (int j = 0; j < height; ++j)
        AddTermsRow(d + j * dStride, terms + j * tStride, width);
}

void AdditiveTinted(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s, std::ptrdiff_t sStride,
                    int width, int height, const Color& c, bool srcHasAlpha)
{
    PrefetchFirstRows(d, dStride, width, height);
    for (int j = 0; j < height; ++j) {
        if (j + kPrefetchRows < height)
            PrefetchRow(d + (j + kPrefetchRows) * dStride, width);
        AdditiveTintedRow(d + j * dStride, s + j * sStride, width, c, srcHasAlpha);
    }
}

void Fill(std::uint32_t* d, std::ptrdiff_t dStride, int width, int height, const Color& c)
{
    if (c.mAlpha != 255)
        PrefetchFirstRows(d, dStride, width, height);
    for (int j = 0; j < height; ++j) {
        // An opaque fill never reads the pixels.
        if (c.mAlpha != 255 && j + kPrefetchRows < height)
            PrefetchRow(d + (j + kPrefetchRows) * dStride, width);
        Fill(d + j * dStride, width, c);
    }
}

#else

void OverOpaque(std::uint32_t* d, const std::uint32_t* s, int n)
{
    Scalar::OverOpaque(d, s, n);
}
void OverOpaqueTerms(std::uint32_t* d, const std::uint32_t* s, const std::uint64_t* terms, int n)
{
    Scalar::OverOpaqueTerms(d, s, terms, n);
}
void AddTerms(std::uint32_t* d, const std::uint32_t* terms, int n)
{
    Scalar::AddTerms(d, terms, n);
}
void Composite(std::uint32_t* d, const std::uint32_t* s, int n)
{
    const CompositeTables& tables = Tables();
    for (int i = 0; i < n; ++i)
        d[i] = CompositeByTable(tables, d[i], s[i]);
}
void Tinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c)
{
    const CompositeTables& tables = Tables();
    for (int i = 0; i < n; ++i)
        d[i] = TintedByTable(tables, d[i], s[i], c);
}
void Additive(std::uint32_t* d, const std::uint32_t* s, int n, bool srcHasAlpha)
{
    Scalar::Additive(d, s, n, srcHasAlpha);
}
void AdditiveTinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c, bool srcHasAlpha)
{
    Scalar::AdditiveTinted(d, s, n, c, srcHasAlpha);
}
void Fill(std::uint32_t* d, int n, const Color& c)
{
    Scalar::Fill(d, n, c);
}
void Copy(std::uint32_t* d, const std::uint32_t* s, int n)
{
    Scalar::Copy(d, s, n);
}

void OverOpaqueTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s,
                     const std::uint64_t* terms, std::ptrdiff_t sStride, int width, int height)
{
    Scalar::OverOpaqueTerms(d, dStride, s, terms, sStride, width, height);
}
void AddTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* terms, std::ptrdiff_t tStride,
              int width, int height)
{
    Scalar::AddTerms(d, dStride, terms, tStride, width, height);
}
void AdditiveTinted(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s, std::ptrdiff_t sStride,
                    int width, int height, const Color& c, bool srcHasAlpha)
{
    Scalar::AdditiveTinted(d, dStride, s, sStride, width, height, c, srcHasAlpha);
}
void Fill(std::uint32_t* d, std::ptrdiff_t dStride, int width, int height, const Color& c)
{
    Scalar::Fill(d, dStride, width, height, c);
}

#endif

} // namespace Simd

// ---- Dispatch ----

void OverOpaque(std::uint32_t* d, const std::uint32_t* s, int n)
{
    ScalarOnly() ? Scalar::OverOpaque(d, s, n) : Simd::OverOpaque(d, s, n);
}
void OverOpaqueTerms(std::uint32_t* d, const std::uint32_t* s, const std::uint64_t* terms, int n)
{
    ScalarOnly() ? Scalar::OverOpaqueTerms(d, s, terms, n) : Simd::OverOpaqueTerms(d, s, terms, n);
}
void AddTerms(std::uint32_t* d, const std::uint32_t* terms, int n)
{
    ScalarOnly() ? Scalar::AddTerms(d, terms, n) : Simd::AddTerms(d, terms, n);
}
void Composite(std::uint32_t* d, const std::uint32_t* s, int n)
{
    ScalarOnly() ? Scalar::Composite(d, s, n) : Simd::Composite(d, s, n);
}
void Tinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c)
{
    ScalarOnly() ? Scalar::Tinted(d, s, n, c) : Simd::Tinted(d, s, n, c);
}
void Additive(std::uint32_t* d, const std::uint32_t* s, int n, bool srcHasAlpha)
{
    ScalarOnly() ? Scalar::Additive(d, s, n, srcHasAlpha) : Simd::Additive(d, s, n, srcHasAlpha);
}
void AdditiveTinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c, bool srcHasAlpha)
{
    ScalarOnly() ? Scalar::AdditiveTinted(d, s, n, c, srcHasAlpha)
                 : Simd::AdditiveTinted(d, s, n, c, srcHasAlpha);
}
void Fill(std::uint32_t* d, int n, const Color& c)
{
    ScalarOnly() ? Scalar::Fill(d, n, c) : Simd::Fill(d, n, c);
}
void Copy(std::uint32_t* d, const std::uint32_t* s, int n)
{
    Scalar::Copy(d, s, n);
}

void OverOpaqueTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s,
                     const std::uint64_t* terms, std::ptrdiff_t sStride, int width, int height)
{
    ScalarOnly() ? Scalar::OverOpaqueTerms(d, dStride, s, terms, sStride, width, height)
                 : Simd::OverOpaqueTerms(d, dStride, s, terms, sStride, width, height);
}
void AddTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* terms, std::ptrdiff_t tStride,
              int width, int height)
{
    ScalarOnly() ? Scalar::AddTerms(d, dStride, terms, tStride, width, height)
                 : Simd::AddTerms(d, dStride, terms, tStride, width, height);
}
void AdditiveTinted(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s, std::ptrdiff_t sStride,
                    int width, int height, const Color& c, bool srcHasAlpha)
{
    ScalarOnly() ? Scalar::AdditiveTinted(d, dStride, s, sStride, width, height, c, srcHasAlpha)
                 : Simd::AdditiveTinted(d, dStride, s, sStride, width, height, c, srcHasAlpha);
}

void Fill(std::uint32_t* d, std::ptrdiff_t dStride, int width, int height, const Color& c)
{
    ScalarOnly() ? Scalar::Fill(d, dStride, width, height, c) : Simd::Fill(d, dStride, width, height, c);
}

} // namespace Quill::PixelKernels
