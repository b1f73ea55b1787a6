# Command-line parsing and the numbered demo files.
quill_test(NAME command_line_tests LABELS settings SOURCES ${QUILL_TEST_DIR}/CommandLineTest.cpp LIBS framework)
