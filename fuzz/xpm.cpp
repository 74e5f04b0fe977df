// The XPM reader on arbitrary bytes, with the file opener's answer to a refusal.
#include "formats/xpm.h"
#include "fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (fuzz_file_buffer(data, size) && load_xpm() != 0) bluescreen("");
  return 0;
}
