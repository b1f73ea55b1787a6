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

namespace {

const std::filesystem::path kDataDir = QUILL_IMAGES_TEST_DATA;

struct Reference {
    std::string mName;
    int mWidth = 0;
    int mHeight = 0;
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
        fields >> reference.mName >> reference.mWidth >> reference.mHeight;
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

// Compares one picture; transparent reference pixels must come out as 0
// (transparent black), whatever colour ImageMagick leaves under them.
// Colour channels may differ by up to tolerance.
void CompareWithReference(const std::filesystem::path& folder, const Reference& reference,
                          std::optional<Quill::ImageLib::Image> (*read)(const std::string&), int tolerance)
{
    SCOPED_TRACE(reference.mName);
    const auto image = read((folder / reference.mName).string());
    ASSERT_TRUE(image);
    ASSERT_EQ(image->mWidth, reference.mWidth);
    ASSERT_EQ(image->mHeight, reference.mHeight);
    const std::string stem = std::filesystem::path(reference.mName).stem().string();
    const auto rgba = ReadGzip(folder / (stem + ".rgba.gz"));
    ASSERT_EQ(rgba.size(), image->mPixels.size() * 4);
    int mismatches = 0;
    for (std::size_t i = 0; i < image->mPixels.size() && mismatches < 5; ++i) {
        const std::uint32_t pixel = image->mPixels[i];
        const std::uint8_t* expected = &rgba[i * 4];
        bool same = false;
        if (expected[3] == 0) {
            same = pixel == 0;
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
        CompareWithReference(kDataDir / "gif", reference, Quill::ImageLib::GetGIFImage, 0);
}

TEST(ReferenceDecodeTest, JpegFilesMatchImageMagick)
{
    const auto references = ReadManifest(kDataDir / "jpeg");
    ASSERT_EQ(references.size(), 4u);
    for (const Reference& reference : references) {
        // Both decode with libjpeg's defaults, so the samples agree exactly; the
        // CMYK to RGB arithmetic differs in rounding (ImageMagick works in 16 bits).
        const int tolerance = reference.mName == "cmyk.jpg" ? 1 : 0;
        CompareWithReference(kDataDir / "jpeg", reference, Quill::ImageLib::GetJPEGImage, tolerance);
    }
}

} // namespace
