// Decode time per megapixel of each picture format, on one 1024 × 768 picture
// (gradients, flat shapes and some grain, like the game's drawn art) encoded
// once per format. The GIF decoder is ours; libpng decoding the same 256-colour
// picture as a palette PNG, and a plain copy of the decoded bytes, run beside it
// so the ratios hold on a noisy machine.
#include <benchmark/benchmark.h>

#include <png.h>

#include <algorithm>
#include <cstring>
#include <random>

#include <jpeglib.h>

#include "graphics/ImageLib.h"
#include "tests/graphics/ImageEncoders.h"

namespace {

using QuillTest::Bytes;

void WriteToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp /*png*/) {}

// An 8-bit PNG of the given colour type and one byte per sample (for palette
// pictures, one index per pixel and the 0xRRGGBB palette).
Bytes EncodePNG(int width, int height, int colorType, const std::vector<std::uint8_t>& samples,
                const std::vector<std::uint32_t>& palette = {})
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes out;
    png_set_write_fn(png, &out, WriteToVector, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> colors;
    for (std::uint32_t rgb : palette)
        colors.push_back(
            {static_cast<png_byte>(rgb >> 16), static_cast<png_byte>(rgb >> 8), static_cast<png_byte>(rgb)});
    if (!colors.empty())
        png_set_PLTE(png, info, colors.data(), static_cast<int>(colors.size()));
    png_write_info(png, info);
    const std::size_t stride = samples.size() / static_cast<std::size_t>(height);
    for (int y = 0; y < height; ++y)
        png_write_row(png, samples.data() + static_cast<std::size_t>(y) * stride);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr double kMegapixels = kWidth * kHeight / 1e6;

// The picture as 8-bit RGB samples.
std::vector<std::uint8_t> MakePicture()
{
    std::mt19937 random(7);
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            int r = x * 255 / kWidth;
            int g = y * 255 / kHeight;
            int b = 128;
            // Flat discs and bars.
            const int dx = x % 160 - 80;
            const int dy = y % 160 - 80;
            if (dx * dx + dy * dy < 50 * 50) {
                r = 240;
                g = 200;
                b = 40;
            } else if ((y / 24) % 5 == 0) {
                r = 30;
                g = 60;
                b = 200;
            }
            // Grain on a quarter of the picture.
            if (y > kHeight * 3 / 4) {
                const int grain = static_cast<int>(random() % 17) - 8;
                r = std::clamp(r + grain, 0, 255);
                g = std::clamp(g + grain, 0, 255);
            }
            rgb.push_back(static_cast<std::uint8_t>(r));
            rgb.push_back(static_cast<std::uint8_t>(g));
            rgb.push_back(static_cast<std::uint8_t>(b));
        }
    }
    return rgb;
}

// The picture reduced to a 3-3-2 palette: one index per pixel.
std::vector<std::uint8_t> PaletteIndices(const std::vector<std::uint8_t>& rgb)
{
    std::vector<std::uint8_t> indices;
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        indices.push_back(
            static_cast<std::uint8_t>((rgb[i] & 0xE0) | ((rgb[i + 1] >> 3) & 0x1C) | (rgb[i + 2] >> 6)));
    return indices;
}

std::vector<std::uint32_t> Palette332()
{
    std::vector<std::uint32_t> table;
    for (std::uint32_t i = 0; i < 256; ++i)
        table.push_back(((i & 0xE0) << 16) | ((i & 0x1C) << 11) | ((i & 0x03) << 6));
    return table;
}

struct Pictures {
    Bytes mPng;
    Bytes mJpeg;
    Bytes mGif;
    Bytes mPalettePng;
};

const Pictures& GetPictures()
{
    static const Pictures pictures = [] {
        const auto rgb = MakePicture();
        Pictures p;

        p.mPng = EncodePNG(kWidth, kHeight, PNG_COLOR_TYPE_RGB, rgb);

        QuillTest::JpegSpec jpeg;
        jpeg.mWidth = kWidth;
        jpeg.mHeight = kHeight;
        jpeg.mColorSpace = JCS_RGB;
        jpeg.mQuality = 90;
        jpeg.mSamples = rgb;
        p.mJpeg = QuillTest::EncodeJPEG(jpeg);

        const auto indices = PaletteIndices(rgb);
        const auto table = Palette332();
        p.mGif = QuillTest::GifBuilder()
                     .Header("GIF89a", kWidth, kHeight, table)
                     .Image(kWidth, kHeight, {}, false, 8, QuillTest::EncodeLZW(indices, 8))
                     .Trailer()
                     .Data();

        p.mPalettePng = EncodePNG(kWidth, kHeight, PNG_COLOR_TYPE_PALETTE, indices, table);
        return p;
    }();
    return pictures;
}

void ReportPerMegapixel(benchmark::State& state, std::size_t fileBytes)
{
    // Inverted rate: seconds per megapixel.
    state.counters["time_per_MP"] = benchmark::Counter(
        kMegapixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["file_KB"] = static_cast<double>(fileBytes) / 1024.0;
}

template <std::optional<Quill::ImageLib::Image> (*Decode)(std::span<const std::uint8_t>)>
void DecodeBench(benchmark::State& state, const Bytes& file)
{
    for (auto _ : state) {
        auto image = Decode(file);
        if (!image || image->mWidth != kWidth) {
            state.SkipWithError("picture did not decode");
            break;
        }
        benchmark::DoNotOptimize(image->mPixels.data());
    }
    ReportPerMegapixel(state, file.size());
}

void BM_DecodePNG(benchmark::State& state)
{
    DecodeBench<Quill::ImageLib::DecodePNGImage>(state, GetPictures().mPng);
}
BENCHMARK(BM_DecodePNG)->Unit(benchmark::kMillisecond);

void BM_DecodeJPEG(benchmark::State& state)
{
    DecodeBench<Quill::ImageLib::DecodeJPEGImage>(state, GetPictures().mJpeg);
}
BENCHMARK(BM_DecodeJPEG)->Unit(benchmark::kMillisecond);

void BM_DecodeGIF(benchmark::State& state)
{
    DecodeBench<Quill::ImageLib::DecodeGIFImage>(state, GetPictures().mGif);
}
BENCHMARK(BM_DecodeGIF)->Unit(benchmark::kMillisecond);

// libpng on the very pixels of the GIF, as a palette PNG.
void BM_DecodePalettePNG(benchmark::State& state)
{
    DecodeBench<Quill::ImageLib::DecodePNGImage>(state, GetPictures().mPalettePng);
}
BENCHMARK(BM_DecodePalettePNG)->Unit(benchmark::kMillisecond);

// Floor: copying the decoded picture's bytes once.
void BM_CopyDecodedSize(benchmark::State& state)
{
    const std::vector<std::uint32_t> source(static_cast<std::size_t>(kWidth) * kHeight, 0xFF336699u);
    std::vector<std::uint32_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size() * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    ReportPerMegapixel(state, 0);
}
BENCHMARK(BM_CopyDecodedSize)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
