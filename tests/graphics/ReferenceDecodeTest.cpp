// Pictures made by ImageMagick (tools/make-image-testdata) decode to exactly
// what ImageMagick itself decodes them to.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "graphics/ImageLib.h"
#include "tests/graphics/ImageData.h"

namespace {

const std::filesystem::path kDataDir = QuillTest::ImageDataDir();

struct Reference {
    std::string mName;
    int mWidth = 0;
    int mHeight = 0;
    int mBitsPerSample = 8;
};

std::vector<Reference> ReadManifest(const std::filesystem::path& folder)
{
    std::vector<Reference> references;
    std::ifstream in(folder / "manifest.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Reference reference;
        fields >> reference.mName >> reference.mWidth >> reference.mHeight >> reference.mBitsPerSample;
        references.push_back(reference);
    }
    return references;
}

// The gzip-compressed RGBA bytes ImageMagick wrote.
std::vector<std::uint8_t> ReadGzip(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    std::uint8_t chunk[4096];
    int count = 0;
    while ((count = gzread(file, chunk, sizeof(chunk))) > 0)
        bytes.insert(bytes.end(), chunk, chunk + count);
    gzclose(file);
    return bytes;
}

// How a fully transparent reference pixel must come out.
enum class Transparent {
    // As 0, transparent black (GIF's transparent index).
    Black,
    // With alpha 0 and any colour (PNG keeps the colour under it).
    AnyColor,
};

// Compares one picture with ImageMagick's RGBA; colour channels may differ by
// up to tolerance.
void CompareWithReference(const std::filesystem::path& folder, const Reference& reference,
                          std::optional<Quill::ImageLib::Image> (*read)(const std::string&), int tolerance,
                          Transparent transparent)
{
    SCOPED_TRACE(reference.mName);
    const auto image = read((folder / reference.mName).string());
    ASSERT_TRUE(image);
    ASSERT_EQ(image->mWidth, reference.mWidth);
    ASSERT_EQ(image->mHeight, reference.mHeight);
    const std::string stem = std::filesystem::path(reference.mName).stem().string();
    const auto dump = ReadGzip(folder / (stem + ".rgba.gz"));
    // 16-bit samples (big-endian) are reduced to 8 bits with exact rounding.
    const std::size_t sampleBytes = reference.mBitsPerSample == 16 ? 2 : 1;
    ASSERT_EQ(dump.size(), image->mPixels.size() * 4 * sampleBytes);
    std::vector<std::uint8_t> rgba;
    for (std::size_t i = 0; i < dump.size(); i += sampleBytes) {
        const unsigned value = sampleBytes == 2 ? (dump[i] << 8 | dump[i + 1]) : dump[i];
        rgba.push_back(static_cast<std::uint8_t>(sampleBytes == 2 ? (value * 255 + 32767) / 65535 : value));
    }
    int mismatches = 0;
    for (std::size_t i = 0; i < image->mPixels.size() && mismatches < 5; ++i) {
        const std::uint32_t pixel = image->mPixels[i];
        const std::uint8_t* expected = &rgba[i * 4];
        bool same = false;
        if (expected[3] == 0) {
            same = transparent == Transparent::Black ? pixel == 0 : (pixel >> 24) == 0;
        } else {
            same = (pixel >> 24) == expected[3];
            for (int c = 0; c < 3; ++c)
                same = same &&
                       std::abs(static_cast<int>((pixel >> (16 - 8 * c)) & 0xFF) - expected[c]) <= tolerance;
        }
        if (!same) {
            ++mismatches;
            ADD_FAILURE() << "pixel (" << i % static_cast<std::size_t>(reference.mWidth) << ", "
                          << i / static_cast<std::size_t>(reference.mWidth) << ") is " << std::hex << pixel
                          << ", ImageMagick has RGBA " << int{expected[0]} << " " << int{expected[1]} << " "
                          << int{expected[2]} << " " << int{expected[3]};
        }
    }
}

TEST(ReferenceDecodeTest, GifFilesMatchImageMagickExactly)
{
    const auto references = ReadManifest(kDataDir / "gif");
    // Every kind in the set: code sizes, interlacing, transparency, local tables,
    // several images, extensions, odd and degenerate sizes.
    ASSERT_GE(references.size(), 19u);
    for (const Reference& reference : references)
        CompareWithReference(kDataDir / "gif", reference, Quill::ImageLib::GetGIFImage, 0,
                             Transparent::Black);
}

TEST(ReferenceDecodeTest, PngFilesOfEveryColourTypeAndBitDepthMatchImageMagick)
{
    const auto references = ReadManifest(kDataDir / "png");
    // Grey 1, 2, 4, 8 and 16 bits, grey and alpha, RGB, RGBA, palettes of 1 to
    // 8 bits, with tRNS transparency and with interlacing.
    ASSERT_EQ(references.size(), 17u);
    for (const Reference& reference : references)
        CompareWithReference(kDataDir / "png", reference, Quill::ImageLib::GetPNGImage, 0,
                             Transparent::AnyColor);
}

TEST(ReferenceDecodeTest, JpegFilesMatchImageMagick)
{
    const auto references = ReadManifest(kDataDir / "jpeg");
    ASSERT_EQ(references.size(), 4u);
    for (const Reference& reference : references) {
        // Both decode with libjpeg's defaults, so the samples agree exactly; the
        // CMYK to RGB arithmetic differs in rounding (ImageMagick works in 16 bits).
        const int tolerance = reference.mName == "cmyk.jpg" ? 1 : 0;
        CompareWithReference(kDataDir / "jpeg", reference, Quill::ImageLib::GetJPEGImage, tolerance,
                             Transparent::AnyColor);
    }
}

} // namespace
