// The PNG reader on damaged and lying files (every colour type and bit depth is
// compared with ImageMagick in ReferenceDecodeTest).
#include <gtest/gtest.h>

#include <zlib.h>

#include "graphics/ImageLib.h"
#include "tests/graphics/AllocationProbe.h"
#include "tests/graphics/ImageData.h"

namespace {

using Quill::ImageLib::DecodePNGImage;
using Bytes = std::vector<std::uint8_t>;

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

// The file with another size in its header, the header's CRC made right again
// so only the size lies.
Bytes WithSize(const Bytes& file, std::uint32_t width, std::uint32_t height)
{
    Bytes changed = file;
    const Chunk header = Chunks(file).front();
    PutBE32(changed, header.mOffset + 8, width);
    PutBE32(changed, header.mOffset + 12, height);
    const auto crc = crc32(0, changed.data() + header.mOffset + 4, header.mLength + 4);
    PutBE32(changed, header.mOffset + 8 + header.mLength, static_cast<std::uint32_t>(crc));
    return changed;
}

TEST(PNGDecoderTest, EveryTruncationBeforeTheEndOfTheImageDataIsRefused)
{
    for (const char* name : {"png/rgba8-interlaced.png", "png/palette4-trns.png"}) {
        SCOPED_TRACE(name);
        const Bytes file = QuillTest::ReadImageData(name);
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
}

TEST(PNGDecoderTest, DamagedAndLyingFilesAreRefused)
{
    const Bytes file = QuillTest::ReadImageData("png/rgba8-interlaced.png");
    ASSERT_TRUE(DecodePNGImage(WithSize(file, 13, 9)));
    // More rows than the data holds; zero and oversized sizes.
    EXPECT_FALSE(DecodePNGImage(WithSize(file, 13, 90)));
    EXPECT_FALSE(DecodePNGImage(WithSize(file, 0, 9)));
    EXPECT_FALSE(DecodePNGImage(WithSize(file, 13, 0)));
    EXPECT_FALSE(DecodePNGImage(WithSize(file, 16385, 1)));
    EXPECT_FALSE(DecodePNGImage(WithSize(file, 0x7FFFFFFF, 0x7FFFFFFF)));

    // A damaged checksum in the image data.
    for (const Chunk& chunk : Chunks(file)) {
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
    // 8192 × 8192 is within the limits, but no file of a few hundred bytes holds it.
    const Bytes lying = WithSize(QuillTest::ReadImageData("png/rgba8-interlaced.png"), 8192, 8192);
    QuillTest::AllocationProbe probe;
    EXPECT_FALSE(DecodePNGImage(lying));
    EXPECT_LT(probe.Largest(), 1u << 20);
}

} // namespace
