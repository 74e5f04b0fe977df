// The surface grid reader on arbitrary bytes, in each of its modes.
#include "fuzz/fuzz_reader.h"
#include "scene3d/read_surface_grid.h"
#include "scene3d/scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || !fuzz_file_buffer(data + 1, size - 1, false)) return 0;
  if (scene3d::InitMolData() != 1) return 0;
  const char* why;
  scene3d::read_surface_grid(bin_content, bin_allocated, data[0] % 3, &why);
  scene3d::SetContent(0);
  return 0;
}
