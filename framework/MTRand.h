#pragma once

#include <array>
#include <cstdint>

namespace Quill {

// Mersenne Twister (MT19937) with the original 1998 seeding, so a seed gives the
// same sequence on every platform and a recorded demo replays exactly.
class MTRand {
public:
    static constexpr int StateSize = 624;

    explicit MTRand(std::uint32_t seed = 4357) { Seed(seed); }

    // Seed 0 stands for 4357, as in the reference seeding.
    void Seed(std::uint32_t seed);
    // Next tempered 32-bit output.
    std::uint32_t NextU32();
    // Next result with the top bit cleared: 0 .. 2^31 - 1, as a signed int so that
    // expressions like Next() % 18 - 3 stay signed. Game code uses this % n.
    int Next() { return static_cast<int>(NextU32() & 0x7FFFFFFFu); }

    // The raw state words, for checks against other implementations.
    [[nodiscard]] const std::array<std::uint32_t, StateSize>& State() const { return mState; }

private:
    void Generate();

    std::array<std::uint32_t, StateSize> mState{};
    int mIndex = StateSize;
};

} // namespace Quill
