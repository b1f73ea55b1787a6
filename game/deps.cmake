# The sanitizers do not see an index that runs past one row of a grid into the
# next (same object); the library's own bounds checks of std::array do.
if(QUILL_SANITIZE)
  target_compile_definitions(${QUILL_TARGET} PRIVATE _GLIBCXX_ASSERTIONS)
endif()
