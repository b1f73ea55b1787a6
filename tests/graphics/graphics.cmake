# Drawing context, images, software image and blending: exact to the blending
# rules (vector kernels against the plain reference), clipping, text layout.
quill_test(NAME graphics_tests LABELS graphics
    SOURCES ${QUILL_TEST_DIR}/BlendKernelTest.cpp
            ${QUILL_TEST_DIR}/MemoryImageTest.cpp
            ${QUILL_TEST_DIR}/ImageTest.cpp
            ${QUILL_TEST_DIR}/GraphicsTest.cpp
            ${QUILL_TEST_DIR}/GraphicsTextTest.cpp
    LIBS graphics)
