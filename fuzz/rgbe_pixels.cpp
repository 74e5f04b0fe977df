// The RGBE pixel reader on arbitrary scanlines: the first two bytes give the width, the third the
// rows, the rest is read through a stream as the pixels.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/rgbe.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!freopen("/dev/null", "w", stdout)) return 0;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  int w = data[0] << 8 | data[1], rows = data[2] % 16 + 1;
  if (w == 0) return 0;
  float* px = (float*)malloc((size_t)w * rows * 3 * sizeof(float));
  FILE* f = fmemopen((void*)(data + 3), size - 3, "rb");
  if (px && f) RGBE_ReadPixels_RLE(f, px, w, rows);
  if (f) fclose(f);
  free(px);
  return 0;
}
