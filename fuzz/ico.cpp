// The icon reader on arbitrary bytes.
#include "formats/ico.h"

#include "fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (fuzz_file_buffer(data, size, false)) load_ico();
  return 0;
}
