// The mesh reader on arbitrary bytes, both forms.
#include "fuzz/fuzz_reader.h"
#include "scene3d/read_mesh.h"
#include "scene3d/scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzz_file_buffer(data, size, false)) return 0;
  scene3d::v.clear();
  if (scene3d::InitMolData() != 1) return 0;
  scene3d::StlReport report;
  scene3d::read_stl(bin_content, bin_allocated, &report);
  scene3d::SetContent(0);
  return 0;
}
