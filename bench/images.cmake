# Picture decoding speed per megapixel: PNG and JPEG through their libraries,
# GIF through our own decoder, with libpng on the same 256-colour picture and a
# plain copy of the decoded size beside it for scale.
quill_bench(NAME bench_images
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_images.cpp ${PROJECT_SOURCE_DIR}/tests/graphics/ImageEncoders.cpp
    LIBS graphics)
