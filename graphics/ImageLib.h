#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Picture files to plain 32-bit ARGB pixels. Callers copy the result into a
// MemoryImage or a display image and drop it.
namespace Quill::ImageLib {

// Largest side and largest pixel count any reader accepts. Files claiming more
// are refused before anything is allocated for them.
inline constexpr int kMaxImageSide = 16384;
inline constexpr std::int64_t kMaxImagePixels = 64LL * 1024 * 1024;

// A decoded picture: width × height words 0xAARRGGBB, row-major from the top row.
class Image {
public:
    int mWidth = 0;
    int mHeight = 0;
    std::vector<std::uint32_t> mPixels;
};

// True when a picture of this size is within the limits above (and not empty).
[[nodiscard]] bool IsAcceptableSize(std::int64_t width, std::int64_t height);

// Loads a picture. Without an extension ".tga", ".jpg", ".png" and ".gif" are
// tried in that order; with one of those (any case) only that reader is tried;
// any other extension finds nothing. With lookForAlphaImage, a companion picture
// "dir/_name" or else "dir/name_" supplies the alpha channel from its blue channel
// (or, when there is no colour picture, the whole result as white with that alpha).
[[nodiscard]] std::optional<Image> GetImage(const std::string& fileName, bool lookForAlphaImage);

// One reader per format, each reading the whole named file. None when the file
// cannot be read or is not in the accepted form.
[[nodiscard]] std::optional<Image> GetTGAImage(const std::string& fileName);
[[nodiscard]] std::optional<Image> GetJPEGImage(const std::string& fileName);
[[nodiscard]] std::optional<Image> GetPNGImage(const std::string& fileName);
[[nodiscard]] std::optional<Image> GetGIFImage(const std::string& fileName);

// The same readers over a file's bytes already in memory. Every byte sequence is
// safe to pass: anything not a readable picture gives none.
// TGA: uncompressed 32-bit true colour with top-left origin (descriptor 0x28).
[[nodiscard]] std::optional<Image> DecodeTGAImage(std::span<const std::uint8_t> bytes);
// JPEG: baseline and progressive; greyscale and CMYK become RGB; always opaque.
[[nodiscard]] std::optional<Image> DecodeJPEGImage(std::span<const std::uint8_t> bytes);
// PNG: every colour type and bit depth, scaled to 8 bits; missing alpha is 255.
[[nodiscard]] std::optional<Image> DecodePNGImage(std::span<const std::uint8_t> bytes);
// GIF: the first image of the file; its transparent index becomes 0 (transparent black).
[[nodiscard]] std::optional<Image> DecodeGIFImage(std::span<const std::uint8_t> bytes);

} // namespace Quill::ImageLib
