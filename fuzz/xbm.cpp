// The XBM reader on arbitrary bytes, with the file opener's answer to a refusal.
#include "formats/xbm.h"
#include "fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (fuzz_file_buffer(data, size) && load_xbm() != 0) bluescreen("");
  return 0;
}
