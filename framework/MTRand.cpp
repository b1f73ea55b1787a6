#include "framework/MTRand.h"

namespace Quill {

namespace {

constexpr int kShift = 397;
constexpr std::uint32_t kMatrixA = 0x9908B0DFu;
constexpr std::uint32_t kUpperMask = 0x80000000u;
constexpr std::uint32_t kLowerMask = 0x7FFFFFFFu;

std::uint32_t Twist(std::uint32_t upper, std::uint32_t lower, std::uint32_t shifted)
{
    const std::uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
    return shifted ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
}

} // namespace

void MTRand::Seed(std::uint32_t seed)
{
    if (seed == 0)
        seed = 4357;
    mState[0] = seed;
    for (int i = 1; i < StateSize; ++i)
        mState[i] = 69069u * mState[i - 1]; // wraps modulo 2^32
    mIndex = StateSize;
}

void MTRand::Generate()
{
    int k = 0;
    for (; k < StateSize - kShift; ++k)
        mState[k] = Twist(mState[k], mState[k + 1], mState[k + kShift]);
    for (; k < StateSize - 1; ++k)
        mState[k] = Twist(mState[k], mState[k + 1], mState[k + kShift - StateSize]);
    mState[StateSize - 1] = Twist(mState[StateSize - 1], mState[0], mState[kShift - 1]);
    mIndex = 0;
}

std::uint32_t MTRand::NextU32()
{
    if (mIndex >= StateSize)
        Generate();
    std::uint32_t y = mState[mIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

} // namespace Quill
