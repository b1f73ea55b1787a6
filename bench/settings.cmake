# Settings file: parsing, writing, reads and changes through the store.
quill_bench(NAME bench_settings SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_settings.cpp LIBS platform)
