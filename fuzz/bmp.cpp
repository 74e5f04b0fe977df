// The BMP reader on arbitrary bytes.
#include "formats/bmp.h"
#include "fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (fuzz_file_buffer(data, size)) load_bmp();
  return 0;
}
