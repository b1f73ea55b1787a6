quill_test(NAME files_tests LABELS app SOURCES ${QUILL_TEST_DIR}/FilesTest.cpp LIBS platform)
