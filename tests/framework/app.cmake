# The application base: main loop timing, window messages and input routing,
# the display layer, settings values and the command line, on the fake
# platform and on the real SDL one with its headless drivers.
quill_test(NAME app_tests LABELS app
    SOURCES ${QUILL_TEST_DIR}/AppTestSupport.cpp ${QUILL_TEST_DIR}/AppLoopTest.cpp
            ${QUILL_TEST_DIR}/AppMessagesTest.cpp ${QUILL_TEST_DIR}/AppDisplayTest.cpp
            ${QUILL_TEST_DIR}/AppSettingsTest.cpp ${QUILL_TEST_DIR}/AppSdlTest.cpp
    LIBS framework)

# The second copy that the single-instance test starts beside the first.
add_executable(app_second_copy ${QUILL_TEST_DIR}/AppSecondCopyMain.cpp)
target_link_libraries(app_second_copy PRIVATE framework)
set_target_properties(app_second_copy PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
add_dependencies(app_tests app_second_copy)
