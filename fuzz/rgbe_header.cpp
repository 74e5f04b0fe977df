// The RGBE header reader, and the pixel reader after it when the size is small, on arbitrary
// bytes read through a stream.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/rgbe.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FILE* f = fmemopen((void*)data, size, "rb");
  if (!f) return 0;
  int w = 0, h = 0;
  rgbe_header header;
  if (RGBE_ReadHeader(f, &w, &h, &header) == 0 && w > 0 && h > 0 && (int64_t)w * h <= (1 << 16)) {
    float* px = (float*)malloc((size_t)w * h * 3 * sizeof(float));
    if (px) RGBE_ReadPixels_RLE(f, px, w, h);
    free(px);
  }
  fclose(f);
  return 0;
}
