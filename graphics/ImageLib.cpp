#include "graphics/ImageLib.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <string_view>

#include "platform/Files.h"

namespace Quill::ImageLib {

namespace {

// The formats in the order a name without extension tries them.
enum class Format {
    TGA,
    JPEG,
    PNG,
    GIF
};

struct FormatEntry {
    std::string_view mExtension;
    Format mFormat;
};

constexpr std::array<FormatEntry, 4> kFormats = {{
    {".tga", Format::TGA},
    {".jpg", Format::JPEG},
    {".png", Format::PNG},
    {".gif", Format::GIF},
}};

// TGA header layout: 18 bytes, little-endian fields.
constexpr std::size_t kTGAHeaderSize = 18;
constexpr std::uint8_t kTGATrueColor = 2;
constexpr std::uint8_t kTGABitsPerPixel = 32;
// 8 alpha bits, origin at the top left.
constexpr std::uint8_t kTGADescriptor = 0x28;

// A file name split at the extension's dot.
struct SplitName {
    std::string mBase;
    std::string mExtension;
};

std::size_t LastSlash(const std::string& name)
{
    return name.find_last_of("/\\");
}

SplitName SplitExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = LastSlash(name);
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& fileName)
{
    return Platform::ReadWholeFile(fileName);
}

template <typename Decoder>
std::optional<Image> DecodeFile(const std::string& fileName, Decoder decode)
{
    const auto bytes = ReadFile(fileName);
    if (!bytes)
        return std::nullopt;
    return decode(std::span<const std::uint8_t>(*bytes));
}

std::optional<Image> ReadFormat(Format format, const std::string& fileName)
{
    switch (format) {
    case Format::TGA:
        return GetTGAImage(fileName);
    case Format::JPEG:
        return GetJPEGImage(fileName);
    case Format::PNG:
        return GetPNGImage(fileName);
    case Format::GIF:
        return GetGIFImage(fileName);
    }
    return std::nullopt;
}

// The extension search without any alpha companion.
std::optional<Image> GetImageNoAlpha(const std::string& fileName)
{
    const SplitName split = SplitExtension(fileName);
    for (const FormatEntry& entry : kFormats) {
        if (!split.mExtension.empty() && !EqualsIgnoringCase(split.mExtension, entry.mExtension))
            continue;
        if (auto image = ReadFormat(entry.mFormat, split.mBase + std::string(entry.mExtension)))
            return image;
    }
    return std::nullopt;
}

// "dir/_name": the underscore goes in front of the name part.
std::string LeadingAlphaName(const std::string& fileName)
{
    const std::size_t slash = LastSlash(fileName);
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return fileName.substr(0, nameStart) + "_" + fileName.substr(nameStart);
}

// "dir/name_": the underscore goes after the name, before any extension, so that
// "ball.png" looks for "ball_.png" (appending after ".png" could never match).
std::string TrailingAlphaName(const std::string& fileName)
{
    const SplitName split = SplitExtension(fileName);
    return split.mBase + "_" + split.mExtension;
}

std::uint16_t ReadLE16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

} // namespace

bool IsAcceptableSize(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

std::optional<Image> GetImage(const std::string& fileName, bool lookForAlphaImage)
{
    std::optional<Image> image = GetImageNoAlpha(fileName);
    if (!lookForAlphaImage)
        return image;

    std::optional<Image> alpha = GetImageNoAlpha(LeadingAlphaName(fileName));
    if (!alpha)
        alpha = GetImageNoAlpha(TrailingAlphaName(fileName));
    if (!alpha)
        return image;

    if (!image) {
        for (std::uint32_t& pixel : alpha->mPixels)
            pixel = (pixel << 24) | 0xFFFFFFu;
        return alpha;
    }
    if (image->mWidth == alpha->mWidth && image->mHeight == alpha->mHeight) {
        for (std::size_t i = 0; i < image->mPixels.size(); ++i)
            image->mPixels[i] = (image->mPixels[i] & 0xFFFFFFu) | (alpha->mPixels[i] << 24);
    }
    return image;
}

std::optional<Image> GetTGAImage(const std::string& fileName)
{
    return DecodeFile(fileName, DecodeTGAImage);
}

std::optional<Image> GetJPEGImage(const std::string& fileName)
{
    return DecodeFile(fileName, DecodeJPEGImage);
}

std::optional<Image> GetPNGImage(const std::string& fileName)
{
    return DecodeFile(fileName, DecodePNGImage);
}

std::optional<Image> GetGIFImage(const std::string& fileName)
{
    return DecodeFile(fileName, DecodeGIFImage);
}

std::optional<Image> DecodeTGAImage(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kTGAHeaderSize)
        return std::nullopt;
    const std::uint8_t idLength = bytes[0];
    const std::uint8_t colorMapType = bytes[1];
    const std::uint8_t imageType = bytes[2];
    const std::uint16_t colorMapLength = ReadLE16(bytes, 5);
    const std::uint8_t colorMapEntryBits = bytes[7];
    const int width = ReadLE16(bytes, 12);
    const int height = ReadLE16(bytes, 14);
    const std::uint8_t bitsPerPixel = bytes[16];
    const std::uint8_t descriptor = bytes[17];
    if (bitsPerPixel != kTGABitsPerPixel || descriptor != kTGADescriptor || imageType != kTGATrueColor)
        return std::nullopt;
    if (!IsAcceptableSize(width, height))
        return std::nullopt;

    // An ID field, or a colour map a true-colour picture does not use, sits between
    // the header and the pixels; step over them rather than read them as pixels.
    std::size_t offset = kTGAHeaderSize + idLength;
    if (colorMapType != 0)
        offset += static_cast<std::size_t>(colorMapLength) * ((colorMapEntryBits + 7u) / 8u);
    const std::size_t pixelCount = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (offset > bytes.size() || (bytes.size() - offset) / 4 < pixelCount)
        return std::nullopt;

    Image image;
    image.mWidth = width;
    image.mHeight = height;
    image.mPixels.resize(pixelCount);
    const std::uint8_t* p = bytes.data() + offset;
    for (std::uint32_t& pixel : image.mPixels) {
        pixel = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        p += 4;
    }
    return image;
}

} // namespace Quill::ImageLib
