// The MacPaint reader on arbitrary bytes. Nearly every input gives a picture, so each run starts
// with a block of the picture's size, which the reader then reuses.
#include "formats/macpaint.h"

#include "fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzz_file_buffer(data, size, false)) return 0;
  size_loaded_image(MACPAINT_W, MACPAINT_H);
  load_mac();
  return 0;
}
