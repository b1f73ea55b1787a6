# Game rules: ticks per second of seeded simulated games.
quill_bench(NAME bench_rules SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_rules.cpp LIBS game)
target_compile_definitions(bench_rules PRIVATE QUILL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
