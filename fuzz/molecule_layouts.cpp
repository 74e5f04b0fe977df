// The molecule reader's other layouts on arbitrary bytes: the first byte chooses the name ending
// (and so the layout), the rest is the file.
#include "fuzz/fuzz_reader.h"
#include "scene3d/colour_map.h"
#include "scene3d/read_molecule.h"
#include "scene3d/scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > FUZZ_MAX_INPUT) return 0;
  static const bool map = scene3d::InitColorMap() == 0;
  if (!map) return 0;
  static const char* const names[] = {"f.pdbq", "f.xyz", "f.mol", "f.dat",
                                      "f.gpr",  "f.md",  "f.cml", "f.xyz.gz"};
  const char* name = names[data[0] % (sizeof names / sizeof names[0])];
  scene3d::read_molecule(name, data + 1, (int64_t)size - 1);
  scene3d::SetContent(0);
  return 0;
}
