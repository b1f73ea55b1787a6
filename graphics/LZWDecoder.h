#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace Quill::ImageLib {

// Decodes the LZW data of one GIF image (the sub-blocks joined) into colour
// indices: variable-width codes up to 12 bits, clear and end codes, a string
// table of 4096 entries that, once full, stays as it is until the next clear.
class LZWDecoder {
public:
    // Width limit of a code and the table size it gives.
    static constexpr int kMaxCodeBits = 12;
    static constexpr int kMaxCodes = 1 << kMaxCodeBits;
    // Initial code sizes the data may start from: the format's minimum of 2, up
    // to 8 bits for any index of a 256-colour table.
    static constexpr int kMinInitialCodeSize = 2;
    static constexpr int kMaxInitialCodeSize = 8;
    // No code can stand for a longer string than the table has entries.
    static constexpr std::int64_t kMaxPixelsPerCode = kMaxCodes;

    // Fills out with one index per pixel, in stream order. False when a code
    // names an entry not yet defined, or the data or its end code comes before
    // out is full. Codes after the last pixel are not read.
    [[nodiscard]] bool Decode(int initialCodeSize, std::span<const std::uint8_t> data,
                              std::span<std::uint8_t> out);

private:
    // Each entry is its prefix entry's string plus one index; strings are
    // written back to front by walking the prefixes.
    std::array<std::uint16_t, kMaxCodes> mPrefix{};
    std::array<std::uint8_t, kMaxCodes> mSuffix{};
    // First index and length of each entry's string.
    std::array<std::uint8_t, kMaxCodes> mFirst{};
    std::array<std::uint16_t, kMaxCodes> mLength{};
};

} // namespace Quill::ImageLib
