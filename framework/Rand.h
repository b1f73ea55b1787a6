#pragma once

#include <cstdint>

#include "framework/MTRand.h"

namespace Quill {

// The program's one shared generator. The application seeds it at start-up
// (and a played demo re-seeds it); game code draws Rand() % n on the main thread.
MTRand& SharedRand();

// Next 31-bit result of the shared generator (never negative).
inline int Rand()
{
    return SharedRand().Next();
}

// Re-seeds the shared generator (0 stands for 4357).
inline void SeedRand(std::uint32_t seed)
{
    SharedRand().Seed(seed);
}

} // namespace Quill
