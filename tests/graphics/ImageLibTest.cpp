// Finding picture files (extension order, explicit extensions), alpha
// companions, and the TGA reader.
#include <gtest/gtest.h>

#include <jpeglib.h>

#include <png.h>

#include "graphics/ImageLib.h"
#include "tests/graphics/AllocationProbe.h"
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

// An RGBA PNG of the given 0xAARRGGBB pixels.
std::string Png(int width, int height, const Pixels& pixels)
{
    QuillTest::PngSpec spec;
    spec.mWidth = width;
    spec.mHeight = height;
    spec.mColorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (std::uint32_t p : pixels)
        for (int shift : {16, 8, 0, 24})
            spec.mSamples.push_back(static_cast<std::uint16_t>((p >> shift) & 0xFF));
    return AsText(QuillTest::EncodePNG(spec));
}

// A flat-coloured JPEG.
std::string Jpeg(int width, int height, std::uint32_t rgb)
{
    QuillTest::JpegSpec spec;
    spec.mWidth = width;
    spec.mHeight = height;
    spec.mColorSpace = JCS_RGB;
    for (int i = 0; i < width * height; ++i)
        for (int shift : {16, 8, 0})
            spec.mSamples.push_back(static_cast<std::uint8_t>(rgb >> shift));
    return AsText(QuillTest::EncodeJPEG(spec));
}

// A GIF whose pixels are the given colours (at most 256 distinct ones).
std::string Gif(int width, int height, const Pixels& rgb)
{
    std::vector<std::uint32_t> table;
    std::vector<std::uint8_t> indices;
    for (std::uint32_t p : rgb) {
        auto found = std::find(table.begin(), table.end(), p & 0xFFFFFF);
        if (found == table.end())
            found = table.insert(table.end(), p & 0xFFFFFF);
        indices.push_back(static_cast<std::uint8_t>(found - table.begin()));
    }
    while (table.size() < 4)
        table.push_back(0);
    const int codeSize = std::max(2, QuillTest::GifTableSizeField(table.size()) + 1);
    return AsText(QuillTest::GifBuilder()
                      .Header("GIF89a", width, height, table)
                      .Image(width, height, {}, false, codeSize, QuillTest::EncodeLZW(indices, codeSize))
                      .Trailer()
                      .Data());
}

bool IsRoughly(std::uint32_t pixel, std::uint32_t expected)
{
    for (int shift : {0, 8, 16, 24})
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) -
                     static_cast<int>((expected >> shift) & 0xFF)) > 3)
            return false;
    return true;
}

class ImageLibTest : public testing::Test {
protected:
    std::string Path(std::string_view name) const { return (mDir / name).string(); }
    void Write(std::string_view name, const std::string& bytes) const { mDir.Write(name, bytes); }

    QuillTest::TempDir mDir;
    const Pixels mBall = {0xFF102030, 0x80405060, 0x00708090, 0xFFA0B0C0};
    const Pixels mMask = {0xFF000011, 0xFF0000FF, 0xFF000000, 0xFF00007F};
};

TEST_F(ImageLibTest, NameWithoutExtensionTriesTgaJpgPngGifInOrder)
{
    Write("pics/ball.gif", Gif(2, 2, {0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF}));
    auto image = GetImage(Path("pics/ball"), false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels[0], 0xFF0000FFu);

    Write("pics/ball.png", Png(2, 2, Pixels(4, 0xFF00FF00)));
    image = GetImage(Path("pics/ball"), false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels[0], 0xFF00FF00u);

    // With both a JPEG and a PNG, the JPEG wins.
    Write("pics/ball.jpg", Jpeg(16, 8, 0xFF0000));
    image = GetImage(Path("pics/ball"), false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 16);
    EXPECT_TRUE(IsRoughly(image->mPixels[0], 0xFFFF0000u));

    // A file that is not in its reader's accepted form lets the next one try.
    Write("pics/ball.tga", AsText(QuillTest::EncodeTGA(2, 2, mBall, 24, 0x20)));
    image = GetImage(Path("pics/ball"), false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 16);

    Write("pics/ball.tga", Tga(2, 2, mBall));
    image = GetImage(Path("pics/ball"), false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mBall);

    EXPECT_FALSE(GetImage(Path("pics/nothing"), false));
    EXPECT_FALSE(GetImage(Path("nowhere/ball"), false));
}

TEST_F(ImageLibTest, AGivenExtensionTriesOnlyItsOwnReader)
{
    Write("pics/ball.tga", Tga(2, 2, mBall));
    Write("pics/ball.png", Png(2, 2, Pixels(4, 0xFF00FF00)));

    // Any case; the file opened has the lower-case extension.
    auto image = GetImage(Path("pics/ball.PNG"), false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels[0], 0xFF00FF00u);
    image = GetImage(Path("pics/ball.Tga"), false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mBall);

    // Only the named format: no fallback to the others.
    EXPECT_FALSE(GetImage(Path("pics/ball.gif"), false));
    EXPECT_FALSE(GetImage(Path("pics/ball.jpg"), false));
    // An extension of no known format finds nothing, even beside known files.
    EXPECT_FALSE(GetImage(Path("pics/ball.bmp"), false));
    EXPECT_FALSE(GetImage(Path("pics/ball.jpeg"), false));
    // A PNG named .tga is read by the TGA reader only, and refused.
    Write("pics/odd.tga", Png(2, 2, Pixels(4, 0xFF00FF00)));
    EXPECT_FALSE(GetImage(Path("pics/odd.tga"), false));
}

TEST_F(ImageLibTest, ADotBeforeTheLastSlashIsNoExtension)
{
    Write("my.pics/ball.tga", Tga(2, 2, mBall));
    const auto image = GetImage(Path("my.pics/ball"), false);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mBall);
}

TEST_F(ImageLibTest, LeadingUnderscoreCompanionGivesAlphaFromItsBlueChannel)
{
    Write("pics/ball.png", Png(2, 2, mBall));
    Write("pics/_ball.png", Png(2, 2, mMask));
    const auto image = GetImage(Path("pics/ball"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, (Pixels{0x11102030, 0xFF405060, 0x00708090, 0x7FA0B0C0}));

    // Without alpha search the companion is not used.
    const auto plain = GetImage(Path("pics/ball"), false);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->mPixels, mBall);
}

TEST_F(ImageLibTest, TrailingUnderscoreCompanionIsTheSecondChoice)
{
    Write("pics/ball.tga", Tga(2, 2, mBall));
    Write("pics/ball_.gif", Gif(2, 2, mMask));
    auto image = GetImage(Path("pics/ball"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, (Pixels{0x11102030, 0xFF405060, 0x00708090, 0x7FA0B0C0}));

    // Given with an extension, the underscore goes before it, and the
    // companion is read in the same format only.
    image = GetImage(Path("pics/ball.tga"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mBall);
    Write("pics/ball_.tga", Tga(2, 2, mMask));
    image = GetImage(Path("pics/ball.tga"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels[0], 0x11102030u);

    // The leading form wins when both exist.
    Write("pics/_ball.tga", Tga(2, 2, Pixels(4, 0xFF000033)));
    image = GetImage(Path("pics/ball"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels[0], 0x33102030u);
}

TEST_F(ImageLibTest, CompanionAloneGivesWhiteWithItsBlueAsAlpha)
{
    Write("pics/_ball.gif", Gif(2, 2, mMask));
    const auto image = GetImage(Path("pics/ball"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 2);
    EXPECT_EQ(image->mPixels, (Pixels{0x11FFFFFF, 0xFFFFFFFF, 0x00FFFFFF, 0x7FFFFFFF}));
    EXPECT_FALSE(GetImage(Path("pics/ball"), false));
}

TEST_F(ImageLibTest, CompanionOfAnotherSizeIsIgnored)
{
    Write("pics/ball.tga", Tga(2, 2, mBall));
    Write("pics/_ball.tga", Tga(4, 1, mMask));
    const auto image = GetImage(Path("pics/ball"), true);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, mBall);
}

TEST_F(ImageLibTest, CompanionsHaveNoCompanionsOfTheirOwn)
{
    // Only "_ball" and "ball_" are looked for, never "__ball" or "_ball_".
    Write("pics/__ball.tga", Tga(2, 2, mMask));
    Write("pics/_ball_.tga", Tga(2, 2, mMask));
    EXPECT_FALSE(GetImage(Path("pics/ball"), true));
    Write("pics/ball.tga", Tga(2, 2, mBall));
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
    // Every truncation, header or pixels.
    const Bytes file = QuillTest::EncodeTGA(3, 2, pixels);
    for (std::size_t cut = 0; cut < file.size(); ++cut)
        EXPECT_FALSE(DecodeTGAImage(std::span(file).first(cut))) << "cut at " << cut;
    // An ID field longer than the file.
    Bytes longId = file;
    longId[0] = 200;
    EXPECT_FALSE(DecodeTGAImage(longId));
}

TEST(TGAReaderTest, RefusesLyingSizesBeforeAllocating)
{
    QuillTest::AllocationProbe probe;
    for (auto [width, height] : {std::pair{16385, 1}, std::pair{1, 16385}, std::pair{16384, 16384},
                                 std::pair{65535, 65535}, std::pair{8192, 8192}}) {
        const Bytes header = QuillTest::EncodeTGA(width, height, Pixels(16, 0xFFFFFFFF));
        EXPECT_FALSE(DecodeTGAImage(header)) << width << " x " << height;
    }
    EXPECT_LT(probe.Largest(), 1u << 20);
}

} // namespace
