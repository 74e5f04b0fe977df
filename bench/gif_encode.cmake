# The GIF encoder benchmark measures giflib's encoder beside ours when giflib's headers and library
# are installed (Debian: libgif-dev). Only this benchmark and bench_gif link it.
find_path(GIFLIB_INCLUDE gif_lib.h)
find_library(GIFLIB_LIBRARY gif)
if(GIFLIB_INCLUDE AND GIFLIB_LIBRARY)
  target_include_directories(bench_gif_encode PRIVATE ${GIFLIB_INCLUDE})
  target_link_libraries(bench_gif_encode PRIVATE ${GIFLIB_LIBRARY})
  target_compile_definitions(bench_gif_encode PRIVATE HAVE_GIFLIB=1)
else()
  message(STATUS "giflib not found: bench_gif_encode runs without its peer")
endif()
