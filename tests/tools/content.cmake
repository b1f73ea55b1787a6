# The generated game content: pictures, fonts, sounds, music and the manifest,
# checked by reading the files the build wrote into the data folder.
if(TARGET content)
  pkg_check_modules(QUILL_CONTENT_TEST_DEPS REQUIRED IMPORTED_TARGET libpng vorbisfile libopenmpt)
  quill_test(NAME content_tests LABELS content
      SOURCES ${QUILL_TEST_DIR}/ContentFiles.cpp ${QUILL_TEST_DIR}/FontDescriptor.cpp
              ${QUILL_TEST_DIR}/ManifestTest.cpp ${QUILL_TEST_DIR}/PicturesTest.cpp
              ${QUILL_TEST_DIR}/FontsTest.cpp ${QUILL_TEST_DIR}/SoundsTest.cpp
              ${QUILL_TEST_DIR}/MusicTest.cpp ${QUILL_TEST_DIR}/DeterminismTest.cpp
      LIBS PkgConfig::QUILL_CONTENT_TEST_DEPS)
  add_dependencies(content_tests content)
  target_compile_definitions(content_tests PRIVATE
      QUILL_CONTENT_DATA_DIR="${QUILL_DATA_DIR}"
      QUILL_CONTENT_GENERATOR="$<TARGET_FILE:mewbloom_content>"
      QUILL_CONTENT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
