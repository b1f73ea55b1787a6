# Image file readers: PNG through libpng, JPEG through libjpeg (6b interface).
pkg_check_modules(LIBPNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(LIBJPEG REQUIRED IMPORTED_TARGET libjpeg)
target_link_libraries(${QUILL_TARGET} PUBLIC PkgConfig::LIBPNG PkgConfig::LIBJPEG)
