// Speed of the game rules, headless: ticks per second of seeded games played
// with random and aimed input, the cost of the harness's invariant checks, and
// the set-up of a new game.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/game/RulesSimulation.h"

namespace {

// Games played by random input alone: the rules' own cost per tick.
void BM_RandomPlayTicks(benchmark::State& state)
{
    QuillTest::RulesSimulation sim(1, false);
    for (auto _ : state)
        sim.Step();
    state.counters["ticks/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RandomPlayTicks);

// The simulation harness as the tests run it: half the games played by an
// aiming player (its planning included) and every invariant checked each tick.
void BM_HarnessTicks(benchmark::State& state)
{
    QuillTest::RulesSimulation sim(1);
    for (auto _ : state) {
        sim.Step();
        if (!sim.CheckInvariants().empty())
            state.SkipWithError("invariant broken");
    }
    state.counters["ticks/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HarnessTicks);

void BM_NewGame(benchmark::State& state)
{
    QuillTest::FakeServices app;
    app.keepSounds = false;
    for (auto _ : state) {
        Quill::GameField field(&app, QuillTest::ShippedCatalogue());
        benchmark::DoNotOptimize(field.mPiece.mCells);
    }
}
BENCHMARK(BM_NewGame);

void BM_ParseCatalogue(benchmark::State& state)
{
    std::ifstream in(QuillTest::ShippedCatalogue());
    std::stringstream text;
    text << in.rdbuf();
    const std::string catalogue = text.str();
    for (auto _ : state) {
        auto shapes = Quill::Figure::ParseCatalogue(catalogue);
        benchmark::DoNotOptimize(shapes);
    }
}
BENCHMARK(BM_ParseCatalogue);

} // namespace

BENCHMARK_MAIN();
