# Widget manager: update walk and painting over a screenful of widgets.
quill_bench(NAME bench_widgets SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_widgets.cpp LIBS framework)
