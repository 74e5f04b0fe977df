// The X3F probe on arbitrary bytes (no window exists, so no cursor changes).
#include "formats/x3f.h"
#include "fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (fuzz_file_buffer(data, size, false)) load_x3f();
  return 0;
}
