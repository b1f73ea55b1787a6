#include "tests/graphics/ImageEncoders.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include <jpeglib.h>

namespace QuillTest {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;

void PutLE16(Bytes& out, int value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

} // namespace

GifCodeWriter::GifCodeWriter(int initialCodeSize)
    : mInitialCodeSize(initialCodeSize), mClearCode(1 << initialCodeSize), mWidth(initialCodeSize + 1),
      mDecoderNext(mClearCode + 2)
{}

void GifCodeWriter::PutBits(int code, int width)
{
    mBits |= static_cast<std::uint64_t>(code) << mCount;
    mCount += width;
    while (mCount >= 8) {
        mBytes.push_back(static_cast<std::uint8_t>(mBits & 0xFF));
        mBits >>= 8;
        mCount -= 8;
    }
}

void GifCodeWriter::Put(int code)
{
    PutBits(code, mWidth);
    if (code == mClearCode) {
        mWidth = mInitialCodeSize + 1;
        mDecoderNext = mClearCode + 2;
        mFirstAfterClear = true;
        return;
    }
    if (!mFirstAfterClear && mDecoderNext < kMaxCodes) {
        ++mDecoderNext;
        if (mDecoderNext == (1 << mWidth) && mWidth < kMaxCodeBits)
            ++mWidth;
    }
    mFirstAfterClear = false;
}

Bytes GifCodeWriter::Finish()
{
    if (mCount > 0)
        mBytes.push_back(static_cast<std::uint8_t>(mBits & 0xFF));
    mBits = 0;
    mCount = 0;
    return std::move(mBytes);
}

Bytes EncodeLZW(std::span<const std::uint8_t> indices, int initialCodeSize, FullTable full)
{
    GifCodeWriter writer(initialCodeSize);
    const int clearCode = writer.ClearCode();
    const int endCode = clearCode + 1;
    // The encoder's own table: (prefix code, next index) to code.
    std::unordered_map<int, int> table;
    int nextCode = clearCode + 2;

    writer.Put(clearCode);
    if (!indices.empty()) {
        int prefix = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const int key = prefix * 256 + indices[i];
            if (const auto found = table.find(key); found != table.end()) {
                prefix = found->second;
                continue;
            }
            writer.Put(prefix);
            if (nextCode < kMaxCodes) {
                table.emplace(key, nextCode++);
            } else if (full == FullTable::Clear) {
                writer.Put(clearCode);
                table.clear();
                nextCode = clearCode + 2;
            }
            prefix = indices[i];
        }
        writer.Put(prefix);
    }
    writer.Put(endCode);
    return writer.Finish();
}

Bytes PackCodes(const std::vector<std::pair<int, int>>& codesAndWidths)
{
    GifCodeWriter writer(2);
    for (const auto& [code, width] : codesAndWidths)
        writer.PutBits(code, width);
    return writer.Finish();
}

std::vector<std::uint8_t> InterlaceRows(std::span<const std::uint8_t> indices, int width, int height)
{
    std::vector<std::uint8_t> out;
    out.reserve(indices.size());
    const int starts[4] = {0, 4, 2, 1};
    const int steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < height; y += steps[pass])
            out.insert(out.end(), indices.begin() + static_cast<std::ptrdiff_t>(y) * width,
                       indices.begin() + static_cast<std::ptrdiff_t>(y + 1) * width);
    return out;
}

int GifTableSizeField(std::size_t count)
{
    int field = 0;
    while ((std::size_t{2} << field) < count)
        ++field;
    return field;
}

void GifBuilder::Table(const std::vector<std::uint32_t>& table)
{
    const std::size_t entries = std::size_t{2} << GifTableSizeField(table.size());
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint32_t rgb = i < table.size() ? table[i] : 0;
        mData.push_back(static_cast<std::uint8_t>(rgb >> 16));
        mData.push_back(static_cast<std::uint8_t>(rgb >> 8));
        mData.push_back(static_cast<std::uint8_t>(rgb));
    }
}

void GifBuilder::SubBlocks(std::span<const std::uint8_t> data, int blockSize)
{
    for (std::size_t pos = 0; pos < data.size();) {
        const std::size_t size =
            std::min<std::size_t>(static_cast<std::size_t>(blockSize), data.size() - pos);
        mData.push_back(static_cast<std::uint8_t>(size));
        mData.insert(mData.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
                     data.begin() + static_cast<std::ptrdiff_t>(pos + size));
        pos += size;
    }
    mData.push_back(0);
}

GifBuilder& GifBuilder::Header(std::string_view signature, int screenWidth, int screenHeight,
                               const std::vector<std::uint32_t>& globalTable)
{
    mData.insert(mData.end(), signature.begin(), signature.end());
    PutLE16(mData, screenWidth);
    PutLE16(mData, screenHeight);
    const bool hasTable = !globalTable.empty();
    mData.push_back(
        static_cast<std::uint8_t>(hasTable ? 0x80 | 0x70 | GifTableSizeField(globalTable.size()) : 0));
    mData.push_back(0); // background index
    mData.push_back(0); // aspect
    if (hasTable)
        Table(globalTable);
    return *this;
}

GifBuilder& GifBuilder::GraphicControl(int transparentIndex, int index)
{
    const std::uint8_t block[4] = {
        static_cast<std::uint8_t>(transparentIndex >= 0 ? 1 : 0), 0, 0,
        static_cast<std::uint8_t>(transparentIndex >= 0 ? transparentIndex : index)};
    return Extension(0xF9, block);
}

GifBuilder& GifBuilder::Extension(std::uint8_t label, std::span<const std::uint8_t> data, int blockSize)
{
    mData.push_back(0x21);
    mData.push_back(label);
    SubBlocks(data, blockSize);
    return *this;
}

GifBuilder& GifBuilder::Image(int width, int height, const std::vector<std::uint32_t>& localTable,
                              bool interlaced, int initialCodeSize, std::span<const std::uint8_t> lzw,
                              int blockSize)
{
    mData.push_back(0x2C);
    PutLE16(mData, 0);
    PutLE16(mData, 0);
    PutLE16(mData, width);
    PutLE16(mData, height);
    int flags = interlaced ? 0x40 : 0;
    if (!localTable.empty())
        flags |= 0x80 | GifTableSizeField(localTable.size());
    mData.push_back(static_cast<std::uint8_t>(flags));
    if (!localTable.empty())
        Table(localTable);
    mData.push_back(static_cast<std::uint8_t>(initialCodeSize));
    SubBlocks(lzw, blockSize);
    return *this;
}

GifBuilder& GifBuilder::Trailer()
{
    mData.push_back(0x3B);
    return *this;
}

GifBuilder& GifBuilder::Raw(std::span<const std::uint8_t> bytes)
{
    mData.insert(mData.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes EncodeJPEG(const JpegSpec& spec)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_CreateCompress(&info, JPEG_LIB_VERSION, sizeof(info));
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(spec.mWidth);
    info.image_height = static_cast<JDIMENSION>(spec.mHeight);
    info.input_components = spec.mComponents;
    info.in_color_space = static_cast<J_COLOR_SPACE>(spec.mColorSpace);
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, spec.mQuality, TRUE);
    if (spec.mProgressive)
        jpeg_simple_progression(&info);
    if (spec.mNoAdobeMarker)
        info.write_Adobe_marker = FALSE;
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(spec.mWidth) * spec.mComponents;
    Bytes row(stride);
    while (info.next_scanline < info.image_height) {
        const auto* src = spec.mSamples.data() + info.next_scanline * stride;
        std::copy(src, src + stride, row.begin());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

Bytes EncodeTGA(int width, int height, std::span<const std::uint32_t> pixels, int bitsPerPixel,
                int descriptor, int imageType, std::string_view id)
{
    Bytes out;
    out.push_back(static_cast<std::uint8_t>(id.size()));
    out.push_back(0); // no colour map
    out.push_back(static_cast<std::uint8_t>(imageType));
    for (int i = 0; i < 5; ++i)
        out.push_back(0); // colour map first entry, length and entry size
    PutLE16(out, 0);
    PutLE16(out, 0);
    PutLE16(out, width);
    PutLE16(out, height);
    out.push_back(static_cast<std::uint8_t>(bitsPerPixel));
    out.push_back(static_cast<std::uint8_t>(descriptor));
    out.insert(out.end(), id.begin(), id.end());
    const int bytesPerPixel = bitsPerPixel / 8;
    for (std::uint32_t pixel : pixels)
        for (int b = 0; b < bytesPerPixel; ++b)
            out.push_back(static_cast<std::uint8_t>(pixel >> (8 * b)));
    return out;
}

} // namespace QuillTest
