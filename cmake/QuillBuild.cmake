# Shared build rules: warnings, sanitizers and the helpers every folder uses.

set(QUILL_WARNINGS
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough
    -Wmissing-declarations -Wundef)
# GCC 12 reports false -Wrestrict errors inside std::string concatenation
# (GCC bug 105651); the check finds nothing real in our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND QUILL_WARNINGS -Wno-restrict)
endif()
if(QUILL_WERROR)
  list(APPEND QUILL_WARNINGS -Werror)
endif()

# Applied to every target of ours through this interface library.
add_library(quill_options INTERFACE)
target_compile_options(quill_options INTERFACE $<$<COMPILE_LANGUAGE:CXX>:${QUILL_WARNINGS}>)
target_include_directories(quill_options INTERFACE "${PROJECT_SOURCE_DIR}")
target_compile_definitions(quill_options INTERFACE
    QUILL_VERSION="${PROJECT_VERSION}")
if(QUILL_SANITIZE)
  string(REPLACE "," ";" _quill_sans "${QUILL_SANITIZE}")
  foreach(s IN LISTS _quill_sans)
    target_compile_options(quill_options INTERFACE -fsanitize=${s})
    target_link_options(quill_options INTERFACE -fsanitize=${s})
  endforeach()
  target_compile_options(quill_options INTERFACE -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(quill_options INTERFACE -fno-sanitize-recover=all)
endif()

# Fuzzing builds instrument all of our code for coverage, not only the
# harnesses, so libFuzzer can steer into the libraries' branches.
if(QUILL_FUZZ)
  target_compile_options(quill_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Dependencies a folder links against, declared once so that helper functions
# and the folders' own fragments agree.
set(QUILL_LIBRARIES "" CACHE INTERNAL "")

# quill_library(<folder>): one static library from the folder's sources.
# A folder with no sources yet makes no library. A folder may add its
# dependencies in <folder>/deps.cmake (it runs after the library exists).
function(quill_library folder)
  file(GLOB _srcs CONFIGURE_DEPENDS
       "${PROJECT_SOURCE_DIR}/${folder}/*.cpp" "${PROJECT_SOURCE_DIR}/${folder}/*.c")
  if(NOT _srcs)
    return()
  endif()
  add_library(${folder} STATIC ${_srcs})
  target_link_libraries(${folder} PUBLIC quill_options)
  # Earlier folders in the list are the ones this one may use.
  target_link_libraries(${folder} PUBLIC ${QUILL_LIBRARIES})
  set(QUILL_LIBRARIES ${QUILL_LIBRARIES} ${folder} CACHE INTERNAL "")
  if(EXISTS "${PROJECT_SOURCE_DIR}/${folder}/deps.cmake")
    set(QUILL_TARGET ${folder})
    include("${PROJECT_SOURCE_DIR}/${folder}/deps.cmake")
  endif()
endfunction()

# quill_test(NAME n LABELS area... SOURCES files... [LIBS libs...])
# One GoogleTest executable; every test in it is registered with CTest under
# the given labels. The shared test main points SDL at its dummy drivers and
# the settings and data folders at a private temporary folder.
function(quill_test)
  cmake_parse_arguments(T "" "NAME" "LABELS;SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE quill_test_support ${T_LIBS})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  gtest_discover_tests(${T_NAME}
      WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/tests"
      PROPERTIES LABELS "${T_LABELS}"
      DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

# quill_bench(NAME n SOURCES files... [LIBS libs...]): a Google Benchmark
# executable; never registered with CTest.
function(quill_bench)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE quill_options benchmark::benchmark ${B_LIBS})
  set_target_properties(${B_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
endfunction()
