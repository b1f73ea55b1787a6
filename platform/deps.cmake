# The platform layer talks to the desktop through SDL2 and runs helper threads.
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
target_link_libraries(${QUILL_TARGET} PUBLIC PkgConfig::SDL2 Threads::Threads)
