#pragma once

// The committed reference pictures under tests/data/images (made by
// tools/make-image-testdata), read by the image tests.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace QuillTest {

inline std::filesystem::path ImageDataDir()
{
    return QUILL_IMAGES_TEST_DATA;
}

// The bytes of a picture, e.g. "png/rgba16.png"; empty when missing.
inline std::vector<std::uint8_t> ReadImageData(std::string_view name)
{
    std::ifstream in(ImageDataDir() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace QuillTest
