// GIF's variable-width LZW decoding, with the string table as prefix chains.
#include "graphics/LZWDecoder.h"

namespace Quill::ImageLib {

bool LZWDecoder::Decode(int initialCodeSize, std::span<const std::uint8_t> data, std::span<std::uint8_t> out)
{
    if (initialCodeSize < kMinInitialCodeSize || initialCodeSize > kMaxInitialCodeSize)
        return false;
    const int clearCode = 1 << initialCodeSize;
    const int endCode = clearCode + 1;
    for (int code = 0; code < clearCode; ++code) {
        mPrefix[code] = 0;
        mSuffix[code] = static_cast<std::uint8_t>(code);
        mFirst[code] = static_cast<std::uint8_t>(code);
        mLength[code] = 1;
    }

    int codeSize = initialCodeSize + 1;
    int nextCode = clearCode + 2;
    int previous = -1;
    std::uint32_t bits = 0;
    int bitCount = 0;
    std::size_t dataPos = 0;
    std::size_t outPos = 0;
    const std::size_t outSize = out.size();

    while (outPos < outSize) {
        while (bitCount < codeSize) {
            if (dataPos == data.size())
                return false;
            bits |= static_cast<std::uint32_t>(data[dataPos++]) << bitCount;
            bitCount += 8;
        }
        const int code = static_cast<int>(bits & ((1u << codeSize) - 1));
        bits >>= codeSize;
        bitCount -= codeSize;

        if (code == clearCode) {
            codeSize = initialCodeSize + 1;
            nextCode = clearCode + 2;
            previous = -1;
            continue;
        }
        if (code == endCode)
            return false;
        if (previous < 0) {
            // Right after a clear only single indices are defined.
            if (code > clearCode)
                return false;
        } else {
            // A code may name an existing entry or the one it is about to
            // define (12-bit codes cannot name one past a full table).
            if (code > nextCode)
                return false;
            // Once the table is full it stays as it is until the next clear code.
            if (nextCode < kMaxCodes) {
                const std::uint8_t first = code == nextCode ? mFirst[previous] : mFirst[code];
                mPrefix[nextCode] = static_cast<std::uint16_t>(previous);
                mSuffix[nextCode] = first;
                mFirst[nextCode] = mFirst[previous];
                mLength[nextCode] = static_cast<std::uint16_t>(mLength[previous] + 1);
                ++nextCode;
                if (nextCode == (1 << codeSize) && codeSize < kMaxCodeBits)
                    ++codeSize;
            }
        }

        // Write the string back to front; the part past the last pixel is dropped.
        const std::size_t length = mLength[code];
        std::size_t pos = outPos + length;
        int entry = code;
        while (pos > outSize) {
            entry = mPrefix[entry];
            --pos;
        }
        while (pos > outPos) {
            out[--pos] = mSuffix[entry];
            entry = mPrefix[entry];
        }
        outPos += length;
        previous = code;
    }
    return true;
}

} // namespace Quill::ImageLib
