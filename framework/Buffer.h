#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Quill {

// Growable bit and byte buffer. Bits are appended least significant first into
// consecutive bytes, each byte filled from bit 0 upwards; multi-byte values are
// little-endian. Reading past the end yields zero bits and does not advance, so
// a truncated record reads as completed with zeros. Demos, the profile and
// score files and every whole-file read and write go through it.
class Buffer {
public:
    Buffer() = default;

    // Replaces the content with the bytes and rewinds reading.
    void SetData(std::span<const std::uint8_t> bytes);
    void Clear();

    // Appending.
    void WriteNumBits(std::uint32_t value, int numBits);
    void WriteByte(std::uint8_t value) { WriteNumBits(value, 8); }
    void WriteBoolean(bool value) { WriteByte(value ? 1 : 0); }
    void WriteShort(std::int16_t value) { WriteNumBits(static_cast<std::uint16_t>(value), 16); }
    void WriteLong(std::int32_t value) { WriteNumBits(static_cast<std::uint32_t>(value), 32); }
    // A 16-bit byte count, then the bytes (at most 65535 of them are written).
    void WriteString(std::string_view text);
    void WriteBytes(std::span<const std::uint8_t> bytes);

    // Reading from the current read position.
    // An unsigned field of numBits (0..32) bits; with isSigned the top bit of the
    // field is extended to 32 bits.
    std::int32_t ReadNumBits(int numBits, bool isSigned);
    std::uint8_t ReadByte() { return static_cast<std::uint8_t>(ReadNumBits(8, false)); }
    bool ReadBoolean() { return ReadByte() != 0; }
    std::int16_t ReadShort() { return static_cast<std::int16_t>(ReadNumBits(16, true)); }
    std::int32_t ReadLong() { return ReadNumBits(32, true); }
    // A signed 16-bit count; 0 or below gives the empty string.
    std::string ReadString();
    void ReadBytes(std::span<std::uint8_t> out);

    // True once the read position has reached the end of the data.
    [[nodiscard]] bool AtEnd() const { return mReadBitPos >= mDataBitSize; }
    void SeekFront() { mReadBitPos = 0; }

    [[nodiscard]] std::size_t GetDataLen() const { return (mDataBitSize + 7) / 8; }
    [[nodiscard]] std::size_t GetBitSize() const { return mDataBitSize; }
    [[nodiscard]] const std::uint8_t* GetDataPtr() const { return mData.data(); }
    [[nodiscard]] std::span<const std::uint8_t> Bytes() const { return {mData.data(), GetDataLen()}; }

    // Whole-file helpers without demo routing (the application wraps them).
    // Reading replaces the content; a file that cannot be read leaves the
    // buffer unchanged. Writing is atomic and creates missing folders.
    [[nodiscard]] bool LoadFromFile(const std::filesystem::path& path);
    [[nodiscard]] bool SaveToFile(const std::filesystem::path& path) const;

private:
    std::vector<std::uint8_t> mData;
    std::size_t mDataBitSize = 0;
    std::size_t mReadBitPos = 0;
};

} // namespace Quill
