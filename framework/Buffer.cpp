#include "framework/Buffer.h"

#include <algorithm>

#include "platform/Files.h"

namespace Quill {

void Buffer::SetData(std::span<const std::uint8_t> bytes)
{
    mData.assign(bytes.begin(), bytes.end());
    mDataBitSize = mData.size() * 8;
    mReadBitPos = 0;
}

void Buffer::Clear()
{
    mData.clear();
    mDataBitSize = 0;
    mReadBitPos = 0;
}

void Buffer::WriteNumBits(std::uint32_t value, int numBits)
{
    numBits = std::clamp(numBits, 0, 32); // a value has no more bits than that
    for (int bit = 0; bit < numBits; ++bit) {
        const std::size_t byteIndex = mDataBitSize / 8;
        if (byteIndex >= mData.size())
            mData.push_back(0);
        if ((value >> bit) & 1u)
            mData[byteIndex] = static_cast<std::uint8_t>(mData[byteIndex] | (1u << (mDataBitSize % 8)));
        ++mDataBitSize;
    }
}

void Buffer::WriteString(std::string_view text)
{
    const std::size_t length = std::min<std::size_t>(text.size(), 0xFFFF);
    WriteNumBits(static_cast<std::uint32_t>(length), 16);
    WriteBytes({reinterpret_cast<const std::uint8_t*>(text.data()), length});
}

void Buffer::WriteBytes(std::span<const std::uint8_t> bytes)
{
    if (mDataBitSize % 8 == 0) {
        // Byte-aligned: append in one go.
        mData.resize(mDataBitSize / 8);
        mData.insert(mData.end(), bytes.begin(), bytes.end());
        mDataBitSize = mData.size() * 8;
        return;
    }
    for (std::uint8_t b : bytes)
        WriteByte(b);
}

std::int32_t Buffer::ReadNumBits(int numBits, bool isSigned)
{
    numBits = std::clamp(numBits, 0, 32); // a field has no more bits than its value
    std::uint32_t value = 0;
    for (int bit = 0; bit < numBits; ++bit) {
        if (mReadBitPos >= mDataBitSize)
            break; // past the end: the remaining bits are zero
        if ((mData[mReadBitPos / 8] >> (mReadBitPos % 8)) & 1u)
            value |= 1u << bit;
        ++mReadBitPos;
    }
    if (isSigned && numBits > 0 && numBits < 32 && ((value >> (numBits - 1)) & 1u))
        value |= ~0u << numBits;
    return static_cast<std::int32_t>(value);
}

std::string Buffer::ReadString()
{
    const int length = ReadShort();
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    for (char& c : text)
        c = static_cast<char>(ReadByte());
    return text;
}

void Buffer::ReadBytes(std::span<std::uint8_t> out)
{
    for (std::uint8_t& b : out)
        b = ReadByte();
}

bool Buffer::LoadFromFile(const std::filesystem::path& path)
{
    auto bytes = Platform::ReadWholeFile(path);
    if (!bytes)
        return false;
    SetData(*bytes);
    return true;
}

bool Buffer::SaveToFile(const std::filesystem::path& path) const
{
    return Platform::WriteFileAtomically(path, Bytes());
}

} // namespace Quill
