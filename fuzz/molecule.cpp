// The molecule reader on arbitrary bytes named as a PDB file; gzip data (first byte 0x1f) is
// inflated first, so gzip seeds reach the same parser.
#include "fuzz/fuzz_reader.h"
#include "scene3d/colour_map.h"
#include "scene3d/read_molecule.h"
#include "scene3d/scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > FUZZ_MAX_INPUT) return 0;
  static const bool map = scene3d::InitColorMap() == 0;
  if (!map) return 0;
  scene3d::read_molecule("fuzz.pdb", data, (int64_t)size);
  scene3d::SetContent(0);
  return 0;
}
