// Our own GIF reader: the first image of a GIF87a or GIF89a file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "graphics/ImageLib.h"
#include "graphics/LZWDecoder.h"

namespace Quill::ImageLib {

namespace {

// Fixed sizes of the file's parts: "GIF87a"/"GIF89a", logical screen, image descriptor.
constexpr std::size_t kSignatureSize = 6;
constexpr std::size_t kScreenDescriptorSize = 7;
constexpr std::size_t kImageDescriptorSize = 9;

// Block introducers and the one extension label that matters here.
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;

// Flag bits of the screen and image descriptors.
constexpr std::uint8_t kColorTableFlag = 0x80;
constexpr std::uint8_t kInterlaceFlag = 0x40;
constexpr std::uint8_t kColorTableSizeMask = 0x07;
// Flag bit of the graphic control extension.
constexpr std::uint8_t kTransparencyFlag = 0x01;
// A graphic control block carries flags, a 2-byte delay and the transparent index.
constexpr std::size_t kGraphicControlSize = 4;

// Colour table entries are opaque; entries the file does not give are opaque black.
constexpr std::uint32_t kOpaque = 0xFF000000u;
// No graphic control block has marked an index transparent.
constexpr int kNoTransparency = -1;

// Reads forward through the file's bytes; every read says whether the bytes were there.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : mBytes(bytes) {}

    // The next byte, or false at the end of the file.
    [[nodiscard]] bool ReadByte(std::uint8_t& out)
    {
        if (mPos >= mBytes.size())
            return false;
        out = mBytes[mPos++];
        return true;
    }

    // The next count bytes, or none when the file ends first.
    [[nodiscard]] std::optional<std::span<const std::uint8_t>> Take(std::size_t count)
    {
        if (mBytes.size() - mPos < count)
            return std::nullopt;
        const auto part = mBytes.subspan(mPos, count);
        mPos += count;
        return part;
    }

private:
    std::span<const std::uint8_t> mBytes;
    std::size_t mPos = 0;
};

std::uint16_t LE16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// Parses the block structure up to the first image and decodes it.
class GIFDecoder {
public:
    explicit GIFDecoder(std::span<const std::uint8_t> bytes) : mReader(bytes) {}

    // The first image of the file, or none.
    [[nodiscard]] std::optional<Image> Decode();

private:
    // Reads 2^(1 + (flags & 7)) RGB entries into table, the rest staying opaque black.
    [[nodiscard]] bool ReadColorTable(std::uint8_t flags, std::array<std::uint32_t, 256>& table);
    // Reads one extension after its introducer.
    [[nodiscard]] bool ReadExtension();
    // Steps over sub-blocks up to their terminator.
    [[nodiscard]] bool SkipSubBlocks();
    // Appends the data of every sub-block up to the terminator.
    [[nodiscard]] bool ReadSubBlocks(std::vector<std::uint8_t>& data);
    // Reads the image descriptor, its colour table and data, and decodes the picture.
    [[nodiscard]] std::optional<Image> ReadImage();

    ByteReader mReader;
    // The global colour table, 0xAARRGGBB per index.
    std::array<std::uint32_t, 256> mGlobalColors{};
    // Set by the latest graphic control block.
    int mTransparentIndex = kNoTransparency;
};

bool GIFDecoder::ReadColorTable(std::uint8_t flags, std::array<std::uint32_t, 256>& table)
{
    table.fill(kOpaque);
    const std::size_t entries = std::size_t{1} << (1 + (flags & kColorTableSizeMask));
    const auto rgb = mReader.Take(entries * 3);
    if (!rgb)
        return false;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t* p = rgb->data() + i * 3;
        table[i] = kOpaque | (static_cast<std::uint32_t>(p[0]) << 16) |
                   (static_cast<std::uint32_t>(p[1]) << 8) | static_cast<std::uint32_t>(p[2]);
    }
    return true;
}

bool GIFDecoder::SkipSubBlocks()
{
    for (;;) {
        std::uint8_t size = 0;
        if (!mReader.ReadByte(size))
            return false;
        if (size == 0)
            return true;
        if (!mReader.Take(size))
            return false;
    }
}

bool GIFDecoder::ReadSubBlocks(std::vector<std::uint8_t>& data)
{
    for (;;) {
        std::uint8_t size = 0;
        if (!mReader.ReadByte(size))
            return false;
        if (size == 0)
            return true;
        const auto block = mReader.Take(size);
        if (!block)
            return false;
        data.insert(data.end(), block->begin(), block->end());
    }
}

bool GIFDecoder::ReadExtension()
{
    std::uint8_t label = 0;
    if (!mReader.ReadByte(label))
        return false;
    if (label == kGraphicControlLabel) {
        std::uint8_t size = 0;
        if (!mReader.ReadByte(size))
            return false;
        if (size == 0)
            return true;
        const auto block = mReader.Take(size);
        if (!block)
            return false;
        // The latest control block governs the image that follows it.
        mTransparentIndex = kNoTransparency;
        if (size >= kGraphicControlSize && ((*block)[0] & kTransparencyFlag) != 0)
            mTransparentIndex = (*block)[3];
    }
    // Comments, application blocks ("NETSCAPE2.0") and anything unknown are
    // skipped by their sub-blocks, as is the rest of a control block.
    return SkipSubBlocks();
}

std::optional<Image> GIFDecoder::ReadImage()
{
    const auto descriptor = mReader.Take(kImageDescriptorSize);
    if (!descriptor)
        return std::nullopt;
    const int width = LE16(*descriptor, 4);
    const int height = LE16(*descriptor, 6);
    const std::uint8_t flags = (*descriptor)[8];
    if (!IsAcceptableSize(width, height))
        return std::nullopt;

    std::array<std::uint32_t, 256> localColors{};
    const std::array<std::uint32_t, 256>* colors = &mGlobalColors;
    if ((flags & kColorTableFlag) != 0) {
        if (!ReadColorTable(flags, localColors))
            return std::nullopt;
        colors = &localColors;
    }

    std::uint8_t initialCodeSize = 0;
    if (!mReader.ReadByte(initialCodeSize))
        return std::nullopt;
    if (initialCodeSize < LZWDecoder::kMinInitialCodeSize ||
        initialCodeSize > LZWDecoder::kMaxInitialCodeSize)
        return std::nullopt;
    std::vector<std::uint8_t> data;
    if (!ReadSubBlocks(data))
        return std::nullopt;

    // Every code is at least initialCodeSize + 1 bits and yields at most
    // kMaxPixelsPerCode pixels, so a picture larger than that bound cannot be in
    // the data: it is refused before anything is allocated for it.
    const std::int64_t pixelCount = static_cast<std::int64_t>(width) * height;
    const std::int64_t maxCodes = static_cast<std::int64_t>(data.size()) * 8 / (initialCodeSize + 1);
    if (pixelCount > maxCodes * LZWDecoder::kMaxPixelsPerCode)
        return std::nullopt;

    std::vector<std::uint8_t> indices(static_cast<std::size_t>(pixelCount));
    auto lzw = std::make_unique<LZWDecoder>();
    if (!lzw->Decode(initialCodeSize, data, indices))
        return std::nullopt;

    std::array<std::uint32_t, 256> palette = *colors;
    if (mTransparentIndex != kNoTransparency)
        palette[static_cast<std::size_t>(mTransparentIndex)] = 0;

    Image image;
    image.mWidth = width;
    image.mHeight = height;
    image.mPixels.resize(static_cast<std::size_t>(pixelCount));
    const std::size_t rowLength = static_cast<std::size_t>(width);
    auto copyRow = [&](std::size_t sourceRow, int destRow) {
        const std::uint8_t* src = indices.data() + sourceRow * rowLength;
        std::uint32_t* dst = image.mPixels.data() + static_cast<std::size_t>(destRow) * rowLength;
        for (std::size_t x = 0; x < rowLength; ++x)
            dst[x] = palette[src[x]];
    };
    if ((flags & kInterlaceFlag) == 0) {
        for (int y = 0; y < height; ++y)
            copyRow(static_cast<std::size_t>(y), y);
    } else {
        // Four passes: every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
        constexpr std::array<int, 4> kStart = {0, 4, 2, 1};
        constexpr std::array<int, 4> kStep = {8, 8, 4, 2};
        std::size_t sourceRow = 0;
        for (std::size_t pass = 0; pass < kStart.size(); ++pass)
            for (int y = kStart[pass]; y < height; y += kStep[pass])
                copyRow(sourceRow++, y);
    }
    return image;
}

std::optional<Image> GIFDecoder::Decode()
{
    const auto signature = mReader.Take(kSignatureSize);
    if (!signature)
        return std::nullopt;
    if (std::memcmp(signature->data(), "GIF87", 5) != 0 && std::memcmp(signature->data(), "GIF89", 5) != 0)
        return std::nullopt;
    const auto screen = mReader.Take(kScreenDescriptorSize);
    if (!screen)
        return std::nullopt;
    mGlobalColors.fill(kOpaque);
    const std::uint8_t screenFlags = (*screen)[4];
    if ((screenFlags & kColorTableFlag) != 0 && !ReadColorTable(screenFlags, mGlobalColors))
        return std::nullopt;

    for (;;) {
        std::uint8_t introducer = 0;
        if (!mReader.ReadByte(introducer))
            return std::nullopt;
        if (introducer == kImageSeparator)
            return ReadImage();
        // A trailer before any image means there is no picture; anything but
        // an extension here is damage.
        if (introducer == kTrailer || introducer != kExtensionIntroducer || !ReadExtension())
            return std::nullopt;
    }
}

} // namespace

std::optional<Image> DecodeGIFImage(std::span<const std::uint8_t> bytes)
{
    return GIFDecoder(bytes).Decode();
}

} // namespace Quill::ImageLib
