#pragma once

// Writers of test pictures: an LZW encoder and GIF block builder written
// independently of the reader, a thin libjpeg writer and a TGA writer. Shared
// by the image tests and the image benchmark.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace QuillTest {

using Bytes = std::vector<std::uint8_t>;

// How the LZW encoder treats a full (4096-entry) string table.
enum class FullTable {
    // Emit a clear code and start over, as most encoders do.
    Clear,
    // Keep coding with the full table and no clear code (a "deferred clear").
    Keep,
};

// Writes GIF codes at the width a decoder expects: it starts at the initial
// code size + 1 and grows as the decoder's table grows (one entry for every
// code but the first after a clear, up to 4096 entries).
class GifCodeWriter {
public:
    explicit GifCodeWriter(int initialCodeSize);

    void Put(int code);
    // Raw bits, least significant first, with no width bookkeeping.
    void PutBits(int code, int width);
    [[nodiscard]] int ClearCode() const { return mClearCode; }
    Bytes Finish();

private:
    Bytes mBytes;
    std::uint64_t mBits = 0;
    int mCount = 0;
    int mInitialCodeSize;
    int mClearCode;
    int mWidth;
    int mDecoderNext;
    bool mFirstAfterClear = true;
};

// GIF LZW code stream (before splitting into sub-blocks) for the colour indices.
Bytes EncodeLZW(std::span<const std::uint8_t> indices, int initialCodeSize,
                FullTable full = FullTable::Clear);

// Packs explicit (code, bit width) pairs least significant bit first, for
// hand-made, possibly malformed code streams.
Bytes PackCodes(const std::vector<std::pair<int, int>>& codesAndWidths);

// The rows of an image in the order an interlaced GIF stores them.
std::vector<std::uint8_t> InterlaceRows(std::span<const std::uint8_t> indices, int width, int height);

// Builds a GIF file block by block.
class GifBuilder {
public:
    // Signature ("GIF89a", "GIF87a" or anything for negative tests), logical
    // screen and optional global table (0xRRGGBB entries, padded to a power of two).
    GifBuilder& Header(std::string_view signature, int screenWidth, int screenHeight,
                       const std::vector<std::uint32_t>& globalTable);
    // Graphic control extension; transparentIndex < 0 leaves the flag clear.
    GifBuilder& GraphicControl(int transparentIndex, int index = 0);
    // Any extension: label and its data, split into sub-blocks of blockSize.
    GifBuilder& Extension(std::uint8_t label, std::span<const std::uint8_t> data, int blockSize = 255);
    // Image descriptor, optional local table, code size and the LZW data split
    // into sub-blocks of blockSize, with the terminator.
    GifBuilder& Image(int width, int height, const std::vector<std::uint32_t>& localTable, bool interlaced,
                      int initialCodeSize, std::span<const std::uint8_t> lzw, int blockSize = 255);
    GifBuilder& Trailer();
    GifBuilder& Raw(std::span<const std::uint8_t> bytes);

    [[nodiscard]] const Bytes& Data() const { return mData; }

private:
    void Table(const std::vector<std::uint32_t>& table);
    void SubBlocks(std::span<const std::uint8_t> data, int blockSize);

    Bytes mData;
};

// Smallest GIF table size field (entries = 2^(field + 1)) holding count entries.
int GifTableSizeField(std::size_t count);

// A JPEG written with libjpeg from interleaved 8-bit samples. colorSpace is a
// J_COLOR_SPACE value (JCS_RGB, JCS_GRAYSCALE, JCS_CMYK).
struct JpegSpec {
    int mWidth = 0;
    int mHeight = 0;
    int mColorSpace = 0;
    int mComponents = 3;
    int mQuality = 95;
    bool mProgressive = false;
    // libjpeg marks CMYK files with Adobe's APP14 marker unless this is set.
    bool mNoAdobeMarker = false;
    std::vector<std::uint8_t> mSamples;
};
Bytes EncodeJPEG(const JpegSpec& spec);

// An 18-byte TGA header followed by the given pixel words (little-endian).
Bytes EncodeTGA(int width, int height, std::span<const std::uint32_t> pixels, int bitsPerPixel = 32,
                int descriptor = 0x28, int imageType = 2, std::string_view id = {});

} // namespace QuillTest
