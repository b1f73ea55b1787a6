#include "graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <typeinfo>
#include <vector>

#include "graphics/BlendReference.h"
#include "graphics/ImageRegistry.h"
#include "graphics/PixelKernels.h"

namespace Quill {

namespace {

namespace Kernels = PixelKernels;

// Colours are meant to hold 0..255 per component; out-of-range values would
// spill into neighbouring channels once packed.
Color Clamped(const Color& c)
{
    return Color(std::clamp(c.mRed, 0, 255), std::clamp(c.mGreen, 0, 255), std::clamp(c.mBlue, 0, 255),
                 std::clamp(c.mAlpha, 0, 255));
}

// The image as a software image, or none. Most sources are plain software
// images, which a type comparison recognises faster than a cast search.
MemoryImage* AsMemoryImage(Image* image)
{
    if (image != nullptr && typeid(*image) == typeid(MemoryImage))
        return static_cast<MemoryImage*>(image);
    return dynamic_cast<MemoryImage*>(image);
}

// Alpha class of a pixel for the alpha run lengths: 0 transparent, 1 opaque, 2 partial.
int AlphaClass(std::uint32_t p)
{
    const std::uint32_t a = p >> 24;
    return a == 0 ? 0 : (a == 255 ? 1 : 2);
}

// Run lengths of one row of classes: pixels from each to the end of its run, at most 255.
template <class ClassOf>
void BuildRuns(std::uint8_t* out, int width, ClassOf&& classOf)
{
    if (width <= 0)
        return;
    int run = 1;
    int next = classOf(width - 1);
    out[width - 1] = 1;
    for (int x = width - 2; x >= 0; --x) {
        const int cls = classOf(x);
        run = cls == next ? std::min(run + 1, 255) : 1;
        out[x] = static_cast<std::uint8_t>(run);
        next = cls;
    }
}

// One channel of a premultiplied native pixel.
std::uint32_t NativeChannel(std::uint32_t value, std::uint32_t alpha, const PixelFormat::Channel& ch)
{
    std::uint32_t v = (value * (alpha + 1)) >> 8;
    if (ch.mBits < 8)
        v >>= (8 - std::max(ch.mBits, 0));
    else if (ch.mBits > 8)
        v <<= std::min(ch.mBits - 8, 24);
    return (v << std::clamp(ch.mShift, 0, 31)) & ch.mMask;
}

std::uint32_t ToNative(std::uint32_t p, const PixelFormat& format)
{
    const std::uint32_t a = p >> 24;
    return (a << 24) | NativeChannel((p >> 16) & 0xFF, a, format.mRed) |
           NativeChannel((p >> 8) & 0xFF, a, format.mGreen) | NativeChannel(p & 0xFF, a, format.mBlue);
}

// Blends one row of ready source pixels by the rules of a draw mode and colour.
// opaqueDest selects the untinted opaque-destination rule (copy, skip, blend).
void BlendRow(std::uint32_t* d, const std::uint32_t* s, int n, const Color& color, int drawMode,
              bool srcHasAlpha, bool opaqueDest)
{
    const bool white = color == Color::White;
    if (drawMode == DRAWMODE_ADDITIVE) {
        if (white)
            Kernels::Additive(d, s, n, srcHasAlpha);
        else
            Kernels::AdditiveTinted(d, s, n, color, srcHasAlpha);
    } else if (!white) {
        Kernels::Tinted(d, s, n, color);
    } else if (opaqueDest) {
        Kernels::OverOpaque(d, s, n);
    } else {
        Kernels::Composite(d, s, n);
    }
}

// Premultiplied channels of a pixel, for filtering.
struct Premul {
    std::uint32_t a = 0;
    std::uint32_t r = 0;
    std::uint32_t g = 0;
    std::uint32_t b = 0;
};

// Source pixels (and weights summing to kFilterWeight) that make one filtered pixel.
struct Taps {
    int first = 0;
    std::vector<int> weights;
};

// Weights of the smooth filter along one axis sum to this.
constexpr int kFilterWeight = 257;

// Filter taps for each of count destination pixels covering the source
// interval [start, start + length), reading only source pixels lo .. hi − 1.
std::vector<Taps> BuildTaps(double start, double length, int count, int lo, int hi)
{
    std::vector<Taps> taps(static_cast<std::size_t>(count));
    const double scale = length / count;
    for (int i = 0; i < count; ++i) {
        Taps& t = taps[static_cast<std::size_t>(i)];
        const double a = start + i * scale;
        const double b = a + scale;
        if (scale <= 1.0) {
            // Enlarging: linear between the two source pixels around the centre.
            const double centre = (a + b) * 0.5 - 0.5;
            int p0 = static_cast<int>(std::floor(centre));
            int w1 = static_cast<int>(std::lround((centre - p0) * kFilterWeight));
            int w0 = kFilterWeight - w1;
            int p1 = p0 + 1;
            p0 = std::clamp(p0, lo, hi - 1);
            p1 = std::clamp(p1, lo, hi - 1);
            if (p0 == p1) {
                w0 = kFilterWeight;
                w1 = 0;
            }
            t.first = p0;
            t.weights = {w0};
            if (w1 > 0)
                t.weights.push_back(w1);
        } else {
            // Reducing: every covered source pixel weighted by its coverage.
            const int j0 = std::clamp(static_cast<int>(std::floor(a)), lo, hi - 1);
            const int j1 = std::clamp(static_cast<int>(std::ceil(b)) - 1, j0, hi - 1);
            t.first = j0;
            int sum = 0;
            int largest = 0;
            for (int j = j0; j <= j1; ++j) {
                const double cover =
                    std::max(0.0, std::min(b, j + 1.0) - std::max(a, static_cast<double>(j)));
                const int w = static_cast<int>(cover / scale * kFilterWeight);
                t.weights.push_back(w);
                sum += w;
                if (w > t.weights[static_cast<std::size_t>(largest)])
                    largest = j - j0;
            }
            t.weights[static_cast<std::size_t>(largest)] += kFilterWeight - sum;
        }
    }
    return taps;
}

// Bilinear sample of a source region (pixels outside it are transparent) at a
// position in pixel-centre coordinates; the result is a straight-alpha pixel.
std::uint32_t SampleBilinear(const MemoryImage& src, const Rect& region, double u, double v)
{
    const double fx = u - 0.5;
    const double fy = v - 0.5;
    const int x0 = static_cast<int>(std::floor(fx));
    const int y0 = static_cast<int>(std::floor(fy));
    const int wx = static_cast<int>(std::lround((fx - x0) * 256.0));
    const int wy = static_cast<int>(std::lround((fy - y0) * 256.0));
    std::uint64_t a = 0;
    std::uint64_t r = 0;
    std::uint64_t g = 0;
    std::uint64_t b = 0;
    for (int k = 0; k < 4; ++k) {
        const int px = region.mX + x0 + (k & 1);
        const int py = region.mY + y0 + (k >> 1);
        const int w = ((k & 1) ? wx : 256 - wx) * ((k >> 1) ? wy : 256 - wy);
        if (w == 0 || px < region.mX || py < region.mY || px >= region.mX + region.mWidth ||
            py >= region.mY + region.mHeight)
            continue;
        const std::uint32_t p = src.GetPixel(px, py);
        const std::uint64_t pa = p >> 24;
        a += w * pa;
        r += w * pa * ((p >> 16) & 0xFF);
        g += w * pa * ((p >> 8) & 0xFF);
        b += w * pa * (p & 0xFF);
    }
    const std::uint64_t total = 65536;
    const std::uint64_t alpha = (a + total / 2) / total;
    if (alpha == 0 || a == 0)
        return 0;
    return BlendReference::Pack(static_cast<int>(std::min<std::uint64_t>(alpha, 255)),
                                static_cast<int>(std::min<std::uint64_t>((r + a / 2) / a, 255)),
                                static_cast<int>(std::min<std::uint64_t>((g + a / 2) / a, 255)),
                                static_cast<int>(std::min<std::uint64_t>((b + a / 2) / a, 255)));
}

// Where a stretched blit lands on the destination (clipped to it) and which
// source span that part reads: the fractional start and size on each axis, and
// the source pixels reads are kept within. None when nothing is drawn.
struct StretchArea {
    Rect clipped;
    double sx;
    double sy;
    double sw;
    double sh;
    Rect region;
};

std::optional<StretchArea> StretchAreaFor(const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                                          const MemoryImage& dest, const MemoryImage& src)
{
    StretchArea area{};
    area.clipped =
        destRect.Intersection(clipRect).Intersection(Rect(0, 0, dest.GetWidth(), dest.GetHeight()));
    const Rect& clipped = area.clipped;
    if (clipped.mWidth <= 0 || clipped.mHeight <= 0)
        return std::nullopt;
    area.sx = srcRect.mX + static_cast<double>(clipped.mX - destRect.mX) * srcRect.mWidth / destRect.mWidth;
    area.sy = srcRect.mY + static_cast<double>(clipped.mY - destRect.mY) * srcRect.mHeight / destRect.mHeight;
    area.sw = static_cast<double>(clipped.mWidth) * srcRect.mWidth / destRect.mWidth;
    area.sh = static_cast<double>(clipped.mHeight) * srcRect.mHeight / destRect.mHeight;
    if (area.sw <= 0.0 || area.sh <= 0.0)
        return std::nullopt;
    // Reads stay inside both the source rectangle and the source image.
    area.region = srcRect.Intersection(Rect(0, 0, src.GetWidth(), src.GetHeight()));
    if (area.region.mWidth <= 0 || area.region.mHeight <= 0)
        return std::nullopt;
    return area;
}

} // namespace

MemoryImage::MemoryImage() : MemoryImage(ImageRegistry::Installed()) {}

MemoryImage::MemoryImage(ImageRegistry* registry)
{
    JoinRegistry(registry);
}

MemoryImage::MemoryImage(const MemoryImage& other)
    : Image(other), mBitsChangedCount(other.mBitsChangedCount), mD3DFlags(other.mD3DFlags),
      mForcedMode(other.mForcedMode), mHasTrans(other.mHasTrans), mHasAlpha(other.mHasAlpha),
      mIsVolatile(other.mIsVolatile), mBitsChanged(other.mBitsChanged)
{
    const std::size_t count = other.GetPixelCount();
    if (other.mBits) {
        mBits = std::make_unique<std::uint32_t[]>(count + 1);
        std::memcpy(mBits.get(), other.mBits.get(), (count + 1) * sizeof(std::uint32_t));
        mBits[count] = kGuardWord;
    }
    if (other.IsPalettized()) {
        mColorTable = std::make_unique<std::uint32_t[]>(256);
        std::memcpy(mColorTable.get(), other.mColorTable.get(), 256 * sizeof(std::uint32_t));
        mColorIndices = std::make_unique<std::uint8_t[]>(count);
        if (count != 0)
            std::memcpy(mColorIndices.get(), other.mColorIndices.get(), count);
    }
    JoinRegistry(other.mRegistry);
}

MemoryImage::~MemoryImage()
{
    if (mRegistry != nullptr)
        mRegistry->RemoveImage(this);
}

void MemoryImage::JoinRegistry(ImageRegistry* registry)
{
    if (mRegistry != nullptr)
        mRegistry->RemoveImage(this);
    mRegistry = registry;
    if (mRegistry != nullptr)
        mRegistry->AddImage(this);
}

std::size_t MemoryImage::GetPixelCount() const
{
    if (mWidth <= 0 || mHeight <= 0)
        return 0;
    return static_cast<std::size_t>(mWidth) * static_cast<std::size_t>(mHeight);
}

std::uint32_t MemoryImage::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
        return 0;
    const std::size_t i =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) + static_cast<std::size_t>(x);
    if (mBits)
        return mBits[i];
    if (IsPalettized())
        return mColorTable[mColorIndices[i]];
    return 0;
}

bool MemoryImage::GuardIntact() const
{
    return !mBits || mBits[GetPixelCount()] == kGuardWord;
}

// ---- Pixels and flags ----

std::uint32_t* MemoryImage::GetBits()
{
    if (!mBits) {
        const std::size_t count = GetPixelCount();
        mBits = std::make_unique<std::uint32_t[]>(count + 1);
        mBits[count] = kGuardWord;
        if (IsPalettized()) {
            for (std::size_t i = 0; i < count; ++i)
                mBits[i] = mColorTable[mColorIndices[i]];
            mColorIndices.reset();
            mColorTable.reset();
            mNativeAlphaData.reset();
        }
    }
    return mBits.get();
}

void MemoryImage::BitsChanged()
{
    ++mBitsChangedCount;
    mBitsChanged = true;
    PurgeDerivedData();
}

void MemoryImage::BlendedIn()
{
    // Every blend of this image's drawing keeps an opaque pixel opaque, so an
    // image known to be wholly opaque stays so without a new scan.
    const bool staysOpaque = !mBitsChanged && !mForcedMode && !mHasTrans && !mHasAlpha;
    BitsChanged();
    if (staysOpaque)
        mBitsChanged = false;
}

void MemoryImage::CommitBits()
{
    if (!mBitsChanged || mForcedMode)
        return;
    mHasAlpha = false;
    mHasTrans = false;
    auto classify = [this](std::uint32_t p) {
        const std::uint32_t a = p >> 24;
        if (a == 0)
            mHasTrans = true;
        else if (a != 255)
            mHasAlpha = true;
    };
    if (IsPalettized()) {
        for (int i = 0; i < 256; ++i)
            classify(mColorTable[static_cast<std::size_t>(i)]);
    } else if (mBits) {
        const std::size_t count = GetPixelCount();
        for (std::size_t i = 0; i < count && !(mHasTrans && mHasAlpha); ++i)
            classify(mBits[i]);
    } else {
        mHasTrans = true;
    }
    mBitsChanged = false;
}

void MemoryImage::SetImageMode(bool hasTrans, bool hasAlpha)
{
    mHasTrans = hasTrans;
    mHasAlpha = hasAlpha;
    mForcedMode = true;
}

void MemoryImage::SetVolatile(bool isVolatile)
{
    mIsVolatile = isVolatile;
}

void MemoryImage::Clear()
{
    std::uint32_t* bits = GetBits();
    std::fill(bits, bits + GetPixelCount(), 0u);
    BitsChanged();
}

void MemoryImage::SetBits(const std::uint32_t* bits, int width, int height)
{
    mWidth = std::max(0, width);
    mHeight = std::max(0, height);
    mColorTable.reset();
    mColorIndices.reset();
    const std::size_t count = GetPixelCount();
    mBits = std::make_unique<std::uint32_t[]>(count + 1);
    if (bits != nullptr && count != 0)
        std::memcpy(mBits.get(), bits, count * sizeof(std::uint32_t));
    mBits[count] = kGuardWord;
    BitsChanged();
    CommitBits();
}

void MemoryImage::Create(int width, int height)
{
    mBits.reset();
    // A palette of the old size must not be expanded into the new one.
    mColorTable.reset();
    mColorIndices.reset();
    mWidth = std::max(0, width);
    mHeight = std::max(0, height);
    mHasTrans = true;
    mHasAlpha = true;
    BitsChanged();
}

bool MemoryImage::Palletize()
{
    if (IsPalettized())
        return true;
    if (!mBits)
        return false;
    const std::size_t count = GetPixelCount();
    auto table = std::make_unique<std::uint32_t[]>(256);
    auto indices = std::make_unique<std::uint8_t[]>(count);

    // Open-addressed colour → index map; 1024 slots keep it sparse for 256 colours.
    constexpr std::size_t kSlots = 1024;
    std::vector<std::uint32_t> keys(kSlots, 0);
    std::vector<std::int16_t> slots(kSlots, -1);
    int used = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = mBits[i];
        std::size_t h = (p * 2654435761u) >> 22;
        while (slots[h] >= 0 && keys[h] != p)
            h = (h + 1) & (kSlots - 1);
        if (slots[h] < 0) {
            if (used == 256)
                return false;
            keys[h] = p;
            slots[h] = static_cast<std::int16_t>(used);
            table[static_cast<std::size_t>(used)] = p;
            ++used;
        }
        indices[i] = static_cast<std::uint8_t>(slots[h]);
    }
    // Unused entries repeat a used colour so that scanning the whole table
    // finds only colours of the picture.
    for (int i = used; i < 256; ++i)
        table[static_cast<std::size_t>(i)] = used > 0 ? table[0] : 0;
    mColorTable = std::move(table);
    mColorIndices = std::move(indices);
    mBits.reset();
    mNativeAlphaData.reset();
    return true;
}

// ---- Derived data ----

const std::uint8_t* MemoryImage::GetRLAlphaData()
{
    if (mRLAlphaData)
        return mRLAlphaData.get();
    if (!IsPalettized())
        GetBits();
    const std::size_t count = GetPixelCount();
    mRLAlphaData = std::make_unique<std::uint8_t[]>(count == 0 ? 1 : count);
    for (int y = 0; y < mHeight; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth);
        if (mBits) {
            const std::uint32_t* bits = mBits.get() + row;
            BuildRuns(mRLAlphaData.get() + row, mWidth, [bits](int x) { return AlphaClass(bits[x]); });
        } else {
            const std::uint8_t* idx = mColorIndices.get() + row;
            const std::uint32_t* table = mColorTable.get();
            BuildRuns(mRLAlphaData.get() + row, mWidth,
                      [idx, table](int x) { return AlphaClass(table[idx[x]]); });
        }
    }
    return mRLAlphaData.get();
}

const std::uint32_t* MemoryImage::GetNativeAlphaData(const PixelFormat& format)
{
    if (mNativeAlphaData && mNativeFormat == format)
        return mNativeAlphaData.get();
    mNativeAlphaData.reset();
    mRLAdditiveData.reset();
    if (!IsPalettized())
        GetBits();
    const std::size_t count = GetPixelCount();
    mNativeAlphaData = std::make_unique<std::uint32_t[]>(count == 0 ? 1 : count);
    if (mBits) {
        for (std::size_t i = 0; i < count; ++i)
            mNativeAlphaData[i] = ToNative(mBits[i], format);
    } else {
        std::uint32_t table[256];
        for (int i = 0; i < 256; ++i)
            table[i] = ToNative(mColorTable[static_cast<std::size_t>(i)], format);
        for (std::size_t i = 0; i < count; ++i)
            mNativeAlphaData[i] = table[mColorIndices[i]];
    }
    mNativeFormat = format;
    return mNativeAlphaData.get();
}

const std::uint8_t* MemoryImage::GetRLAdditiveData(const PixelFormat& format)
{
    if (mRLAdditiveData && mNativeAlphaData && mNativeFormat == format)
        return mRLAdditiveData.get();
    const std::uint32_t* native = GetNativeAlphaData(format);
    const std::size_t count = GetPixelCount();
    mRLAdditiveData = std::make_unique<std::uint8_t[]>(count == 0 ? 1 : count);
    for (int y = 0; y < mHeight; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth);
        const std::uint32_t* px = native + row;
        BuildRuns(mRLAdditiveData.get() + row, mWidth,
                  [px](int x) { return (px[x] & 0x00FFFFFF) != 0 ? 1 : 0; });
    }
    return mRLAdditiveData.get();
}

void MemoryImage::PurgeDerivedData()
{
    mNativeAlphaData.reset();
    mRLAlphaData.reset();
    mRLAdditiveData.reset();
    mAdditiveTerms.reset();
    mOverTerms.reset();
}

const std::uint64_t* MemoryImage::GetOverTerms()
{
    if (mOverTerms)
        return mOverTerms.get();
    const std::size_t count = GetPixelCount();
    mOverTerms = std::make_unique<std::uint64_t[]>(count == 0 ? 1 : count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = mBits ? mBits[i] : (IsPalettized() ? mColorTable[mColorIndices[i]] : 0u);
        mOverTerms[i] = BlendReference::OverTerms(p);
    }
    return mOverTerms.get();
}

const std::uint32_t* MemoryImage::GetAdditiveTerms()
{
    CommitBits();
    if (mAdditiveTerms && mAdditiveTermsHaveAlpha == mHasAlpha)
        return mAdditiveTerms.get();
    const std::size_t count = GetPixelCount();
    mAdditiveTerms = std::make_unique<std::uint32_t[]>(count == 0 ? 1 : count);
    mAdditiveTermsHaveAlpha = mHasAlpha;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = mBits ? mBits[i] : (IsPalettized() ? mColorTable[mColorIndices[i]] : 0u);
        mAdditiveTerms[i] = BlendReference::AdditiveTerms(p, mHasAlpha);
    }
    return mAdditiveTerms.get();
}

void MemoryImage::DeleteExtraBuffers()
{
    if (mRegistry != nullptr)
        mRegistry->DeleteExtraBuffers(this);
}

void MemoryImage::DeleteAllNonSourceData()
{
    PurgeDerivedData();
    DeleteExtraBuffers();
}

void MemoryImage::DeleteNativeData()
{
    mNativeAlphaData.reset();
    mRLAdditiveData.reset();
}

// ---- Drawing ----

void MemoryImage::FillRect(const Rect& rect, const Color& color, int)
{
    const Rect r = rect.Intersection(Rect(0, 0, mWidth, mHeight));
    const Color c = Clamped(color);
    if (r.mWidth <= 0 || r.mHeight <= 0 || c.mAlpha == 0)
        return;
    Kernels::Fill(GetBits() + static_cast<std::size_t>(r.mY) * static_cast<std::size_t>(mWidth) +
                      static_cast<std::size_t>(r.mX),
                  mWidth, r.mWidth, r.mHeight, c);
    BlendedIn();
}

void MemoryImage::ClearRect(const Rect& rect)
{
    const Rect r = rect.Intersection(Rect(0, 0, mWidth, mHeight));
    if (r.mWidth <= 0 || r.mHeight <= 0)
        return;
    std::uint32_t* bits = GetBits();
    for (int y = r.mY; y < r.mY + r.mHeight; ++y) {
        std::uint32_t* row = bits + static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) + r.mX;
        std::fill(row, row + r.mWidth, 0u);
    }
    BitsChanged();
}

const std::uint32_t* MemoryImage::SourceRow(int x, int y, int width, std::uint32_t* buffer) const
{
    const std::size_t start =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) + static_cast<std::size_t>(x);
    if (mBits)
        return mBits.get() + start;
    for (int i = 0; i < width; ++i)
        buffer[i] = mColorTable[mColorIndices[start + static_cast<std::size_t>(i)]];
    return buffer;
}

void MemoryImage::Blt(Image* image, int x, int y, const Rect& givenSrcRect, const Color& color, int drawMode)
{
    x = Rect::Bound(x);
    y = Rect::Bound(y);
    const Rect srcRect = givenSrcRect.Bounded();
    auto* src = AsMemoryImage(image);
    if (src == nullptr || (drawMode != DRAWMODE_NORMAL && drawMode != DRAWMODE_ADDITIVE))
        return;
    if (!src->mBits && !src->IsPalettized())
        return;
    // Callers clip, but a rectangle reaching outside either image must never
    // read or write outside the pixels: keep both inside, moving the position along.
    Rect s = srcRect.Intersection(Rect(0, 0, src->mWidth, src->mHeight));
    int dx = x + (s.mX - srcRect.mX);
    int dy = y + (s.mY - srcRect.mY);
    const Rect d = Rect(dx, dy, s.mWidth, s.mHeight).Intersection(Rect(0, 0, mWidth, mHeight));
    s = Rect(s.mX + (d.mX - dx), s.mY + (d.mY - dy), d.mWidth, d.mHeight);
    if (s.mWidth <= 0 || s.mHeight <= 0)
        return;
    const Color c = Clamped(color);
    if (c.mAlpha == 0 && drawMode == DRAWMODE_NORMAL)
        return;
    if (src == this) {
        // Drawing an image onto itself reads a copy, so overlapping rows are not read after being written.
        // The copy blends by this image's flags, brought up to date first.
        CommitBits();
        MemoryImage copy(static_cast<ImageRegistry*>(nullptr));
        copy.Create(s.mWidth, s.mHeight);
        std::uint32_t* bits = copy.GetBits();
        for (int j = 0; j < s.mHeight; ++j)
            for (int i = 0; i < s.mWidth; ++i)
                bits[static_cast<std::size_t>(j) * static_cast<std::size_t>(s.mWidth) +
                     static_cast<std::size_t>(i)] = GetPixel(s.mX + i, s.mY + j);
        copy.BitsChanged();
        copy.mHasAlpha = mHasAlpha;
        copy.mHasTrans = mHasTrans;
        copy.mForcedMode = true;
        Blt(&copy, d.mX, d.mY, Rect(0, 0, s.mWidth, s.mHeight), c, drawMode);
        return;
    }
    if (drawMode == DRAWMODE_NORMAL)
        NormalBlt(src, d.mX, d.mY, s, c);
    else
        AdditiveBlt(src, d.mX, d.mY, s, c);
    BlendedIn();
}

void MemoryImage::NormalBlt(MemoryImage* src, int x, int y, const Rect& srcRect, const Color& color)
{
    CommitBits();
    std::uint32_t* bits = GetBits();
    const int w = srcRect.mWidth;
    std::vector<std::uint32_t> buffer(src->mBits ? 0 : static_cast<std::size_t>(w));
    const bool white = color == Color::White;

    if (white && !mHasTrans && !mHasAlpha) {
        // Opaque destination: opaque runs are copied, transparent ones skipped, the rest blended.
        src->CommitBits();
        if (src->mBits && !src->mForcedMode && !src->mHasTrans && !src->mHasAlpha) {
            // Every source pixel is opaque (the flags were computed from the pixels): plain copies,
            // one for the whole block when the rows lie back to back in both images.
            const std::size_t rowBytes = static_cast<std::size_t>(w) * sizeof(std::uint32_t);
            const std::uint32_t* s =
                src->mBits.get() +
                static_cast<std::size_t>(srcRect.mY) * static_cast<std::size_t>(src->mWidth) +
                static_cast<std::size_t>(srcRect.mX);
            std::uint32_t* d = bits + static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) +
                               static_cast<std::size_t>(x);
            if (w == mWidth && w == src->mWidth) {
                std::memcpy(d, s, rowBytes * static_cast<std::size_t>(srcRect.mHeight));
                return;
            }
            for (int j = 0; j < srcRect.mHeight; ++j)
                std::memcpy(d + static_cast<std::size_t>(j) * static_cast<std::size_t>(mWidth),
                            s + static_cast<std::size_t>(j) * static_cast<std::size_t>(src->mWidth),
                            rowBytes);
            return;
        }
        if (Kernels::ScalarOnly()) {
            // The rule as stated: walk the source's alpha runs.
            const std::uint8_t* runs = src->GetRLAlphaData();
            for (int j = 0; j < srcRect.mHeight; ++j) {
                const int sy = srcRect.mY + j;
                const std::size_t at = static_cast<std::size_t>(sy) * static_cast<std::size_t>(src->mWidth) +
                                       static_cast<std::size_t>(srcRect.mX);
                Kernels::Scalar::OverOpaqueRuns(
                    bits + static_cast<std::size_t>(y + j) * static_cast<std::size_t>(mWidth) +
                        static_cast<std::size_t>(x),
                    src->SourceRow(srcRect.mX, sy, w, buffer.data()), runs + at, w);
            }
            return;
        }
        // Vector form: whole blocks of four are skipped or copied when their
        // alphas allow, the rest blended from the prepared terms.
        const std::uint64_t* terms = src->GetOverTerms();
        const std::size_t at = static_cast<std::size_t>(srcRect.mY) * static_cast<std::size_t>(src->mWidth) +
                               static_cast<std::size_t>(srcRect.mX);
        std::uint32_t* d = bits + static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) +
                           static_cast<std::size_t>(x);
        if (src->mBits) {
            Kernels::Simd::OverOpaqueTerms(d, mWidth, src->mBits.get() + at, terms + at, src->mWidth, w,
                                           srcRect.mHeight);
            return;
        }
        for (int j = 0; j < srcRect.mHeight; ++j)
            Kernels::Simd::OverOpaqueTerms(
                d + static_cast<std::size_t>(j) * static_cast<std::size_t>(mWidth),
                src->SourceRow(srcRect.mX, srcRect.mY + j, w, buffer.data()),
                terms + at + static_cast<std::size_t>(j) * static_cast<std::size_t>(src->mWidth), w);
        return;
    }
    for (int j = 0; j < srcRect.mHeight; ++j) {
        const std::uint32_t* s = src->SourceRow(srcRect.mX, srcRect.mY + j, w, buffer.data());
        std::uint32_t* d = bits + static_cast<std::size_t>(y + j) * static_cast<std::size_t>(mWidth) +
                           static_cast<std::size_t>(x);
        if (white)
            Kernels::Composite(d, s, w);
        else
            Kernels::Tinted(d, s, w, color);
    }
}

void MemoryImage::AdditiveBlt(MemoryImage* src, int x, int y, const Rect& srcRect, const Color& color)
{
    src->CommitBits();
    const bool srcHasAlpha = src->mHasAlpha;
    std::uint32_t* bits = GetBits();
    const int w = srcRect.mWidth;
    if (color == Color::White) {
        // The terms depend only on the source: made once, then each blit is a saturating add.
        const std::uint32_t* terms = src->GetAdditiveTerms();
        Kernels::AddTerms(bits + static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) +
                              static_cast<std::size_t>(x),
                          mWidth,
                          terms +
                              static_cast<std::size_t>(srcRect.mY) * static_cast<std::size_t>(src->mWidth) +
                              static_cast<std::size_t>(srcRect.mX),
                          src->mWidth, w, srcRect.mHeight);
        return;
    }
    std::uint32_t* d =
        bits + static_cast<std::size_t>(y) * static_cast<std::size_t>(mWidth) + static_cast<std::size_t>(x);
    if (src->mBits) {
        Kernels::AdditiveTinted(
            d, mWidth,
            src->mBits.get() + static_cast<std::size_t>(srcRect.mY) * static_cast<std::size_t>(src->mWidth) +
                static_cast<std::size_t>(srcRect.mX),
            src->mWidth, w, srcRect.mHeight, color, srcHasAlpha);
        return;
    }
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(w));
    for (int j = 0; j < srcRect.mHeight; ++j)
        Kernels::AdditiveTinted(d + static_cast<std::size_t>(j) * static_cast<std::size_t>(mWidth),
                                src->SourceRow(srcRect.mX, srcRect.mY + j, w, buffer.data()), w, color,
                                srcHasAlpha);
}

void MemoryImage::BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                       const Color& color, int drawMode)
{
    BltRotated(image, x, y, srcRect, clipRect, color, drawMode, 0.0, 0.0f, 0.0f);
}

void MemoryImage::BltRotated(Image* image, float x, float y, const Rect& givenSrcRect, const Rect& clipRect,
                             const Color& color, int drawMode, double rot, float rotCenterX, float rotCenterY)
{
    // Bounded like every other blit's, so that offsets from it to the source
    // image and on to the position cannot overflow.
    const Rect srcRect = givenSrcRect.Bounded();
    auto* src = AsMemoryImage(image);
    if (src == nullptr || (drawMode != DRAWMODE_NORMAL && drawMode != DRAWMODE_ADDITIVE))
        return;
    if (!src->mBits && !src->IsPalettized())
        return;
    // Positions past any image's size (or not numbers at all) draw nothing.
    constexpr float kLimit = static_cast<float>(Rect::kCoordinateLimit);
    if (!(std::abs(x) < kLimit) || !(std::abs(y) < kLimit) || !std::isfinite(rot) ||
        !(std::abs(rotCenterX) < kLimit) || !(std::abs(rotCenterY) < kLimit))
        return;
    const Rect region = srcRect.Intersection(Rect(0, 0, src->mWidth, src->mHeight));
    if (region.mWidth <= 0 || region.mHeight <= 0 || srcRect.mWidth <= 0 || srcRect.mHeight <= 0)
        return;
    const Rect clip = clipRect.Intersection(Rect(0, 0, mWidth, mHeight));
    if (clip.mWidth <= 0 || clip.mHeight <= 0)
        return;

    // Whole-pixel positions without turning are an ordinary clipped blit.
    if (rot == 0.0 && x == std::floor(x) && y == std::floor(y) && std::abs(x) < 1e9f && std::abs(y) < 1e9f) {
        const int ix = static_cast<int>(x) + (region.mX - srcRect.mX);
        const int iy = static_cast<int>(y) + (region.mY - srcRect.mY);
        const Rect d = Rect(ix, iy, region.mWidth, region.mHeight).Intersection(clip);
        if (d.mWidth > 0 && d.mHeight > 0)
            Blt(src, d.mX, d.mY, Rect(region.mX + d.mX - ix, region.mY + d.mY - iy, d.mWidth, d.mHeight),
                color, drawMode);
        return;
    }
    if (src == this) {
        // Resampling reads pixels around each one it writes: turning an image
        // onto itself reads a copy, as the other blits do.
        MemoryImage copy(*this);
        copy.JoinRegistry(nullptr);
        BltRotated(&copy, x, y, srcRect, clipRect, color, drawMode, rot, rotCenterX, rotCenterY);
        return;
    }

    // Origin of the source rectangle on the destination, and the turning centre.
    const double ox = static_cast<double>(x) + (region.mX - srcRect.mX);
    const double oy = static_cast<double>(y) + (region.mY - srcRect.mY);
    const double cx = static_cast<double>(x) + rotCenterX;
    const double cy = static_cast<double>(y) + rotCenterY;
    const double cosA = std::cos(rot);
    const double sinA = std::sin(rot);
    // Screen y points down, so a positive angle turns counter-clockwise as seen.
    auto toDest = [&](double px, double py) {
        const double dx = px - cx;
        const double dy = py - cy;
        return std::pair<double, double>(cx + dx * cosA + dy * sinA, cy - dx * sinA + dy * cosA);
    };
    double minX = 1e300;
    double minY = 1e300;
    double maxX = -1e300;
    double maxY = -1e300;
    for (int k = 0; k < 4; ++k) {
        const auto [px, py] =
            toDest(ox + ((k & 1) ? region.mWidth : 0), oy + ((k >> 1) ? region.mHeight : 0));
        minX = std::min(minX, px);
        maxX = std::max(maxX, px);
        minY = std::min(minY, py);
        maxY = std::max(maxY, py);
    }
    const double left = std::max(std::floor(minX), static_cast<double>(clip.mX));
    const double top = std::max(std::floor(minY), static_cast<double>(clip.mY));
    const double right = std::min(std::ceil(maxX), static_cast<double>(clip.mX + clip.mWidth));
    const double bottom = std::min(std::ceil(maxY), static_cast<double>(clip.mY + clip.mHeight));
    if (right <= left || bottom <= top)
        return;
    const int x0 = static_cast<int>(left);
    const int y0 = static_cast<int>(top);
    const int w = static_cast<int>(right) - x0;
    const int h = static_cast<int>(bottom) - y0;

    src->CommitBits();
    CommitBits();
    const Color c = Clamped(color);
    const bool opaqueDest = !mHasTrans && !mHasAlpha;
    std::uint32_t* bits = GetBits();
    std::vector<std::uint32_t> row(static_cast<std::size_t>(w));
    for (int j = 0; j < h; ++j) {
        const double py = y0 + j + 0.5 - cy;
        for (int i = 0; i < w; ++i) {
            const double px = x0 + i + 0.5 - cx;
            // Back from the destination pixel centre into the source rectangle.
            const double u = cx + px * cosA - py * sinA - ox;
            const double v = cy + px * sinA + py * cosA - oy;
            row[static_cast<std::size_t>(i)] = SampleBilinear(*src, region, u, v);
        }
        BlendRow(bits + static_cast<std::size_t>(y0 + j) * static_cast<std::size_t>(mWidth) +
                     static_cast<std::size_t>(x0),
                 row.data(), w, c, drawMode, src->mHasAlpha || src->mHasTrans, opaqueDest);
    }
    BlendedIn();
}

void MemoryImage::StretchBlt(Image* image, const Rect& givenDestRect, const Rect& givenSrcRect,
                             const Rect& clipRect, const Color& color, int drawMode, bool fastStretch)
{
    const Rect destRect = givenDestRect.Bounded();
    const Rect srcRect = givenSrcRect.Bounded();
    auto* src = AsMemoryImage(image);
    if (src == nullptr || (drawMode != DRAWMODE_NORMAL && drawMode != DRAWMODE_ADDITIVE))
        return;
    if (!src->mBits && !src->IsPalettized())
        return;
    if (destRect.mWidth <= 0 || destRect.mHeight <= 0 || srcRect.mWidth <= 0 || srcRect.mHeight <= 0)
        return;
    if (src == this) {
        MemoryImage copy(*this);
        copy.JoinRegistry(nullptr);
        StretchBlt(&copy, destRect, srcRect, clipRect, color, drawMode, fastStretch);
        return;
    }
    if (fastStretch)
        FastStretchBlt(src, destRect, srcRect, clipRect, color, drawMode);
    else
        SmoothStretchBlt(src, destRect, srcRect, clipRect, color, drawMode);
}

void MemoryImage::FastStretchBlt(MemoryImage* src, const Rect& destRect, const Rect& srcRect,
                                 const Rect& clipRect, const Color& color, int drawMode)
{
    const std::optional<StretchArea> area = StretchAreaFor(destRect, srcRect, clipRect, *this, *src);
    if (!area)
        return;
    const auto [clipped, sx, sy, sw, sh, region] = *area;

    src->CommitBits();
    const Color c = Clamped(color);
    const int w = clipped.mWidth;
    std::vector<int> columns(static_cast<std::size_t>(w));
    for (int i = 0; i < w; ++i)
        columns[static_cast<std::size_t>(i)] =
            std::clamp(static_cast<int>(sx + i * sw / w), region.mX, region.mX + region.mWidth - 1);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(w));
    std::uint32_t* bits = GetBits();
    for (int j = 0; j < clipped.mHeight; ++j) {
        const int srcY = std::clamp(static_cast<int>(sy + j * sh / clipped.mHeight), region.mY,
                                    region.mY + region.mHeight - 1);
        for (int i = 0; i < w; ++i)
            row[static_cast<std::size_t>(i)] = src->GetPixel(columns[static_cast<std::size_t>(i)], srcY);
        BlendRow(bits + static_cast<std::size_t>(clipped.mY + j) * static_cast<std::size_t>(mWidth) +
                     static_cast<std::size_t>(clipped.mX),
                 row.data(), w, c, drawMode, src->mHasAlpha, false);
    }
    BlendedIn();
}

void MemoryImage::SmoothStretchBlt(MemoryImage* src, const Rect& destRect, const Rect& srcRect,
                                   const Rect& clipRect, const Color& color, int drawMode)
{
    const std::optional<StretchArea> area = StretchAreaFor(destRect, srcRect, clipRect, *this, *src);
    if (!area)
        return;
    const auto [clipped, sx, sy, sw, sh, region] = *area;

    const int w = clipped.mWidth;
    const int h = clipped.mHeight;
    const std::vector<Taps> colTaps = BuildTaps(sx, sw, w, region.mX, region.mX + region.mWidth);
    const std::vector<Taps> rowTaps = BuildTaps(sy, sh, h, region.mY, region.mY + region.mHeight);
    int firstRow = region.mY + region.mHeight;
    int lastRow = region.mY;
    for (const Taps& t : rowTaps) {
        firstRow = std::min(firstRow, t.first);
        lastRow = std::max(lastRow, t.first + static_cast<int>(t.weights.size()) - 1);
    }
    const int rows = lastRow - firstRow + 1;

    // Horizontal pass over every source row the vertical pass reads; alpha-weighted
    // so that transparent pixels lend no colour to their neighbours.
    std::vector<Premul> horizontal(static_cast<std::size_t>(rows) * static_cast<std::size_t>(w));
    for (int r = 0; r < rows; ++r) {
        const int srcY = firstRow + r;
        for (int i = 0; i < w; ++i) {
            const Taps& t = colTaps[static_cast<std::size_t>(i)];
            Premul acc;
            for (std::size_t k = 0; k < t.weights.size(); ++k) {
                const std::uint32_t p = src->GetPixel(t.first + static_cast<int>(k), srcY);
                const std::uint32_t wa = static_cast<std::uint32_t>(t.weights[k]) * (p >> 24);
                acc.a += wa;
                acc.r += wa * ((p >> 16) & 0xFF);
                acc.g += wa * ((p >> 8) & 0xFF);
                acc.b += wa * (p & 0xFF);
            }
            horizontal[static_cast<std::size_t>(r) * static_cast<std::size_t>(w) +
                       static_cast<std::size_t>(i)] = acc;
        }
    }

    src->CommitBits();
    const Color c = Clamped(color);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(w));
    std::uint32_t* bits = GetBits();
    constexpr std::uint64_t kTotal = static_cast<std::uint64_t>(kFilterWeight) * kFilterWeight;
    for (int j = 0; j < h; ++j) {
        const Taps& t = rowTaps[static_cast<std::size_t>(j)];
        for (int i = 0; i < w; ++i) {
            std::uint64_t a = 0;
            std::uint64_t r = 0;
            std::uint64_t g = 0;
            std::uint64_t b = 0;
            for (std::size_t k = 0; k < t.weights.size(); ++k) {
                const Premul& p =
                    horizontal[static_cast<std::size_t>(t.first - firstRow + static_cast<int>(k)) *
                                   static_cast<std::size_t>(w) +
                               static_cast<std::size_t>(i)];
                const auto wk = static_cast<std::uint64_t>(t.weights[k]);
                a += wk * p.a;
                r += wk * p.r;
                g += wk * p.g;
                b += wk * p.b;
            }
            const std::uint64_t alpha = std::min<std::uint64_t>((a + kTotal / 2) / kTotal, 255);
            std::uint32_t pixel = 0;
            if (alpha != 0)
                pixel = BlendReference::Pack(static_cast<int>(alpha),
                                             static_cast<int>(std::min<std::uint64_t>((r + a / 2) / a, 255)),
                                             static_cast<int>(std::min<std::uint64_t>((g + a / 2) / a, 255)),
                                             static_cast<int>(std::min<std::uint64_t>((b + a / 2) / a, 255)));
            row[static_cast<std::size_t>(i)] = pixel;
        }
        BlendRow(bits + static_cast<std::size_t>(clipped.mY + j) * static_cast<std::size_t>(mWidth) +
                     static_cast<std::size_t>(clipped.mX),
                 row.data(), w, c, drawMode, src->mHasAlpha, false);
    }
    BlendedIn();
}

} // namespace Quill
