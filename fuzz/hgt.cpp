// The terrain tile loader on arbitrary bytes, bare or zipped, all the way to the scene, its
// frame in a small canvas and the globe's height copy.
#include <cstring>

#include "app/open_file.h"
#include "app/open_hgt.h"
#include "earth/srtm_file.h"
#include "fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzz_file_buffer(data, size, false)) return 0;
  // One three-arc-second tile at most: a bigger entry would only cost time.
  srtm_entry_cap = 1201 * 1201 * 2;
  width = 96;
  height = 72;
  strcpy(openfilename, "N57E011.hgt");
  load_hgt();
  return 0;
}
