# The mesh and surface grid benchmark measures admesh's reader beside ours when its library is
# installed (Debian: libadmesh-dev). Only this benchmark links it.
find_path(ADMESH_INCLUDE admesh/stl.h)
find_library(ADMESH_LIBRARY admesh)
if(ADMESH_INCLUDE AND ADMESH_LIBRARY)
  target_include_directories(bench_scene_files PRIVATE ${ADMESH_INCLUDE})
  target_link_libraries(bench_scene_files PRIVATE ${ADMESH_LIBRARY})
  target_compile_definitions(bench_scene_files PRIVATE HAVE_ADMESH=1)
else()
  message(STATUS "admesh's library not found: bench_scene_files runs without its peer")
endif()
