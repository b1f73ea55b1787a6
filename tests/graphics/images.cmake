# Image file readers: name rules and alpha companions, TGA, PNG, JPEG, our GIF
# decoder, hostile input, and the comparison with ImageMagick's decoding.
pkg_check_modules(QUILL_IMAGES_ZLIB REQUIRED IMPORTED_TARGET zlib)
quill_test(NAME images_tests LABELS images
    SOURCES ${QUILL_TEST_DIR}/ImageLibTest.cpp
            ${QUILL_TEST_DIR}/GIFDecoderTest.cpp
            ${QUILL_TEST_DIR}/PNGDecoderTest.cpp
            ${QUILL_TEST_DIR}/JPEGDecoderTest.cpp
            ${QUILL_TEST_DIR}/ReferenceDecodeTest.cpp
            ${QUILL_TEST_DIR}/ImageEncoders.cpp
            ${QUILL_TEST_DIR}/AllocationProbe.cpp
    LIBS graphics PkgConfig::QUILL_IMAGES_ZLIB)
target_compile_definitions(images_tests PRIVATE
    QUILL_IMAGES_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data/images")
