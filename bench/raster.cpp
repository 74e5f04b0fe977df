// Uncompressed 24-bit rasters, 8000 x 6000: the BMP and PPM readers from the file buffer to the
// posted float image. The figure to hold: at least 300 megapixels a second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/bmp.h"
#include "formats/netpbm.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"

namespace {

constexpr int W = 8000, H = 6000;

// Picture bytes with some structure (gradients and a little noise), row stride `stride`.
std::vector<unsigned char> picture(size_t header, size_t stride) {
  std::vector<unsigned char> b(header + stride * H);
  uint32_t seed = 12345;
  for (int y = 0; y < H; y++) {
    unsigned char* row = b.data() + header + stride * y;
    for (int x = 0; x < W; x++) {
      seed = seed * 1664525u + 1013904223u;
      row[3 * x] = (unsigned char)(x * 255 / W);
      row[3 * x + 1] = (unsigned char)(y * 255 / H);
      row[3 * x + 2] = (unsigned char)(seed >> 24);
    }
  }
  return b;
}

void le(unsigned char* p, uint32_t v, int n) {
  for (int i = 0; i < n; i++) p[i] = (unsigned char)(v >> (8 * i));
}

void report(benchmark::State& state) {
  state.counters["Mpixel/s"] =
      benchmark::Counter((double)W * H * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Bmp24(benchmark::State& state) {
  size_t stride = (3 * W + 3) & ~3u;
  std::vector<unsigned char> f = picture(54, stride);
  f[0] = 'B', f[1] = 'M';
  le(&f[2], (uint32_t)f.size(), 4);
  le(&f[10], 54, 4);
  le(&f[14], 40, 4);
  le(&f[18], W, 4);
  le(&f[22], H, 4);
  le(&f[26], 1, 2);
  le(&f[28], 24, 2);
  put_file_buffer(f);
  load_bmp();  // the first open maps the loaded image's block; later ones of this size reuse it
  for (auto _ : state) load_bmp();
  if (image_xres != W || image_yres != H) state.SkipWithError("not decoded");
  report(state);
}
BENCHMARK(BM_Bmp24)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Ppm24(benchmark::State& state) {
  std::string head = "P6\n" + std::to_string(W) + " " + std::to_string(H) + "\n255\n";
  std::vector<unsigned char> f = picture(head.size(), 3 * W);
  memcpy(f.data(), head.data(), head.size());
  put_file_buffer(f);
  load_ppm();
  for (auto _ : state) load_ppm();
  if (image_xres != W || image_yres != H) state.SkipWithError("not decoded");
  report(state);
}
BENCHMARK(BM_Ppm24)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
