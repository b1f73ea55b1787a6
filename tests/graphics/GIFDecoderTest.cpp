// The GIF reader on files built by an independent encoder in the test itself:
// code sizes, table handling, interlacing, extensions, and malformed streams.
#include <gtest/gtest.h>

#include <random>

#include "graphics/ImageLib.h"
#include "tests/graphics/AllocationProbe.h"
#include "tests/graphics/ImageEncoders.h"

namespace {

using Quill::ImageLib::DecodeGIFImage;
using QuillTest::Bytes;
using QuillTest::EncodeLZW;
using QuillTest::FullTable;
using QuillTest::GifBuilder;
using QuillTest::PackCodes;
using Table = std::vector<std::uint32_t>;

// Distinct colours, entry i being easy to tell from entry i + 1.
Table MakeTable(std::size_t size)
{
    Table table;
    for (std::size_t i = 0; i < size; ++i)
        table.push_back(static_cast<std::uint32_t>((i * 0x9E3779B1u) & 0xFFFFFFu));
    return table;
}

std::vector<std::uint8_t> RandomIndices(std::size_t count, int colors, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> indices(count);
    for (auto& index : indices)
        index = static_cast<std::uint8_t>(random() % static_cast<std::uint32_t>(colors));
    return indices;
}

// Runs of one index with occasional changes: long strings and the case of a
// code naming the entry it defines.
std::vector<std::uint8_t> RunIndices(std::size_t count, int colors, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> indices(count);
    std::uint8_t current = 0;
    for (auto& index : indices) {
        if (random() % 37 == 0)
            current = static_cast<std::uint8_t>(random() % static_cast<std::uint32_t>(colors));
        index = current;
    }
    return indices;
}

std::vector<std::uint32_t> Expected(const std::vector<std::uint8_t>& indices, const Table& table,
                                    int transparentIndex = -1)
{
    std::vector<std::uint32_t> pixels;
    for (std::uint8_t index : indices) {
        if (index == transparentIndex)
            pixels.push_back(0);
        else
            pixels.push_back(index < table.size() ? 0xFF000000u | table[index] : 0xFF000000u);
    }
    return pixels;
}

Bytes SimpleGif(int width, int height, const std::vector<std::uint8_t>& indices, const Table& table,
                int codeSize, FullTable full = FullTable::Clear)
{
    const Bytes lzw = EncodeLZW(indices, codeSize, full);
    return GifBuilder()
        .Header("GIF89a", width, height, table)
        .Image(width, height, {}, false, codeSize, lzw)
        .Trailer()
        .Data();
}

TEST(GIFDecoderTest, TransparentIndexFiveBecomesTransparentBlack)
{
    const Table table = MakeTable(8);
    const auto indices = RandomIndices(9 * 5, 8, 5);
    ASSERT_NE(std::count(indices.begin(), indices.end(), 5), 0);
    const Bytes lzw = EncodeLZW(indices, 3);
    const Bytes file = GifBuilder()
                           .Header("GIF89a", 9, 5, table)
                           .GraphicControl(5)
                           .Image(9, 5, {}, false, 3, lzw)
                           .Trailer()
                           .Data();

    const auto image = DecodeGIFImage(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 9);
    EXPECT_EQ(image->mHeight, 5);
    EXPECT_EQ(image->mPixels, Expected(indices, table, 5));
}

TEST(GIFDecoderTest, RoundTripsEveryCodeSizeAndTableMode)
{
    for (int codeSize = 2; codeSize <= 8; ++codeSize) {
        const int colors = 1 << codeSize;
        const Table table = MakeTable(static_cast<std::size_t>(colors));
        // Noise fills the 4096-entry table several times at the larger code sizes.
        const int width = 97;
        const int height = 83;
        for (const auto& indices : {RandomIndices(width * height, colors, 100u + codeSize),
                                    RunIndices(width * height, colors, 200u + codeSize)}) {
            for (FullTable full : {FullTable::Clear, FullTable::Keep}) {
                SCOPED_TRACE(testing::Message() << "code size " << codeSize << ", full table "
                                                << (full == FullTable::Clear ? "cleared" : "kept"));
                const auto image = DecodeGIFImage(SimpleGif(width, height, indices, table, codeSize, full));
                ASSERT_TRUE(image);
                EXPECT_EQ(image->mPixels, Expected(indices, table));
            }
        }
    }
}

TEST(GIFDecoderTest, AFullTableKeepsEveryEntryUntilTheNextClear)
{
    // Only single-index codes: each after the first defines one entry, so
    // 3839 of them fill entries 258 to 4095 exactly. Then codes name the last
    // entries and a literal follows, with no clear code in between.
    const Table table = MakeTable(256);
    const auto literals = RandomIndices(3839, 256, 6);
    QuillTest::GifCodeWriter writer(8);
    writer.Put(256);
    for (std::uint8_t literal : literals)
        writer.Put(literal);
    std::vector<std::uint8_t> expected = literals;
    auto entry = [&](int code) { // the two indices entry 258 + k stands for
        const std::size_t k = static_cast<std::size_t>(code - 258);
        return std::vector<std::uint8_t>{literals[k], literals[k + 1]};
    };
    for (int code : {4095, 4094, 4095, 17, 300}) {
        writer.Put(code);
        const auto part =
            code < 256 ? std::vector<std::uint8_t>{static_cast<std::uint8_t>(code)} : entry(code);
        expected.insert(expected.end(), part.begin(), part.end());
    }
    writer.Put(257);
    const Bytes lzw = writer.Finish();
    const int width = static_cast<int>(expected.size());
    const auto image = DecodeGIFImage(
        GifBuilder().Header("GIF89a", width, 1, table).Image(width, 1, {}, false, 8, lzw).Trailer().Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(expected, table));
}

TEST(GIFDecoderTest, InterlacedRowsLandInTheirPasses)
{
    const Table table = MakeTable(32);
    for (int height : {1, 2, 3, 4, 5, 7, 8, 9, 12, 17, 33}) {
        SCOPED_TRACE(testing::Message() << "height " << height);
        const int width = 6;
        std::vector<std::uint8_t> indices;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                indices.push_back(static_cast<std::uint8_t>((y + x * 3) % 32));
        const Bytes lzw = EncodeLZW(QuillTest::InterlaceRows(indices, width, height), 5);
        const Bytes file = GifBuilder()
                               .Header("GIF89a", width, height, table)
                               .Image(width, height, {}, true, 5, lzw)
                               .Trailer()
                               .Data();
        const auto image = DecodeGIFImage(file);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->mPixels, Expected(indices, table));
    }
}

TEST(GIFDecoderTest, ColourTablesAndSignatures)
{
    const auto indices = RandomIndices(7 * 6, 4, 9);
    const Table global(4, 0xFF0000);
    const Table local = MakeTable(4);
    const Bytes lzw = EncodeLZW(indices, 2);

    // A local table replaces the global one.
    auto image = DecodeGIFImage(
        GifBuilder().Header("GIF89a", 7, 6, global).Image(7, 6, local, false, 2, lzw).Trailer().Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(indices, local));

    // The older signature reads the same; the screen size is not the image size.
    image = DecodeGIFImage(
        GifBuilder().Header("GIF87a", 300, 200, local).Image(7, 6, {}, false, 2, lzw).Trailer().Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 7);
    EXPECT_EQ(image->mHeight, 6);
    EXPECT_EQ(image->mPixels, Expected(indices, local));

    // Indices past the end of a short table, or with no table at all, are opaque black.
    const Table twoColors = MakeTable(2);
    image = DecodeGIFImage(
        GifBuilder().Header("GIF89a", 7, 6, twoColors).Image(7, 6, {}, false, 2, lzw).Trailer().Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(indices, twoColors));
    image = DecodeGIFImage(
        GifBuilder().Header("GIF89a", 7, 6, {}).Image(7, 6, {}, false, 2, lzw).Trailer().Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(indices, {}));
}

TEST(GIFDecoderTest, ExtensionsAreSteppedOverAndOnlyTheFirstImageCounts)
{
    const Table table = MakeTable(16);
    const auto first = RandomIndices(10 * 4, 16, 1);
    const auto second = RandomIndices(10 * 4, 16, 2);
    const Bytes comment(600, 'c');
    const std::uint8_t netscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const std::uint8_t loop[] = {1, 0, 0};
    const Bytes unknown(70, 0x42);
    GifBuilder builder;
    builder.Header("GIF89a", 10, 4, table)
        .Extension(0xFE, comment, 100)
        .Raw(Bytes{0x21, 0xFF, 11})
        .Raw(netscape)
        .Raw(Bytes{3})
        .Raw(loop)
        .Raw(Bytes{0})
        .Extension(0x01, unknown, 13)
        .Extension(0x77, {})
        // A control block with an extra sub-block after its four bytes.
        .Raw(Bytes{0x21, 0xF9, 4, 1, 0, 0, 3, 2, 9, 9, 0})
        .Image(10, 4, {}, false, 4, EncodeLZW(first, 4))
        // The second image would be wrong if read, and its data is broken anyway.
        .GraphicControl(-1)
        .Image(10, 4, {}, false, 4, EncodeLZW(second, 4))
        .Raw(Bytes{0x2C, 0xFF});
    const auto image = DecodeGIFImage(builder.Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(first, table, 3));
}

TEST(GIFDecoderTest, TheLastControlBlockBeforeTheImageDecides)
{
    const Table table = MakeTable(4);
    const auto indices = RandomIndices(5 * 5, 4, 3);
    const Bytes lzw = EncodeLZW(indices, 2);
    auto image = DecodeGIFImage(GifBuilder()
                                    .Header("GIF89a", 5, 5, table)
                                    .GraphicControl(1)
                                    .GraphicControl(-1, 1)
                                    .Image(5, 5, {}, false, 2, lzw)
                                    .Trailer()
                                    .Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(indices, table));
    image = DecodeGIFImage(GifBuilder()
                               .Header("GIF89a", 5, 5, table)
                               .GraphicControl(-1)
                               .GraphicControl(2)
                               .Image(5, 5, {}, false, 2, lzw)
                               .Trailer()
                               .Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(indices, table, 2));
}

TEST(GIFDecoderTest, CodesPastTheLastPixelAreIgnored)
{
    // 40 pixels of data for a 5 × 5 picture: strings run over the end.
    const Table table = MakeTable(4);
    for (const auto& indices : {RunIndices(40, 4, 8), RandomIndices(40, 4, 8)}) {
        const Bytes lzw = EncodeLZW(indices, 2);
        const auto image = DecodeGIFImage(
            GifBuilder().Header("GIF89a", 5, 5, table).Image(5, 5, {}, false, 2, lzw).Trailer().Data());
        ASSERT_TRUE(image);
        const std::vector<std::uint8_t> shown(indices.begin(), indices.begin() + 25);
        EXPECT_EQ(image->mPixels, Expected(shown, table));
    }
}

TEST(GIFDecoderTest, MalformedCodeStreamsAreRefused)
{
    const Table table = MakeTable(4);
    // Code size 2: clear 4, end 5, first free entry 6, codes 3 bits wide.
    auto decode = [&](const Bytes& lzw) {
        return DecodeGIFImage(
            GifBuilder().Header("GIF89a", 2, 2, table).Image(2, 2, {}, false, 2, lzw).Trailer().Data());
    };
    // The reference stream decodes: 1, 1, then entry 6 ("1 1").
    ASSERT_TRUE(decode(PackCodes({{4, 3}, {1, 3}, {1, 3}, {6, 3}, {5, 3}})));
    // Right after a clear, an entry that is not a single index is undefined.
    EXPECT_FALSE(decode(PackCodes({{4, 3}, {6, 3}, {1, 3}, {1, 3}, {5, 3}})));
    // A code beyond the next entry to be defined.
    EXPECT_FALSE(decode(PackCodes({{4, 3}, {1, 3}, {7, 3}, {5, 3}})));
    // After a second clear the old entries are gone.
    EXPECT_FALSE(decode(PackCodes({{4, 3}, {1, 3}, {1, 3}, {4, 3}, {6, 3}, {5, 3}})));
    // The end code before every pixel is there.
    EXPECT_FALSE(decode(PackCodes({{4, 3}, {1, 3}, {2, 3}, {5, 3}})));
    // The data simply stops (zero padding to the byte still reads as codes, so
    // the picture is larger than the two bytes can cover).
    const Bytes stops = PackCodes({{4, 3}, {1, 3}, {2, 3}});
    EXPECT_FALSE(DecodeGIFImage(
        GifBuilder().Header("GIF89a", 3, 3, table).Image(3, 3, {}, false, 2, stops).Trailer().Data()));
    EXPECT_FALSE(decode({}));
}

TEST(GIFDecoderTest, MalformedFilesAreRefused)
{
    const Table table = MakeTable(4);
    const Bytes lzw = EncodeLZW(RandomIndices(6, 4, 1), 2);
    auto file = [&](std::string_view signature, int width, int height, int codeSize) {
        return GifBuilder()
            .Header(signature, width, height, table)
            .Image(width, height, {}, false, codeSize, lzw)
            .Trailer()
            .Data();
    };
    ASSERT_TRUE(DecodeGIFImage(file("GIF89a", 3, 2, 2)));
    EXPECT_FALSE(DecodeGIFImage(file("GIF88a", 3, 2, 2)));
    EXPECT_FALSE(DecodeGIFImage(file("JIF89a", 3, 2, 2)));
    EXPECT_FALSE(DecodeGIFImage(Bytes{'G', 'I', 'F', '8', '9'}));
    EXPECT_FALSE(DecodeGIFImage(file("GIF89a", 0, 2, 2)));
    EXPECT_FALSE(DecodeGIFImage(file("GIF89a", 3, 0, 2)));
    for (int codeSize : {0, 1, 9, 12, 255})
        EXPECT_FALSE(DecodeGIFImage(file("GIF89a", 3, 2, codeSize))) << "code size " << codeSize;

    // A trailer, or the end of the file, before any image.
    EXPECT_FALSE(DecodeGIFImage(GifBuilder().Header("GIF89a", 3, 2, table).Trailer().Data()));
    EXPECT_FALSE(DecodeGIFImage(GifBuilder().Header("GIF89a", 3, 2, table).GraphicControl(1).Data()));
    // A block that is neither extension nor image.
    EXPECT_FALSE(DecodeGIFImage(GifBuilder().Header("GIF89a", 3, 2, table).Raw(Bytes{0x00}).Data()));

    // A sub-block claiming more bytes than the file has.
    Bytes lying = GifBuilder()
                      .Header("GIF89a", 3, 2, table)
                      .Raw(Bytes{0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0, 2, 200})
                      .Raw(lzw)
                      .Data();
    EXPECT_FALSE(DecodeGIFImage(lying));
    lying = GifBuilder().Header("GIF89a", 3, 2, table).Raw(Bytes{0x21, 0xFE, 50, 'x'}).Data();
    EXPECT_FALSE(DecodeGIFImage(lying));
}

TEST(GIFDecoderTest, EveryTruncationIsRefusedUntilTheImageDataIsComplete)
{
    const Table table = MakeTable(16);
    const auto indices = RandomIndices(13 * 11, 16, 4);
    const Bytes lzw = EncodeLZW(indices, 4);
    GifBuilder builder;
    builder.Header("GIF89a", 13, 11, table).GraphicControl(2).Extension(0xFE, Bytes(40, 'x'), 16);
    builder.Image(13, 11, MakeTable(16), true, 4, lzw, 17);
    const std::size_t complete = builder.Data().size(); // up to the data terminator
    builder.Trailer();
    const Bytes& file = builder.Data();
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
        const auto image = DecodeGIFImage(std::span(file).first(cut));
        EXPECT_EQ(image.has_value(), cut >= complete) << "cut at " << cut << " of " << file.size();
    }
}

TEST(GIFDecoderTest, SizesBeyondTheLimitsOrTheDataAreRefusedBeforeAllocating)
{
    const Table table = MakeTable(4);
    const Bytes lzw = EncodeLZW(RunIndices(64, 4, 1), 2);
    QuillTest::AllocationProbe probe;
    for (auto [width, height] : {std::pair{16385, 1}, std::pair{1, 16385}, std::pair{16384, 4097},
                                 std::pair{16384, 4096}, std::pair{65535, 65535}}) {
        const Bytes file = GifBuilder()
                               .Header("GIF89a", width, height, table)
                               .Image(width, height, {}, false, 2, lzw)
                               .Trailer()
                               .Data();
        EXPECT_FALSE(DecodeGIFImage(file)) << width << " x " << height;
    }
    EXPECT_LT(probe.Largest(), 1u << 20);
}

} // namespace
