// The JPEG reader: colour spaces to opaque RGB, and damaged files.
#include <gtest/gtest.h>

#include <cstdio>

#include <jpeglib.h>

#include "graphics/ImageLib.h"
#include "tests/graphics/AllocationProbe.h"
#include "tests/graphics/ImageEncoders.h"

namespace {

using Quill::ImageLib::DecodeJPEGImage;
using QuillTest::Bytes;
using QuillTest::JpegSpec;

// Four 16 × 16 blocks of flat colour side by side (block edges on MCU edges,
// so chroma subsampling keeps the centres exact up to quantisation).
constexpr int kBlock = 16;

JpegSpec Blocks(int colorSpace, int components, const std::vector<std::vector<std::uint8_t>>& colors)
{
    JpegSpec spec;
    spec.mWidth = kBlock * static_cast<int>(colors.size());
    spec.mHeight = kBlock;
    spec.mColorSpace = colorSpace;
    spec.mComponents = components;
    for (int y = 0; y < spec.mHeight; ++y)
        for (int x = 0; x < spec.mWidth; ++x)
            for (std::uint8_t sample : colors[static_cast<std::size_t>(x / kBlock)])
                spec.mSamples.push_back(sample);
    return spec;
}

// Checks the centre of each block against 0xRRGGBB colours within tolerance.
void ExpectBlockCentres(const std::optional<Quill::ImageLib::Image>& image,
                        const std::vector<std::uint32_t>& rgb, int tolerance)
{
    ASSERT_TRUE(image);
    ASSERT_EQ(image->mWidth, kBlock * static_cast<int>(rgb.size()));
    for (std::uint32_t pixel : image->mPixels)
        ASSERT_EQ(pixel >> 24, 0xFFu) << "every JPEG pixel is opaque";
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        const std::uint32_t pixel =
            image->mPixels[static_cast<std::size_t>(kBlock / 2 * image->mWidth) + i * kBlock + kBlock / 2];
        for (int shift : {16, 8, 0}) {
            const int got = static_cast<int>((pixel >> shift) & 0xFF);
            const int want = static_cast<int>((rgb[i] >> shift) & 0xFF);
            EXPECT_NEAR(got, want, tolerance)
                << "block " << i << ", channel shift " << shift << ", pixel " << std::hex << pixel;
        }
    }
}

TEST(JPEGDecoderTest, ColourSpacesBecomeOpaqueRGB)
{
    // Colour, baseline and progressive: red, green, blue and a mixed tone keep their channel order.
    const std::vector<std::vector<std::uint8_t>> rgb = {
        {230, 20, 20}, {20, 230, 20}, {20, 20, 230}, {200, 150, 60}};
    const std::vector<std::uint32_t> rgbWords = {0xE61414, 0x14E614, 0x1414E6, 0xC8963C};
    JpegSpec spec = Blocks(JCS_RGB, 3, rgb);
    ExpectBlockCentres(DecodeJPEGImage(QuillTest::EncodeJPEG(spec)), rgbWords, 6);
    spec.mProgressive = true;
    ExpectBlockCentres(DecodeJPEGImage(QuillTest::EncodeJPEG(spec)), rgbWords, 6);

    // Greyscale comes out as equal red, green and blue.
    const auto grey =
        DecodeJPEGImage(QuillTest::EncodeJPEG(Blocks(JCS_GRAYSCALE, 1, {{0}, {90}, {180}, {255}})));
    ExpectBlockCentres(grey, {0x000000, 0x5A5A5A, 0xB4B4B4, 0xFFFFFF}, 3);

    // CMYK with Adobe's marker holds inverted inks (255 - ink): here cyan,
    // magenta + yellow, half black, and no ink at all.
    const std::vector<std::vector<std::uint8_t>> inverted = {
        {0, 255, 255, 255}, {255, 0, 0, 255}, {255, 255, 255, 128}, {255, 255, 255, 255}};
    ExpectBlockCentres(DecodeJPEGImage(QuillTest::EncodeJPEG(Blocks(JCS_CMYK, 4, inverted))),
                       {0x00FFFF, 0xFF0000, 0x808080, 0xFFFFFF}, 3);
    // Without the marker the same bytes are the inks themselves.
    JpegSpec plain = Blocks(JCS_CMYK, 4, inverted);
    plain.mNoAdobeMarker = true;
    ExpectBlockCentres(DecodeJPEGImage(QuillTest::EncodeJPEG(plain)),
                       {0x000000, 0x000000, 0x000000, 0x000000}, 3);
    plain = Blocks(JCS_CMYK, 4, {{255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 127}, {0, 0, 0, 0}});
    plain.mNoAdobeMarker = true;
    ExpectBlockCentres(DecodeJPEGImage(QuillTest::EncodeJPEG(plain)),
                       {0x00FFFF, 0xFF0000, 0x808080, 0xFFFFFF}, 3);
}

// Offset of the first start-of-frame marker's size fields.
std::size_t FrameHeader(const Bytes& file)
{
    for (std::size_t i = 2; i + 9 < file.size(); ++i)
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2))
            return i;
    return 0;
}

TEST(JPEGDecoderTest, DamagedAndLyingFilesAreRefused)
{
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        JpegSpec spec = Blocks(JCS_RGB, 3, {{10, 20, 30}, {200, 100, 50}});
        spec.mProgressive = progressive;
        const Bytes file = QuillTest::EncodeJPEG(spec);
        ASSERT_TRUE(DecodeJPEGImage(file));

        // Truncated anywhere before the end marker: refused, never padded with grey.
        for (std::size_t cut = 0; cut + 2 < file.size(); ++cut)
            EXPECT_FALSE(DecodeJPEGImage(std::span(file).first(cut))) << "cut at " << cut;

        const std::size_t frame = FrameHeader(file);
        ASSERT_NE(frame, 0u);
        auto withFrame = [&](int precision, int height, int width) {
            Bytes changed = file;
            changed[frame + 4] = static_cast<std::uint8_t>(precision);
            changed[frame + 5] = static_cast<std::uint8_t>(height >> 8);
            changed[frame + 6] = static_cast<std::uint8_t>(height);
            changed[frame + 7] = static_cast<std::uint8_t>(width >> 8);
            changed[frame + 8] = static_cast<std::uint8_t>(width);
            return changed;
        };
        ASSERT_TRUE(DecodeJPEGImage(withFrame(8, 16, 32)));
        // Sizes over the limits, zero sizes, 12-bit samples.
        EXPECT_FALSE(DecodeJPEGImage(withFrame(8, 16, 16385)));
        EXPECT_FALSE(DecodeJPEGImage(withFrame(8, 16385, 32)));
        EXPECT_FALSE(DecodeJPEGImage(withFrame(8, 65000, 65000)));
        EXPECT_FALSE(DecodeJPEGImage(withFrame(8, 0, 32)));
        EXPECT_FALSE(DecodeJPEGImage(withFrame(8, 16, 0)));
        EXPECT_FALSE(DecodeJPEGImage(withFrame(12, 16, 32)));
        // More rows than the data holds.
        EXPECT_FALSE(DecodeJPEGImage(withFrame(8, 160, 32)));
    }
    EXPECT_FALSE(DecodeJPEGImage(Bytes{0xFF, 0xD8}));
    EXPECT_FALSE(DecodeJPEGImage(Bytes{0xFF, 0xD8, 0xFF, 0xD9}));
    EXPECT_FALSE(DecodeJPEGImage(Bytes{'G', 'I', 'F', '8', '9', 'a'}));
    EXPECT_FALSE(DecodeJPEGImage(Bytes{}));
}

TEST(JPEGDecoderTest, RowsTheDataCannotHoldCostNoMemory)
{
    // 8192 × 8192 is within the limits; the data ends after 16 rows.
    const Bytes file = QuillTest::EncodeJPEG(Blocks(JCS_RGB, 3, {{10, 20, 30}, {200, 100, 50}}));
    Bytes lying = file;
    const std::size_t frame = FrameHeader(lying);
    ASSERT_NE(frame, 0u);
    for (std::size_t at : {frame + 5, frame + 7}) {
        lying[at] = 8192 >> 8;
        lying[at + 1] = 8192 & 0xFF;
    }
    QuillTest::AllocationProbe probe;
    EXPECT_FALSE(DecodeJPEGImage(lying));
    EXPECT_LT(probe.Largest(), 8u << 20);
}

} // namespace
