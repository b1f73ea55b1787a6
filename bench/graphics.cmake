# Blending speed: ours against memcpy and pixman, on the same screen and sprites.
# pixman is linked here only, as the reference compositor.
pkg_check_modules(QUILL_BENCH_PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
quill_bench(NAME bench_graphics SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_graphics.cpp
    LIBS graphics PkgConfig::QUILL_BENCH_PIXMAN)
