// PNG pictures through libpng. libpng reports errors by longjmp, so every call
// into it runs inside a small function that sets the jump target and keeps no
// C++ object with a destructor alive across it; the decoder object that owns
// libpng's structures lives outside and releases them on every path.
#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>

#include "graphics/ImageLib.h"

namespace Quill::ImageLib {

namespace {

static_assert(std::endian::native == std::endian::little,
              "rows are decoded straight into 0xAARRGGBB words as blue, green, red, alpha bytes");

// The PNG signature's length, and the bytes of each decoded BGRA pixel.
constexpr std::size_t kSignatureSize = 8;
constexpr int kBytesPerPixel = 4;
// deflate cannot expand data more than about 1032 times (two bits per 258-byte
// match), so image data larger than this many times the file cannot be in it.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

// The bytes libpng reads from.
struct Source {
    std::span<const std::uint8_t> mBytes;
    std::size_t mPos = 0;
};

void ReadFromSource(png_structp png, png_bytep out, png_size_t length)
{
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (source->mBytes.size() - source->mPos < length)
        png_error(png, "file ends early");
    std::memcpy(out, source->mBytes.data() + source->mPos, length);
    source->mPos += length;
}

// Errors jump back to the active setjmp; nothing is printed.
[[noreturn]] void OnError(png_structp png, png_const_charp /*message*/)
{
    png_longjmp(png, 1);
}

void OnWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// Bytes of filtered image data a picture needs at the least, before compression.
std::uint64_t MinimumRawBytes(png_uint_32 width, png_uint_32 height, int bitDepth, int channels)
{
    const std::uint64_t rowBits = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitDepth) *
                                  static_cast<std::uint64_t>(channels);
    return static_cast<std::uint64_t>(height) * (rowBits / 8);
}

class PNGDecoder {
public:
    explicit PNGDecoder(std::span<const std::uint8_t> bytes) : mSource{bytes} {}
    ~PNGDecoder()
    {
        if (mPng != nullptr)
            png_destroy_read_struct(&mPng, mInfo != nullptr ? &mInfo : nullptr, nullptr);
    }
    PNGDecoder(const PNGDecoder&) = delete;
    PNGDecoder& operator=(const PNGDecoder&) = delete;

    // The picture, or none when the bytes are not a readable PNG.
    [[nodiscard]] std::optional<Image> Decode();

private:
    // Reads the header chunks and sets up the conversion to 8-bit BGRA.
    [[nodiscard]] bool ReadHeader();
    // Reads every row of every pass into the picture.
    [[nodiscard]] bool ReadRows(std::uint32_t* pixels);

    // The file's bytes and the read position.
    Source mSource;
    // libpng's read and info structures, destroyed with the decoder.
    png_structp mPng = nullptr;
    png_infop mInfo = nullptr;
    // Size from the header, and the number of interlace passes to read.
    png_uint_32 mWidth = 0;
    png_uint_32 mHeight = 0;
    int mPasses = 1;
};

bool PNGDecoder::ReadHeader()
{
    if (setjmp(png_jmpbuf(mPng)))
        return false;
    png_set_read_fn(mPng, &mSource, ReadFromSource);
    png_set_user_limits(mPng, kMaxImageSide, kMaxImageSide);
    // Only the chunks that make up the pixels are read; text, colour profiles
    // and the rest are skipped without being decompressed.
    png_set_keep_unknown_chunks(mPng, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(mPng, mInfo);

    mWidth = png_get_image_width(mPng, mInfo);
    mHeight = png_get_image_height(mPng, mInfo);
    if (!IsAcceptableSize(mWidth, mHeight))
        return false;
    const int bitDepth = png_get_bit_depth(mPng, mInfo);
    const int colorType = png_get_color_type(mPng, mInfo);
    const std::uint64_t minimumRaw =
        MinimumRawBytes(mWidth, mHeight, bitDepth, png_get_channels(mPng, mInfo));
    if (minimumRaw / kMaxDeflateRatio > mSource.mBytes.size())
        return false;

    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(mPng);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0 && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(mPng);
    if (png_get_valid(mPng, mInfo, PNG_INFO_tRNS) != 0)
        png_set_tRNS_to_alpha(mPng);
    if (bitDepth == 16)
        png_set_scale_16(mPng);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb(mPng);
    png_set_bgr(mPng);
    png_set_filler(mPng, 0xFF, PNG_FILLER_AFTER);
    mPasses = png_set_interlace_handling(mPng);
    png_read_update_info(mPng, mInfo);
    return png_get_rowbytes(mPng, mInfo) == static_cast<png_size_t>(mWidth) * kBytesPerPixel;
}

bool PNGDecoder::ReadRows(std::uint32_t* pixels)
{
    if (setjmp(png_jmpbuf(mPng)))
        return false;
    for (int pass = 0; pass < mPasses; ++pass)
        for (png_uint_32 y = 0; y < mHeight; ++y)
            png_read_row(mPng, reinterpret_cast<png_bytep>(pixels + static_cast<std::size_t>(y) * mWidth),
                         nullptr);
    return true;
}

std::optional<Image> PNGDecoder::Decode()
{
    if (mSource.mBytes.size() < kSignatureSize || png_sig_cmp(mSource.mBytes.data(), 0, kSignatureSize) != 0)
        return std::nullopt;
    mPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (mPng == nullptr)
        return std::nullopt;
    mInfo = png_create_info_struct(mPng);
    if (mInfo == nullptr || !ReadHeader())
        return std::nullopt;

    Image image;
    image.mWidth = static_cast<int>(mWidth);
    image.mHeight = static_cast<int>(mHeight);
    image.mPixels.resize(static_cast<std::size_t>(mWidth) * mHeight);
    if (!ReadRows(image.mPixels.data()))
        return std::nullopt;
    return image;
}

} // namespace

std::optional<Image> DecodePNGImage(std::span<const std::uint8_t> bytes)
{
    return PNGDecoder(bytes).Decode();
}

} // namespace Quill::ImageLib
