# The GIF benchmark measures giflib beside our decoder when giflib's headers and library are
# installed (Debian: libgif-dev). Only this benchmark links it.
find_path(GIFLIB_INCLUDE gif_lib.h)
find_library(GIFLIB_LIBRARY gif)
if(GIFLIB_INCLUDE AND GIFLIB_LIBRARY)
  target_include_directories(bench_gif PRIVATE ${GIFLIB_INCLUDE})
  target_link_libraries(bench_gif PRIVATE ${GIFLIB_LIBRARY})
  target_compile_definitions(bench_gif PRIVATE HAVE_GIFLIB=1)
else()
  message(STATUS "giflib not found: bench_gif runs without its peer")
endif()
