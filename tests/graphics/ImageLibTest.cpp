// Finding picture files (extension order, explicit extensions), alpha
// companions, and the TGA reader.
#include <gtest/gtest.h>

#include "graphics/ImageLib.h"
#include "tests/graphics/AllocationProbe.h"
#include "tests/graphics/ImageData.h"
#include "tests/graphics/ImageEncoders.h"
#include "tests/support/TempDir.h"

namespace {

using Quill::ImageLib::DecodeTGAImage;
using Quill::ImageLib::GetImage;
using QuillTest::Bytes;
using Pixels = std::vector<std::uint32_t>;

std::string AsText(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// A 32-bit TGA of the given pixels.
std::string Tga(int width, int height, const Pixels& pixels)
{
    return AsText(QuillTest::EncodeTGA(width, height, pixels));
}

// A GIF of grey levels (the low byte of each pixel) through a 256-entry grey table.
std::string GreyGif(int width, int height, const Pixels& pixels)
{
    std::vector<std::uint32_t> greys;
    for (std::uint32_t g = 0; g < 256; ++g)
        greys.push_back(g * 0x010101u);
    std::vector<std::uint8_t> indices;
    for (std::uint32_t p : pixels)
        indices.push_back(static_cast<std::uint8_t>(p));
    const Bytes lzw = QuillTest::EncodeLZW(indices, 8);
    return AsText(QuillTest::GifBuilder()
                      .Header("GIF89a", width, height, greys)
                      .Image(width, height, {}, false, 8, lzw)
                      .Data());
}

// Committed pictures of known sizes: PNG 13 × 9, JPEG 37 × 21.
const std::string kPng = AsText(QuillTest::ReadImageData("png/rgba8-interlaced.png"));
const std::string kJpeg = AsText(QuillTest::ReadImageData("jpeg/baseline.jpg"));

class ImageLibTest : public testing::Test {
protected:
    std::string Path(std::string_view name) const { return (mDir / name).string(); }
    void Write(std::string_view name, const std::string& bytes) const { mDir.Write(name, bytes); }
    // Width of the picture found for the name (0 when none): tells the formats apart.
    int WidthOf(std::string_view name) const
    {
        const auto image = GetImage(Path(name), false);
        return image ? image->mWidth : 0;
    }

    QuillTest::TempDir mDir;
    const Pixels mBall = {0xFF102030, 0x80405060, 0x00708090, 0xFFA0B0C0};
    const Pixels mMask = {0xFF000011, 0xFF0000FF, 0xFF000000, 0xFF00007F};
    // mBall with mMask's blue channel as alpha.
    const Pixels mMerged = {0x11102030, 0xFF405060, 0x00708090, 0x7FA0B0C0};
};

TEST_F(ImageLibTest, NameWithoutExtensionTriesTgaJpgPngGifInOrder)
{
    Write("pics/ball.gif", GreyGif(1, 1, {0x80}));
    EXPECT_EQ(WidthOf("pics/ball"), 1);
    Write("pics/ball.png", kPng);
    EXPECT_EQ(WidthOf("pics/ball"), 13);
    // With both a JPEG and a PNG, the JPEG wins.
    Write("pics/ball.jpg", kJpeg);
    EXPECT_EQ(WidthOf("pics/ball"), 37);
    // A file that is not in its reader's accepted form lets the next one try.
    Write("pics/ball.tga", AsText(QuillTest::EncodeTGA(2, 2, mBall, 24, 0x20)));
    EXPECT_EQ(WidthOf("pics/ball"), 37);
    Write("pics/ball.tga", Tga(2, 2, mBall));
    EXPECT_EQ(WidthOf("pics/ball"), 2);

    EXPECT_EQ(WidthOf("pics/nothing"), 0);
    EXPECT_EQ(WidthOf("nowhere/ball"), 0);
    // A dot before the last slash starts no extension.
    Write("my.pics/ball.gif", GreyGif(1, 1, {0x80}));
    EXPECT_EQ(WidthOf("my.pics/ball"), 1);
}

TEST_F(ImageLibTest, AGivenExtensionTriesOnlyItsOwnReader)
{
    Write("pics/ball.tga", Tga(2, 2, mBall));
    Write("pics/ball.png", kPng);
    // Any case; the file opened has the lower-case extension.
    EXPECT_EQ(WidthOf("pics/ball.PNG"), 13);
    EXPECT_EQ(WidthOf("pics/ball.Tga"), 2);
    // Only the named format: no fallback to the others.
    EXPECT_EQ(WidthOf("pics/ball.gif"), 0);
    EXPECT_EQ(WidthOf("pics/ball.jpg"), 0);
    // An extension of no known format finds nothing, even beside known files.
    EXPECT_EQ(WidthOf("pics/ball.bmp"), 0);
    EXPECT_EQ(WidthOf("pics/ball.jpeg"), 0);
    // A PNG named .tga is read by the TGA reader only, and refused.
    Write("pics/odd.tga", kPng);
    EXPECT_EQ(WidthOf("pics/odd.tga"), 0);
}

TEST_F(ImageLibTest, LeadingUnderscoreCompanionGivesAlphaFromItsBlueChannel)
{
    Write("pics/ball.tga", Tga(2, 2, mBall));
    Write("pics/_ball.tga", Tga(2, 2, mMask));
    auto image = GetImage(Path("pics/ball"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mMerged);
    // Without alpha search the companion is not used.
    image = GetImage(Path("pics/ball"), false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mBall);

    // A PNG companion of a colour picture of its size.
    Write("pics/disc.tga", Tga(13, 9, Pixels(13 * 9, 0xFF123456)));
    Write("pics/_disc.png", kPng);
    image = GetImage(Path("pics/disc"), true);
    const auto mask = Quill::ImageLib::GetPNGImage(Path("pics/_disc.png"));
    ASSERT_TRUE(image && mask);
    for (std::size_t i = 0; i < image->mPixels.size(); ++i)
        EXPECT_EQ(image->mPixels[i], (mask->mPixels[i] << 24) | 0x123456u) << i;
}

TEST_F(ImageLibTest, TrailingUnderscoreCompanionIsTheSecondChoice)
{
    Write("pics/ball.tga", Tga(2, 2, mBall));
    Write("pics/ball_.gif", GreyGif(2, 2, mMask));
    auto image = GetImage(Path("pics/ball"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mMerged);

    // Given with an extension, the underscore goes before it, and the
    // companion is read in the same format only.
    image = GetImage(Path("pics/ball.tga"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mBall);
    Write("pics/ball_.tga", Tga(2, 2, mMask));
    image = GetImage(Path("pics/ball.tga"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mMerged);

    // The leading form wins when both exist.
    Write("pics/_ball.tga", Tga(2, 2, Pixels(4, 0xFF000033)));
    image = GetImage(Path("pics/ball"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels[0], 0x33102030u);
}

TEST_F(ImageLibTest, CompanionAloneGivesWhiteWithItsBlueAsAlpha)
{
    Write("pics/_ball.gif", GreyGif(2, 2, mMask));
    const auto image = GetImage(Path("pics/ball"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, (Pixels{0x11FFFFFF, 0xFFFFFFFF, 0x00FFFFFF, 0x7FFFFFFF}));
    EXPECT_FALSE(GetImage(Path("pics/ball"), false));
}

TEST_F(ImageLibTest, CompanionsOfAnotherSizeOrOfCompanionsAreIgnored)
{
    // Only "_ball" and "ball_" are looked for, never "__ball" or "_ball_".
    Write("pics/__ball.tga", Tga(2, 2, mMask));
    Write("pics/_ball_.tga", Tga(2, 2, mMask));
    EXPECT_FALSE(GetImage(Path("pics/ball"), true));
    Write("pics/ball.tga", Tga(2, 2, mBall));
    Write("pics/_ball.tga", Tga(4, 1, mMask));
    const auto image = GetImage(Path("pics/ball"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mBall);
}

TEST(TGAReaderTest, ReadsUncompressed32BitTopLeftWordsAsTheyStand)
{
    const Pixels pixels = {0x00112233, 0x80FF0000, 0xFF00FF00, 0x7F0000FF, 0x01020304, 0xFEDCBA98};
    auto image = DecodeTGAImage(QuillTest::EncodeTGA(3, 2, pixels));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 3);
    EXPECT_EQ(image->mHeight, 2);
    EXPECT_EQ(image->mPixels, pixels);

    // An ID field is stepped over; data after the pixels (a footer) is ignored.
    Bytes withId = QuillTest::EncodeTGA(3, 2, pixels, 32, 0x28, 2, "made by a test");
    withId.insert(withId.end(), 26, 0xAA);
    image = DecodeTGAImage(withId);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, pixels);
}

TEST(TGAReaderTest, RefusesEveryOtherForm)
{
    const Pixels pixels(6, 0xFF808080);
    // 24 bits, bottom-left origin, other alpha depths, run-length or colour-mapped data.
    EXPECT_FALSE(DecodeTGAImage(QuillTest::EncodeTGA(3, 2, pixels, 24, 0x20)));
    EXPECT_FALSE(DecodeTGAImage(QuillTest::EncodeTGA(3, 2, pixels, 32, 0x08)));
    EXPECT_FALSE(DecodeTGAImage(QuillTest::EncodeTGA(3, 2, pixels, 32, 0x20)));
    EXPECT_FALSE(DecodeTGAImage(QuillTest::EncodeTGA(3, 2, pixels, 32, 0x28, 10)));
    EXPECT_FALSE(DecodeTGAImage(QuillTest::EncodeTGA(3, 2, pixels, 32, 0x28, 1)));
    EXPECT_FALSE(DecodeTGAImage(QuillTest::EncodeTGA(0, 2, {}, 32, 0x28)));
    EXPECT_FALSE(DecodeTGAImage(QuillTest::EncodeTGA(3, 0, {}, 32, 0x28)));
    // Every truncation, header or pixels, and an ID field longer than the file.
    Bytes file = QuillTest::EncodeTGA(3, 2, pixels);
    for (std::size_t cut = 0; cut < file.size(); ++cut)
        EXPECT_FALSE(DecodeTGAImage(std::span(file).first(cut))) << "cut at " << cut;
    file[0] = 200;
    EXPECT_FALSE(DecodeTGAImage(file));
}

TEST(TGAReaderTest, RefusesLyingSizesBeforeAllocating)
{
    QuillTest::AllocationProbe probe;
    for (auto [width, height] : {std::pair{16385, 1}, std::pair{1, 16385}, std::pair{16384, 16384},
                                 std::pair{65535, 65535}, std::pair{8192, 8192}})
        EXPECT_FALSE(DecodeTGAImage(QuillTest::EncodeTGA(width, height, Pixels(16, 0xFFFFFFFF))))
            << width << " x " << height;
    EXPECT_LT(probe.Largest(), 1u << 20);
}

} // namespace
