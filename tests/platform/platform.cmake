quill_test(NAME platform_tests LABELS app
    SOURCES ${QUILL_TEST_DIR}/SdlKeyMapTest.cpp ${QUILL_TEST_DIR}/SdlEventTranslatorTest.cpp
            ${QUILL_TEST_DIR}/ScreenMappingTest.cpp ${QUILL_TEST_DIR}/FakePlatformTest.cpp
            ${QUILL_TEST_DIR}/SdlBackendTest.cpp
    LIBS platform)
