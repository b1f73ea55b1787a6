# The display layer: one present of the 800 x 600 screen image, whole or in part.
quill_bench(NAME bench_app SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_app.cpp LIBS framework)
