// PNG and JPEG bytes through the public entry, as the game loads pictures: the
// bytes become a file (".png" when they start with the PNG signature, else
// ".jpg") found by name without extension, with the alpha companion search on.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "graphics/ImageLib.h"

namespace {

// A private folder for the picture files, removed at exit.
class ScratchFolder {
public:
    ScratchFolder()
        : mPath(std::filesystem::temp_directory_path() /
                ("mewbloom-image-fuzz-" + std::to_string(std::random_device{}())))
    {
        std::filesystem::create_directories(mPath);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return mPath; }

private:
    std::filesystem::path mPath;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ScratchFolder folder;
    const bool png = size >= 4 && std::memcmp(data, "\x89PNG", 4) == 0;
    const std::filesystem::path base = folder.Path() / "picture";
    std::error_code ignored;
    std::filesystem::remove(folder.Path() / "picture.png", ignored);
    std::filesystem::remove(folder.Path() / "picture.jpg", ignored);
    {
        std::ofstream out(base.string() + (png ? ".png" : ".jpg"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const auto image = Quill::ImageLib::GetImage(base.string(), true);
    if (image && image->mPixels.size() != static_cast<std::size_t>(image->mWidth) * image->mHeight)
        __builtin_trap();
    return 0;
}
