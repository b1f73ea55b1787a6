# Presenting the screen: one present of the 800 x 600 picture through the SDL platform.
quill_bench(NAME bench_app SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_app.cpp LIBS platform)
