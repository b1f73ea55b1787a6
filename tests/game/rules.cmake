# Game rules: pieces, the catalogue, the well, rescue, scoring, levels, and a
# seeded simulation over millions of ticks.
quill_test(NAME rules_tests LABELS rules
    SOURCES ${QUILL_TEST_DIR}/CatalogueTest.cpp ${QUILL_TEST_DIR}/FigureTest.cpp
            ${QUILL_TEST_DIR}/GameFieldTest.cpp ${QUILL_TEST_DIR}/RescueTest.cpp
            ${QUILL_TEST_DIR}/SimulationTest.cpp
    LIBS game)
target_compile_definitions(rules_tests PRIVATE QUILL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
