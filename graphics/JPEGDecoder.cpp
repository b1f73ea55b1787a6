// JPEG pictures through libjpeg's 6b interface. libjpeg reports errors through
// its error manager, whose exit routine must not return; ours jumps back to the
// setjmp of the small function that made the call. Those functions keep no C++
// object with a destructor alive across the jump, and the decoder object that
// owns libjpeg's state lives outside them and destroys it on every path, which
// releases every allocation libjpeg made.
#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include <jerror.h>

#include "graphics/ImageLib.h"

namespace Quill::ImageLib {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr int kRGBComponents = 3;
constexpr int kCMYKComponents = 4;
// A progressive picture keeps every coefficient: 2 bytes per sample, at most
// four full-size components, plus room for libjpeg's smaller buffers.
constexpr long kMaxLibraryMemory = static_cast<long>(kMaxImagePixels) * 2 * kCMYKComponents + (64L << 20);

// libjpeg's error manager plus the place its exit routine jumps to.
struct ErrorManager {
    jpeg_error_mgr mPublic;
    std::jmp_buf mJump;
};

[[noreturn]] void ExitOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->mJump, 1);
}

// Message output stays quiet. Most warnings are harmless (stray bytes between
// markers), but libjpeg also only warns when the coded data runs short or is
// corrupt and then fills in grey; such a picture is broken, so it is refused.
void EmitMessage(j_common_ptr info, int level)
{
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE || code == JWRN_JPEG_EOF))
        info->err->error_exit(info);
}

void OutputMessage(j_common_ptr /*info*/) {}

[[noreturn]] void Fail(j_decompress_ptr info, int messageCode)
{
    info->err->msg_code = messageCode;
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    // error_exit never returns; this keeps the promise of [[noreturn]] if it did.
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->mJump, 1);
}

// The source is the whole file in memory, given to libjpeg at once. Running out
// of data is an error: a truncated file is refused rather than padded.
void InitSource(j_decompress_ptr /*info*/) {}

boolean FillInputBuffer(j_decompress_ptr info)
{
    Fail(info, JERR_INPUT_EOF);
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    if (static_cast<unsigned long>(count) > source->bytes_in_buffer)
        Fail(info, JERR_INPUT_EOF);
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<std::size_t>(count);
}

void TermSource(j_decompress_ptr /*info*/) {}

// CMYK as Adobe applications store it (saw_Adobe_marker) is inverted: the
// stored values are 255 - ink. Plain CMYK stores the ink itself.
std::uint32_t CMYKToARGB(const JSAMPLE* p, bool inverted)
{
    auto channel = [&](int ink, int black) {
        const int c = inverted ? ink : 255 - ink;
        const int k = inverted ? black : 255 - black;
        return static_cast<std::uint32_t>((c * k + 127) / 255);
    };
    return kOpaque | (channel(p[0], p[3]) << 16) | (channel(p[1], p[3]) << 8) | channel(p[2], p[3]);
}

class JPEGDecoder {
public:
    explicit JPEGDecoder(std::span<const std::uint8_t> bytes)
    {
        mInfo.err = jpeg_std_error(&mError.mPublic);
        mError.mPublic.error_exit = ExitOnError;
        mError.mPublic.emit_message = EmitMessage;
        mError.mPublic.output_message = OutputMessage;
        mSource.next_input_byte = bytes.data();
        mSource.bytes_in_buffer = bytes.size();
        mSource.init_source = InitSource;
        mSource.fill_input_buffer = FillInputBuffer;
        mSource.skip_input_data = SkipInputData;
        mSource.resync_to_restart = jpeg_resync_to_restart;
        mSource.term_source = TermSource;
    }
    ~JPEGDecoder()
    {
        // Safe after a failed or partial creation: it frees whatever exists.
        if (mCreated)
            jpeg_destroy_decompress(&mInfo);
    }
    JPEGDecoder(const JPEGDecoder&) = delete;
    JPEGDecoder& operator=(const JPEGDecoder&) = delete;

    // The picture, or none when the bytes are not a readable JPEG.
    [[nodiscard]] std::optional<Image> Decode();

private:
    // Reads the header, checks the size and starts decompression.
    [[nodiscard]] bool Start();
    // Reads every scan line into the picture through the row buffer. The
    // picture grows as rows arrive, so a header claiming far more rows than
    // the data holds costs no more memory than the rows really decoded.
    [[nodiscard]] bool ReadRows(std::vector<std::uint32_t>& pixels, JSAMPLE* row);

    // libjpeg's decompression state, its error manager and the source reading
    // the bytes; they point at each other, so the decoder neither copies nor moves.
    jpeg_decompress_struct mInfo{};
    ErrorManager mError{};
    jpeg_source_mgr mSource{};
    // Set once creation began, so that the destructor releases libjpeg's memory.
    bool mCreated = false;
};

bool JPEGDecoder::Start()
{
    if (setjmp(mError.mJump))
        return false;
    mCreated = true;
    jpeg_CreateDecompress(&mInfo, JPEG_LIB_VERSION, sizeof(mInfo));
    mInfo.src = &mSource;
    if (jpeg_read_header(&mInfo, TRUE) != JPEG_HEADER_OK)
        return false;
    if (!IsAcceptableSize(mInfo.image_width, mInfo.image_height))
        return false;
    // libjpeg converts greyscale and YCbCr to RGB itself, but not CMYK or YCCK;
    // those come out as CMYK and are converted here.
    const bool cmyk = mInfo.jpeg_color_space == JCS_CMYK || mInfo.jpeg_color_space == JCS_YCCK;
    mInfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    // Whole-picture buffers (progressive files) are bounded by what the
    // largest accepted picture can need; past that libjpeg fails cleanly.
    mInfo.mem->max_memory_to_use = kMaxLibraryMemory;
    jpeg_start_decompress(&mInfo);
    const int expected = cmyk ? kCMYKComponents : kRGBComponents;
    return mInfo.output_components == expected && IsAcceptableSize(mInfo.output_width, mInfo.output_height);
}

bool JPEGDecoder::ReadRows(std::vector<std::uint32_t>& pixels, JSAMPLE* row)
{
    if (setjmp(mError.mJump))
        return false;
    const bool cmyk = mInfo.out_color_space == JCS_CMYK;
    const bool inverted = mInfo.saw_Adobe_marker != 0;
    const std::size_t width = mInfo.output_width;
    const std::size_t total = width * mInfo.output_height;
    while (mInfo.output_scanline < mInfo.output_height) {
        const std::size_t rowStart = static_cast<std::size_t>(mInfo.output_scanline) * width;
        if (pixels.size() < rowStart + width)
            pixels.resize(std::min(total, std::max(rowStart + width, pixels.size() * 2)));
        std::uint32_t* out = pixels.data() + rowStart;
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&mInfo, rows, 1) != 1)
            return false;
        if (cmyk) {
            for (std::size_t x = 0; x < width; ++x)
                out[x] = CMYKToARGB(row + x * kCMYKComponents, inverted);
        } else {
            for (std::size_t x = 0; x < width; ++x) {
                const JSAMPLE* p = row + x * kRGBComponents;
                out[x] = kOpaque | (static_cast<std::uint32_t>(p[0]) << 16) |
                         (static_cast<std::uint32_t>(p[1]) << 8) | static_cast<std::uint32_t>(p[2]);
            }
        }
    }
    return true;
}

std::optional<Image> JPEGDecoder::Decode()
{
    if (!Start())
        return std::nullopt;
    Image image;
    image.mWidth = static_cast<int>(mInfo.output_width);
    image.mHeight = static_cast<int>(mInfo.output_height);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(image.mWidth) * kCMYKComponents);
    if (!ReadRows(image.mPixels, row.data()))
        return std::nullopt;
    // The rest of the file (normally just the end marker) is not needed.
    return image;
}

} // namespace

std::optional<Image> DecodeJPEGImage(std::span<const std::uint8_t> bytes)
{
    return JPEGDecoder(bytes).Decode();
}

} // namespace Quill::ImageLib
