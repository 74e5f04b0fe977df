// The PPM reader on arbitrary bytes.
#include "formats/netpbm.h"
#include "fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (fuzz_file_buffer(data, size)) load_ppm();
  return 0;
}
