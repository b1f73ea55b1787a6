# Settings file, single instance and crash handler.
quill_test(NAME settings_store_tests LABELS settings
    SOURCES ${QUILL_TEST_DIR}/SettingsFileTest.cpp ${QUILL_TEST_DIR}/SettingsStoreTest.cpp LIBS platform)
quill_test(NAME single_instance_tests LABELS settings SOURCES ${QUILL_TEST_DIR}/SingleInstanceTest.cpp LIBS platform)
quill_test(NAME crash_handler_tests LABELS settings SOURCES ${QUILL_TEST_DIR}/CrashHandlerTest.cpp LIBS platform)
