// The JPEG reader: both CMYK conventions, and damaged or lying files (colour,
// greyscale, progressive and YCCK files are compared with ImageMagick in
// ReferenceDecodeTest).
#include <gtest/gtest.h>

#include <cstdio>

#include <jpeglib.h>

#include "graphics/ImageLib.h"
#include "tests/graphics/AllocationProbe.h"
#include "tests/graphics/ImageData.h"
#include "tests/graphics/ImageEncoders.h"

namespace {

using Quill::ImageLib::DecodeJPEGImage;
using QuillTest::Bytes;

// A CMYK file of four 16 × 16 blocks of flat samples, block edges on MCU edges.
Bytes CmykBlocks(const std::vector<std::vector<std::uint8_t>>& blocks, bool adobeMarker)
{
    QuillTest::JpegSpec spec;
    spec.mWidth = 16 * static_cast<int>(blocks.size());
    spec.mHeight = 16;
    spec.mColorSpace = JCS_CMYK;
    spec.mComponents = 4;
    spec.mNoAdobeMarker = !adobeMarker;
    for (int y = 0; y < spec.mHeight; ++y)
        for (int x = 0; x < spec.mWidth; ++x)
            for (std::uint8_t sample : blocks[static_cast<std::size_t>(x / 16)])
                spec.mSamples.push_back(sample);
    return QuillTest::EncodeJPEG(spec);
}

// Checks the centre of each block against 0xRRGGBB colours, all opaque.
void ExpectBlockCentres(const std::optional<Quill::ImageLib::Image>& image,
                        const std::vector<std::uint32_t>& rgb)
{
    ASSERT_TRUE(image);
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        const std::uint32_t pixel = image->mPixels[static_cast<std::size_t>(8 * image->mWidth) + i * 16 + 8];
        EXPECT_EQ(pixel >> 24, 0xFFu);
        for (int shift : {16, 8, 0})
            EXPECT_NEAR((pixel >> shift) & 0xFF, (rgb[i] >> shift) & 0xFF, 3)
                << "block " << i << std::hex << pixel;
    }
}

TEST(JPEGDecoderTest, CmykIsInvertedUnderAdobesMarkerOnly)
{
    // Under the marker samples are 255 - ink: cyan, magenta + yellow, half
    // black, no ink at all.
    const std::vector<std::vector<std::uint8_t>> inverted = {
        {0, 255, 255, 255}, {255, 0, 0, 255}, {255, 255, 255, 128}, {255, 255, 255, 255}};
    const std::vector<std::uint32_t> colors = {0x00FFFF, 0xFF0000, 0x808080, 0xFFFFFF};
    ExpectBlockCentres(DecodeJPEGImage(CmykBlocks(inverted, true)), colors);
    // Without it the samples are the inks themselves.
    ExpectBlockCentres(DecodeJPEGImage(CmykBlocks(inverted, false)), {0, 0, 0, 0});
    const std::vector<std::vector<std::uint8_t>> inks = {
        {255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 127}, {0, 0, 0, 0}};
    ExpectBlockCentres(DecodeJPEGImage(CmykBlocks(inks, false)), colors);
}

// Offset of the first start-of-frame marker (baseline or progressive).
std::size_t FrameHeader(const Bytes& file)
{
    for (std::size_t i = 2; i + 9 < file.size(); ++i)
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2))
            return i;
    return 0;
}

// The file with another sample precision and size in its frame header.
Bytes WithFrame(const Bytes& file, int precision, int width, int height)
{
    Bytes changed = file;
    const std::size_t frame = FrameHeader(file);
    changed[frame + 4] = static_cast<std::uint8_t>(precision);
    changed[frame + 5] = static_cast<std::uint8_t>(height >> 8);
    changed[frame + 6] = static_cast<std::uint8_t>(height);
    changed[frame + 7] = static_cast<std::uint8_t>(width >> 8);
    changed[frame + 8] = static_cast<std::uint8_t>(width);
    return changed;
}

TEST(JPEGDecoderTest, DamagedAndLyingFilesAreRefused)
{
    for (const char* name : {"jpeg/baseline.jpg", "jpeg/progressive.jpg"}) {
        SCOPED_TRACE(name);
        const Bytes file = QuillTest::ReadImageData(name);
        ASSERT_NE(FrameHeader(file), 0u);
        ASSERT_TRUE(DecodeJPEGImage(WithFrame(file, 8, 37, 21)));

        // Truncated anywhere before the end marker: refused, never padded with grey.
        for (std::size_t cut = 0; cut + 2 < file.size(); ++cut)
            EXPECT_FALSE(DecodeJPEGImage(std::span(file).first(cut))) << "cut at " << cut;
        // Sizes over the limits, zero sizes, 12-bit samples.
        EXPECT_FALSE(DecodeJPEGImage(WithFrame(file, 8, 16385, 21)));
        EXPECT_FALSE(DecodeJPEGImage(WithFrame(file, 8, 37, 16385)));
        EXPECT_FALSE(DecodeJPEGImage(WithFrame(file, 8, 65000, 65000)));
        EXPECT_FALSE(DecodeJPEGImage(WithFrame(file, 8, 0, 21)));
        EXPECT_FALSE(DecodeJPEGImage(WithFrame(file, 8, 37, 0)));
        EXPECT_FALSE(DecodeJPEGImage(WithFrame(file, 12, 37, 21)));
        // More rows than the data holds (libjpeg alone would fill them with grey).
        EXPECT_FALSE(DecodeJPEGImage(WithFrame(file, 8, 37, 210)));
    }
    EXPECT_FALSE(DecodeJPEGImage(Bytes{0xFF, 0xD8}));
    EXPECT_FALSE(DecodeJPEGImage(Bytes{0xFF, 0xD8, 0xFF, 0xD9}));
    EXPECT_FALSE(DecodeJPEGImage(Bytes{}));
}

TEST(JPEGDecoderTest, RowsTheDataCannotHoldCostNoMemory)
{
    // 8192 × 8192 is within the limits; the data holds 21 rows of 37 pixels.
    const Bytes lying = WithFrame(QuillTest::ReadImageData("jpeg/baseline.jpg"), 8, 8192, 8192);
    QuillTest::AllocationProbe probe;
    EXPECT_FALSE(DecodeJPEGImage(lying));
    EXPECT_LT(probe.Largest(), 8u << 20);
}

} // namespace
