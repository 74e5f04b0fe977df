// The Targa reader on arbitrary bytes.
#include "formats/targa.h"
#include "fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (fuzz_file_buffer(data, size)) load_targa();
  return 0;
}
