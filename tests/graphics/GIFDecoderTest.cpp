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
using QuillTest::GifBuilder;
using QuillTest::PackCodes;
using Indices = std::vector<std::uint8_t>;
using Table = std::vector<std::uint32_t>;

// Distinct colours, entry i being easy to tell from entry i + 1.
Table MakeTable(std::size_t size)
{
    Table table;
    for (std::size_t i = 0; i < size; ++i)
        table.push_back(static_cast<std::uint32_t>((i * 0x9E3779B1u) & 0xFFFFFFu));
    return table;
}

// Noise, or with runs set, runs of one index (long strings, and codes naming
// the entry they define).
Indices MakeIndices(std::size_t count, int colors, std::uint32_t seed, bool runs = false)
{
    std::mt19937 random(seed);
    Indices indices(count);
    std::uint8_t current = 0;
    for (auto& index : indices) {
        if (!runs || random() % 37 == 0)
            current = static_cast<std::uint8_t>(random() % static_cast<std::uint32_t>(colors));
        index = current;
    }
    return indices;
}

std::vector<std::uint32_t> Expected(const Indices& indices, const Table& table, int transparentIndex = -1)
{
    std::vector<std::uint32_t> pixels;
    for (std::uint8_t index : indices) {
        const std::uint32_t color = index < table.size() ? 0xFF000000u | table[index] : 0xFF000000u;
        pixels.push_back(index == transparentIndex ? 0 : color);
    }
    return pixels;
}

// A file of one image: header with global table, an optional control block,
// the image with an optional local table, trailer.
struct GifParts {
    Table mGlobal;
    int mCodeSize = 2;
    Table mLocal;
    int mControl = -2; // -2: no control block; -1: one without transparency
    bool mInterlaced = false;
    std::string_view mSignature = "GIF89a";

    GifParts& Local(Table table)
    {
        mLocal = std::move(table);
        return *this;
    }
    GifParts& Control(int transparentIndex)
    {
        mControl = transparentIndex;
        return *this;
    }
    GifParts& Interlaced()
    {
        mInterlaced = true;
        return *this;
    }
    GifParts& Signature(std::string_view signature)
    {
        mSignature = signature;
        return *this;
    }
};

GifParts Parts(Table global, int codeSize = 2)
{
    GifParts parts;
    parts.mGlobal = std::move(global);
    parts.mCodeSize = codeSize;
    return parts;
}

Bytes MakeGif(const GifParts& parts, int width, int height, const Bytes& lzw)
{
    GifBuilder builder;
    builder.Header(parts.mSignature, width, height, parts.mGlobal);
    if (parts.mControl >= -1)
        builder.GraphicControl(parts.mControl);
    return builder.Image(width, height, parts.mLocal, parts.mInterlaced, parts.mCodeSize, lzw)
        .Trailer()
        .Data();
}

TEST(GIFDecoderTest, TransparentIndexFollowsTheLastControlBlock)
{
    const Table table = MakeTable(8);
    const Indices indices = MakeIndices(9 * 5, 8, 5);
    ASSERT_NE(std::count(indices.begin(), indices.end(), 5), 0);
    const Bytes lzw = EncodeLZW(indices, 3);
    auto image = DecodeGIFImage(MakeGif(Parts(table, 3).Control(5), 9, 5, lzw));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 9);
    EXPECT_EQ(image->mHeight, 5);
    EXPECT_EQ(image->mPixels, Expected(indices, table, 5));

    // A later control block without the flag cancels an earlier one.
    const Bytes twoBlocks = GifBuilder()
                                .Header("GIF89a", 9, 5, table)
                                .GraphicControl(5)
                                .GraphicControl(-1, 5)
                                .Image(9, 5, {}, false, 3, lzw)
                                .Data();
    image = DecodeGIFImage(twoBlocks);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(indices, table));

    // A control block too short to hold an index marks nothing.
    const std::uint8_t shortBlock[] = {0x21, 0xF9, 1, 1, 0};
    image = DecodeGIFImage(
        GifBuilder().Header("GIF89a", 9, 5, table).Raw(shortBlock).Image(9, 5, {}, false, 3, lzw).Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(indices, table));
}

TEST(GIFDecoderTest, RoundTripsEveryCodeSizeAndTableMode)
{
    const int width = 97;
    const int height = 83;
    for (int codeSize = 2; codeSize <= 8; ++codeSize) {
        const Table table = MakeTable(std::size_t{1} << codeSize);
        // Noise fills the 4096-entry table several times at the larger code sizes.
        for (bool runs : {false, true}) {
            const Indices indices = MakeIndices(width * height, 1 << codeSize, 100u + codeSize, runs);
            for (auto full : {QuillTest::FullTable::Clear, QuillTest::FullTable::Keep}) {
                SCOPED_TRACE(testing::Message() << "code size " << codeSize << (runs ? ", runs" : ", noise")
                                                << (full == QuillTest::FullTable::Keep ? ", no clear" : ""));
                const Bytes lzw = EncodeLZW(indices, codeSize, full);
                const auto image = DecodeGIFImage(MakeGif(Parts(table, codeSize), width, height, lzw));
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
    const Indices literals = MakeIndices(3839, 256, 6);
    QuillTest::GifCodeWriter writer(8);
    writer.Put(256);
    for (std::uint8_t literal : literals)
        writer.Put(literal);
    Indices expected = literals;
    for (int code : {4095, 4094, 4095, 17, 300}) {
        writer.Put(code);
        // Entry 258 + k stands for literals k and k + 1.
        const auto k = static_cast<std::size_t>(code - 258);
        const Indices part =
            code < 256 ? Indices{static_cast<std::uint8_t>(code)} : Indices{literals[k], literals[k + 1]};
        expected.insert(expected.end(), part.begin(), part.end());
    }
    writer.Put(257);
    const int width = static_cast<int>(expected.size());
    const auto image = DecodeGIFImage(MakeGif(Parts(table, 8), width, 1, writer.Finish()));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(expected, table));
}

TEST(GIFDecoderTest, InterlacedRowsLandInTheirPasses)
{
    const Table table = MakeTable(32);
    for (int height : {1, 2, 3, 4, 5, 7, 8, 9, 12, 17, 33}) {
        SCOPED_TRACE(testing::Message() << "height " << height);
        const int width = 6;
        Indices indices;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                indices.push_back(static_cast<std::uint8_t>((y + x * 3) % 32));
        const Bytes lzw = EncodeLZW(QuillTest::InterlaceRows(indices, width, height), 5);
        const auto image = DecodeGIFImage(MakeGif(Parts(table, 5).Interlaced(), width, height, lzw));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->mPixels, Expected(indices, table));
    }
}

TEST(GIFDecoderTest, ColourTablesSignaturesAndSizes)
{
    const Indices indices = MakeIndices(7 * 6, 4, 9);
    const Table local = MakeTable(4);
    const Bytes lzw = EncodeLZW(indices, 2);
    const std::vector<std::pair<GifParts, Table>> cases = {
        // A local table replaces the global one.
        {Parts(Table(4, 0xFF0000)).Local(local), local},
        // The older signature reads the same.
        {Parts(local).Signature("GIF87a"), local},
        // Indices past the end of a short table, or with no table at all, are opaque black.
        {Parts(MakeTable(2)), MakeTable(2)},
        {Parts({}), {}},
    };
    for (const auto& [parts, colors] : cases) {
        const auto image = DecodeGIFImage(MakeGif(parts, 7, 6, lzw));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->mPixels, Expected(indices, colors));
    }

    // The size is the image's, not the logical screen's; codes for pixels past
    // the last one (strings running over the end) are dropped.
    const Indices longer = MakeIndices(40, 4, 8, true);
    const auto image = DecodeGIFImage(GifBuilder()
                                          .Header("GIF89a", 300, 200, local)
                                          .Image(5, 5, {}, false, 2, EncodeLZW(longer, 2))
                                          .Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, 5);
    EXPECT_EQ(image->mHeight, 5);
    EXPECT_EQ(image->mPixels, Expected(Indices(longer.begin(), longer.begin() + 25), local));
}

TEST(GIFDecoderTest, ExtensionsAreSteppedOverAndOnlyTheFirstImageCounts)
{
    const Table table = MakeTable(16);
    const Indices first = MakeIndices(10 * 4, 16, 1);
    const std::uint8_t netscape[] = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                     'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
    GifBuilder builder;
    builder.Header("GIF89a", 10, 4, table)
        .Extension(0xFE, Bytes(600, 'c'), 100)
        .Raw(netscape)
        .Extension(0x01, Bytes(70, 0x42), 13)
        .Extension(0x77, {})
        // A control block with an extra sub-block after its four bytes.
        .Raw(Bytes{0x21, 0xF9, 4, 1, 0, 0, 3, 2, 9, 9, 0})
        .Image(10, 4, {}, false, 4, EncodeLZW(first, 4))
        // A second image, different and broken, is never read.
        .GraphicControl(-1)
        .Image(10, 4, {}, false, 4, EncodeLZW(MakeIndices(10 * 4, 16, 2), 4))
        .Raw(Bytes{0x2C, 0xFF});
    const auto image = DecodeGIFImage(builder.Data());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mPixels, Expected(first, table, 3));
}

TEST(GIFDecoderTest, MalformedCodeStreamsAreRefused)
{
    const Table table = MakeTable(4);
    // Code size 2: clear 4, end 5, first free entry 6, codes 3 bits wide.
    auto decode = [&](int side, const std::vector<std::pair<int, int>>& codes) {
        return DecodeGIFImage(MakeGif(Parts(table), side, side, PackCodes(codes)));
    };
    // The reference stream decodes: 1, 1, then entry 6 ("1 1").
    ASSERT_TRUE(decode(2, {{4, 3}, {1, 3}, {1, 3}, {6, 3}, {5, 3}}));
    // Right after a clear, an entry that is not a single index is undefined.
    EXPECT_FALSE(decode(2, {{4, 3}, {6, 3}, {1, 3}, {1, 3}, {5, 3}}));
    // A code beyond the next entry to be defined.
    EXPECT_FALSE(decode(2, {{4, 3}, {1, 3}, {7, 3}, {5, 3}}));
    // After a second clear the old entries are gone.
    EXPECT_FALSE(decode(2, {{4, 3}, {1, 3}, {1, 3}, {4, 3}, {6, 3}, {5, 3}}));
    // The end code before every pixel is there.
    EXPECT_FALSE(decode(2, {{4, 3}, {1, 3}, {2, 3}, {5, 3}}));
    // The data stops (its zero padding reads as codes, but too few for 3 × 3).
    EXPECT_FALSE(decode(3, {{4, 3}, {1, 3}, {2, 3}}));
    EXPECT_FALSE(decode(2, {}));
}

TEST(GIFDecoderTest, MalformedFilesAreRefused)
{
    const Table table = MakeTable(4);
    const Bytes lzw = EncodeLZW(MakeIndices(6, 4, 1), 2);
    ASSERT_TRUE(DecodeGIFImage(MakeGif(Parts(table), 3, 2, lzw)));
    EXPECT_FALSE(DecodeGIFImage(MakeGif(Parts(table).Signature("GIF88a"), 3, 2, lzw)));
    EXPECT_FALSE(DecodeGIFImage(MakeGif(Parts(table).Signature("JIF89a"), 3, 2, lzw)));
    EXPECT_FALSE(DecodeGIFImage(Bytes{'G', 'I', 'F', '8', '9'}));
    EXPECT_FALSE(DecodeGIFImage(MakeGif(Parts(table), 0, 2, lzw)));
    EXPECT_FALSE(DecodeGIFImage(MakeGif(Parts(table), 3, 0, lzw)));
    for (int codeSize : {0, 1, 9, 12, 255})
        EXPECT_FALSE(DecodeGIFImage(MakeGif(Parts(table, codeSize), 3, 2, lzw))) << codeSize;

    // A trailer, the end of the file, or a block of no known kind before any image.
    const Bytes header = GifBuilder().Header("GIF89a", 3, 2, table).Data();
    for (const Bytes& rest :
         {Bytes{0x3B}, Bytes{0x21, 0xF9, 4, 1, 0, 0, 1, 0}, Bytes{0x00},
          // Sub-blocks claiming more bytes than the file has.
          Bytes{0x21, 0xFE, 50, 'x'}, Bytes{0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0, 2, 200, 1, 2}}) {
        Bytes file = header;
        file.insert(file.end(), rest.begin(), rest.end());
        EXPECT_FALSE(DecodeGIFImage(file)) << "block " << int{rest[0]};
    }
}

TEST(GIFDecoderTest, EveryTruncationIsRefusedUntilTheImageDataIsComplete)
{
    GifBuilder builder;
    builder.Header("GIF89a", 13, 11, MakeTable(16)).GraphicControl(2).Extension(0xFE, Bytes(40, 'x'), 16);
    builder.Image(13, 11, MakeTable(16), true, 4, EncodeLZW(MakeIndices(13 * 11, 16, 4), 4), 17);
    const std::size_t complete = builder.Data().size(); // up to the data terminator
    const Bytes& file = builder.Trailer().Data();
    for (std::size_t cut = 0; cut < file.size(); ++cut)
        EXPECT_EQ(DecodeGIFImage(std::span(file).first(cut)).has_value(), cut >= complete)
            << "cut at " << cut;
}

TEST(GIFDecoderTest, SizesBeyondTheLimitsOrTheDataAreRefusedBeforeAllocating)
{
    const Bytes lzw = EncodeLZW(MakeIndices(64, 4, 1, true), 2);
    QuillTest::AllocationProbe probe;
    // 16384 × 4096 is within the limits, but 64 pixels of data cannot fill it.
    for (auto [width, height] : {std::pair{16385, 1}, std::pair{1, 16385}, std::pair{16384, 4097},
                                 std::pair{16384, 4096}, std::pair{65535, 65535}})
        EXPECT_FALSE(DecodeGIFImage(MakeGif(Parts(MakeTable(4)), width, height, lzw)))
            << width << " x " << height;
    EXPECT_LT(probe.Largest(), 1u << 20);
}

} // namespace
