// Any bytes through the TGA reader.
#include <cstddef>
#include <cstdint>
#include <span>

#include "graphics/ImageLib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto image = Quill::ImageLib::DecodeTGAImage(std::span(data, size));
    if (image && image->mPixels.size() != static_cast<std::size_t>(image->mWidth) * image->mHeight)
        __builtin_trap();
    return 0;
}
