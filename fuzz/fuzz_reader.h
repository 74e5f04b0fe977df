// What every reader's fuzz target shares: the input goes into the file buffer, as the file opener
// would leave it, and the reader runs on it headless (no window exists; the error canvas and the
// posting work without one).
//
// A target is one small file, fuzz/<reader>.cpp:
//
//   #include "fuzz/fuzz_reader.h"
//   #include "formats/bmp.h"
//   extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
//     if (fuzz_file_buffer(data, size)) load_bmp();
//     return 0;
//   }
//
// with a few tiny seed files in fuzz/corpus/<reader>/; tests/fuzz_all.sh runs every target.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "formats/reader.h"
#include "view/canvas.h"

// Larger inputs are skipped: a reader's cost grows with the file, and the fuzzer is after
// structure, not size.
constexpr size_t FUZZ_MAX_INPUT = 256 * 1024;
// The pixel cap while fuzzing, so that no header can make a run allocate gigabytes.
constexpr int64_t FUZZ_PIXEL_CAP = 1 << 20;

// Replaces the file buffer by an exact-size copy of the input (so the sanitizer sees any read past
// its end). Returns false for inputs to skip. For a reader that refuses on the error canvas, most
// fuzzed files end there (800 x 600 without a window): starting each run with a block of that size
// lets the canvas reuse it instead of mapping fresh pages every time (`error_canvas` false for a
// reader that never shows it).
inline bool fuzz_file_buffer(const uint8_t* data, size_t size, bool error_canvas = true) {
  if (size > FUZZ_MAX_INPUT) return false;
  image_pixel_cap = FUZZ_PIXEL_CAP;
  if (error_canvas) size_loaded_image(800, 600);
  if (bin_allocated != -1) free(bin_content);
  bin_content = (unsigned char*)malloc(size ? size : 1);
  if (!bin_content) {
    bin_allocated = -1;
    return false;
  }
  if (size) memcpy(bin_content, data, size);
  bin_allocated = (int)size;
  return true;
}
