// libFuzzer target for the JPEG reader: every input is opened as a JPEG file, headless.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "formats/jpeg.h"
#include "platform/sleep.h"
#include "view/canvas.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plat_skip_sleep = 1;
  // A header may ask for 128 megapixels; the per-pixel work teaches the fuzzer nothing, so runs
  // stay at a quarter megapixel.
  jpeg_max_pixels = 1 << 18;
  setenv("NUMBER_OF_PROCESSORS", "3", 1);  // still threaded, but few threads a run
  // The reader's console messages (one or more for nearly every input) would swamp the log.
  if (!freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (16u << 20)) return 0;
  free(bin_content);
  bin_content = (unsigned char*)malloc(size ? size : 1);
  if (!bin_content) {
    bin_allocated = -1;
    return 0;
  }
  if (size) memcpy(bin_content, data, size);
  bin_allocated = (int)size;
  load_jpg(1);
  return 0;
}
