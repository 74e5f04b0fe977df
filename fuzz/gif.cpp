// The GIF decoder and frame loader on arbitrary bytes: opened as the file opener opens it, then
// stepped forward through (at most 16) frames, once back, and past the last frame.
#include "formats/gif.h"
#include "fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzz_file_buffer(data, size, false)) return 0;
  load_gif(1, 1, 1);
  if (load_gif(1, 1, 0) != 0) return 0;
  int n = load_gif(-1, 0, 0);
  load_gif(1, 1, 0);
  int last = n < 16 ? n : 16;
  for (int k = 2; k <= last; k++) load_gif(k, 0, 0);
  if (last > 1) load_gif(last - 1, 0, 0);
  load_gif(n + 1, 0, 0);
  return 0;
}
