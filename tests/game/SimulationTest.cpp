#include <gtest/gtest.h>

#include <string>

#include "tests/game/RulesSimulation.h"

namespace {

// Four runs make the Release pass play over ten million ticks; sanitized and
// unoptimised builds play fewer.
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
constexpr std::uint64_t kTicksPerRun = 150'000;
constexpr int kLevelReached = 4;
#else
constexpr std::uint64_t kTicksPerRun = 2'600'000;
constexpr int kLevelReached = 12;
#endif

class SimulationTest : public testing::TestWithParam<std::uint32_t> {};

TEST_P(SimulationTest, RandomPlayKeepsEveryInvariantAfterEveryTick)
{
    QuillTest::RulesSimulation sim(GetParam());
    while (sim.Ticks() < kTicksPerRun) {
        sim.Step();
        const std::string error = sim.CheckInvariants();
        ASSERT_TRUE(error.empty()) << "tick " << sim.Ticks() << ", game " << sim.Games() << ": " << error;
    }
    // The run went through many games and deep into the levels.
    EXPECT_GT(sim.Games(), kTicksPerRun / 100'000);
    EXPECT_GE(sim.HighestLevel(), kLevelReached);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SimulationTest, testing::Values(1u, 2u, 3u, 4u));

} // namespace
