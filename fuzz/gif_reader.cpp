// Any bytes through our GIF decoder: it must return a picture or none, and
// never crash, hang or read or write out of bounds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "graphics/ImageLib.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto image = Quill::ImageLib::DecodeGIFImage(std::span(data, size));
    if (image && image->mPixels.size() != static_cast<std::size_t>(image->mWidth) * image->mHeight)
        __builtin_trap();
    return 0;
}
