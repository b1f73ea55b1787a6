# The shared generator and the bit buffer.
quill_test(NAME rand_tests LABELS app SOURCES ${QUILL_TEST_DIR}/RandTest.cpp LIBS framework)
quill_test(NAME buffer_tests LABELS demo SOURCES ${QUILL_TEST_DIR}/BufferTest.cpp LIBS framework)
