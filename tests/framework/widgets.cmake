# Widgets and the widget manager.
quill_test(NAME widgets_tests LABELS widgets
    SOURCES ${QUILL_TEST_DIR}/WidgetTest.cpp ${QUILL_TEST_DIR}/WidgetInputTest.cpp
            ${QUILL_TEST_DIR}/WidgetUpdateTest.cpp ${QUILL_TEST_DIR}/WidgetPaintTest.cpp
    LIBS framework)
# Replaces the global allocation functions, so it runs alone.
quill_test(NAME widgets_alloc_tests LABELS widgets
    SOURCES ${QUILL_TEST_DIR}/WidgetAllocTest.cpp
    LIBS framework)
