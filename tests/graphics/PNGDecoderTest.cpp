// The PNG reader: every colour type and bit depth to 8-bit ARGB, and damaged files.
#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <random>

#include "graphics/ImageLib.h"
#include "tests/graphics/AllocationProbe.h"
#include "tests/graphics/ImageEncoders.h"

namespace {

using Quill::ImageLib::DecodePNGImage;
using QuillTest::Bytes;
using QuillTest::PngSpec;

struct PngCase {
    int mColorType;
    int mBitDepth;
    bool mTransparency;
};

std::string Describe(const PngCase& c, bool interlaced)
{
    return "colour type " + std::to_string(c.mColorType) + ", " + std::to_string(c.mBitDepth) + " bits" +
           (c.mTransparency ? ", tRNS" : "") + (interlaced ? ", interlaced" : "");
}

int Channels(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// A picture of random samples and the 0xAARRGGBB words it must decode to,
// worked out from the samples by the PNG rules (not by the reader's code).
struct Fixture {
    PngSpec mSpec;
    std::vector<std::uint32_t> mExpected;
};

Fixture MakeFixture(const PngCase& c, bool interlaced, std::uint32_t seed)
{
    std::mt19937 random(seed);
    Fixture f;
    PngSpec& spec = f.mSpec;
    spec.mWidth = 13;
    spec.mHeight = 9;
    spec.mColorType = c.mColorType;
    spec.mBitDepth = c.mBitDepth;
    spec.mInterlaced = interlaced;
    const int channels = Channels(c.mColorType);
    const bool palette = c.mColorType == PNG_COLOR_TYPE_PALETTE;
    const int maxSample = (1 << std::min(c.mBitDepth, 8)) - 1;
    const int paletteSize = palette ? std::min(maxSample + 1, 200) : 0;
    for (int i = 0; i < paletteSize; ++i)
        spec.mPalette.push_back(random() & 0xFFFFFF);

    // Samples drawn at 8 bits or less; 16-bit samples are v × 257, which any
    // correct reduction to 8 bits maps back to v.
    const int drawMax = palette ? paletteSize - 1 : maxSample;
    for (int i = 0; i < spec.mWidth * spec.mHeight * channels; ++i) {
        const int v = static_cast<int>(random() % static_cast<std::uint32_t>(drawMax + 1));
        spec.mSamples.push_back(static_cast<std::uint16_t>(c.mBitDepth == 16 ? v * 257 : v));
    }
    if (c.mTransparency) {
        if (palette) {
            for (int i = 0; i < paletteSize / 2; ++i)
                spec.mTransparency.push_back(static_cast<std::uint16_t>(random() & 0xFF));
        } else {
            // The first pixel's colour is the transparent one, so it occurs.
            spec.mTransparency.assign(spec.mSamples.begin(), spec.mSamples.begin() + channels);
        }
    }

    auto to8 = [&](std::uint16_t sample) {
        if (c.mBitDepth == 16)
            return static_cast<std::uint32_t>(sample / 257);
        return static_cast<std::uint32_t>(sample * 255 / maxSample);
    };
    for (int p = 0; p < spec.mWidth * spec.mHeight; ++p) {
        const std::uint16_t* s = &spec.mSamples[static_cast<std::size_t>(p * channels)];
        std::uint32_t r = 0;
        std::uint32_t g = 0;
        std::uint32_t b = 0;
        std::uint32_t a = 255;
        if (palette) {
            const std::uint32_t rgb = spec.mPalette[s[0]];
            r = rgb >> 16;
            g = (rgb >> 8) & 0xFF;
            b = rgb & 0xFF;
            if (s[0] < spec.mTransparency.size())
                a = spec.mTransparency[s[0]];
        } else if (channels <= 2) {
            r = g = b = to8(s[0]);
            if (channels == 2)
                a = to8(s[1]);
        } else {
            r = to8(s[0]);
            g = to8(s[1]);
            b = to8(s[2]);
            if (channels == 4)
                a = to8(s[3]);
        }
        if (!palette && !spec.mTransparency.empty() &&
            std::equal(s, s + channels, spec.mTransparency.begin(), spec.mTransparency.end()))
            a = 0;
        f.mExpected.push_back((a << 24) | (r << 16) | (g << 8) | b);
    }
    return f;
}

TEST(PNGDecoderTest, EveryColourTypeAndBitDepthBecomesEightBitARGB)
{
    const std::vector<PngCase> cases = {
        {PNG_COLOR_TYPE_GRAY, 1, false},        {PNG_COLOR_TYPE_GRAY, 2, false},
        {PNG_COLOR_TYPE_GRAY, 4, false},        {PNG_COLOR_TYPE_GRAY, 8, false},
        {PNG_COLOR_TYPE_GRAY, 16, false},       {PNG_COLOR_TYPE_GRAY, 1, true},
        {PNG_COLOR_TYPE_GRAY, 4, true},         {PNG_COLOR_TYPE_GRAY, 8, true},
        {PNG_COLOR_TYPE_GRAY, 16, true},        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false}, {PNG_COLOR_TYPE_RGB, 8, false},
        {PNG_COLOR_TYPE_RGB, 16, false},        {PNG_COLOR_TYPE_RGB, 8, true},
        {PNG_COLOR_TYPE_RGB, 16, true},         {PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16, false},  {PNG_COLOR_TYPE_PALETTE, 1, false},
        {PNG_COLOR_TYPE_PALETTE, 2, false},     {PNG_COLOR_TYPE_PALETTE, 4, false},
        {PNG_COLOR_TYPE_PALETTE, 8, false},     {PNG_COLOR_TYPE_PALETTE, 2, true},
        {PNG_COLOR_TYPE_PALETTE, 8, true},
    };
    std::uint32_t seed = 1;
    for (const PngCase& c : cases) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(Describe(c, interlaced));
            const Fixture f = MakeFixture(c, interlaced, seed++);
            const auto image = DecodePNGImage(QuillTest::EncodePNG(f.mSpec));
            ASSERT_TRUE(image);
            EXPECT_EQ(image->mWidth, f.mSpec.mWidth);
            EXPECT_EQ(image->mHeight, f.mSpec.mHeight);
            EXPECT_EQ(image->mPixels, f.mExpected);
        }
    }
}

// Chunk positions of a PNG file, to damage one on purpose.
struct Chunk {
    std::size_t mOffset;
    std::uint32_t mLength;
    std::string mType;
};

std::vector<Chunk> Chunks(const Bytes& file)
{
    std::vector<Chunk> chunks;
    for (std::size_t pos = 8; pos + 12 <= file.size();) {
        const std::uint32_t length = (std::uint32_t{file[pos]} << 24) | (std::uint32_t{file[pos + 1]} << 16) |
                                     (std::uint32_t{file[pos + 2]} << 8) | file[pos + 3];
        chunks.push_back({pos, length,
                          std::string(file.begin() + static_cast<std::ptrdiff_t>(pos + 4),
                                      file.begin() + static_cast<std::ptrdiff_t>(pos + 8))});
        pos += 12 + length;
    }
    return chunks;
}

void PutBE32(Bytes& file, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Rewrites the chunk's CRC so only the deliberate change is wrong.
void FixCrc(Bytes& file, const Chunk& chunk)
{
    const auto crc = crc32(0, file.data() + chunk.mOffset + 4, chunk.mLength + 4);
    PutBE32(file, chunk.mOffset + 8 + chunk.mLength, static_cast<std::uint32_t>(crc));
}

Bytes SmallRgbaPng()
{
    return QuillTest::EncodePNG(MakeFixture({PNG_COLOR_TYPE_RGB_ALPHA, 8, false}, false, 99).mSpec);
}

TEST(PNGDecoderTest, EveryTruncationBeforeTheEndOfTheImageDataIsRefused)
{
    const Bytes file = SmallRgbaPng();
    const auto full = DecodePNGImage(file);
    ASSERT_TRUE(full);
    std::size_t dataEnd = 0;
    for (const Chunk& chunk : Chunks(file))
        if (chunk.mType == "IDAT")
            dataEnd = chunk.mOffset + 12 + chunk.mLength;
    ASSERT_GT(dataEnd, 0u);
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
        const auto image = DecodePNGImage(std::span(file).first(cut));
        if (cut < dataEnd) {
            EXPECT_FALSE(image) << "cut at " << cut;
        } else if (image) {
            EXPECT_EQ(image->mPixels, full->mPixels) << "cut at " << cut;
        }
    }
}

TEST(PNGDecoderTest, DamagedAndLyingFilesAreRefused)
{
    const Bytes file = SmallRgbaPng();
    const auto chunks = Chunks(file);
    ASSERT_EQ(chunks.front().mType, "IHDR");
    const Chunk& header = chunks.front();
    auto withHeader = [&](std::uint32_t width, std::uint32_t height) {
        Bytes changed = file;
        PutBE32(changed, header.mOffset + 8, width);
        PutBE32(changed, header.mOffset + 12, height);
        FixCrc(changed, header);
        return changed;
    };

    // A height larger than the data holds.
    EXPECT_FALSE(DecodePNGImage(withHeader(13, 90)));
    // Zero and oversized sizes.
    EXPECT_FALSE(DecodePNGImage(withHeader(0, 9)));
    EXPECT_FALSE(DecodePNGImage(withHeader(13, 0)));
    EXPECT_FALSE(DecodePNGImage(withHeader(16385, 1)));
    EXPECT_FALSE(DecodePNGImage(withHeader(0x7FFFFFFF, 0x7FFFFFFF)));

    // A damaged checksum in the image data.
    for (const Chunk& chunk : chunks) {
        if (chunk.mType != "IDAT")
            continue;
        Bytes damaged = file;
        damaged[chunk.mOffset + 8 + chunk.mLength] ^= 0x55;
        EXPECT_FALSE(DecodePNGImage(damaged));
    }
    // Not a PNG at all.
    Bytes notPng = file;
    notPng[1] = 'Q';
    EXPECT_FALSE(DecodePNGImage(notPng));
    EXPECT_FALSE(DecodePNGImage(Bytes{}));
}

TEST(PNGDecoderTest, SizesTheDataCannotHoldAreRefusedBeforeAllocating)
{
    // 8192 × 8192 is within the limits, but no 300-byte file can hold it.
    const Bytes file = SmallRgbaPng();
    const Chunk header = Chunks(file).front();
    Bytes lying = file;
    PutBE32(lying, header.mOffset + 8, 8192);
    PutBE32(lying, header.mOffset + 12, 8192);
    FixCrc(lying, header);
    QuillTest::AllocationProbe probe;
    EXPECT_FALSE(DecodePNGImage(lying));
    EXPECT_LT(probe.Largest(), 1u << 20);
}

} // namespace
