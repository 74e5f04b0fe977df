// Run-length coded 24-bit rasters, 8000 x 6000: the Targa, PCX and Sun raster readers from the
// file buffer to the posted float image. The figure to hold: at least 200 megapixels a second
// each. netpbm's converter for each format (tgatoppm, pcxtoppm, rasttopnm), decoding the same file
// to PPM, is measured beside it as the peer.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/pcx.h"
#include "formats/sun_raster.h"
#include "formats/targa.h"
#include "support/bench_timing.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"

namespace {

constexpr int W = 8000, H = 6000;

// A picture of runs: each row is cut into pieces of 1 to 32 pixels, three in four of one colour
// (half of those grey, so that byte-wise coding finds runs too) and the rest noise. RGB bytes.
const Bytes& picture() {
  static Bytes px;
  if (!px.empty()) return px;
  px.resize((size_t)W * H * 3);
  uint32_t seed = 2024;
  auto rnd = [&] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
  for (int y = 0; y < H; y++) {
    unsigned char* row = px.data() + (size_t)y * W * 3;
    for (int x = 0; x < W;) {
      int n = 1 + (int)(rnd() % 32), kind = (int)(rnd() % 8);
      uint32_t c = rnd();
      unsigned char r = (unsigned char)c, g = (unsigned char)(c >> 8), b = (unsigned char)(c >> 16);
      if (kind < 3) g = b = r;
      for (int i = 0; i < n && x < W; i++, x++) {
        if (kind >= 6) c = rnd(), r = (unsigned char)c, g = (unsigned char)(c >> 8), b = (unsigned char)(c >> 16);
        row[3 * x] = r, row[3 * x + 1] = g, row[3 * x + 2] = b;
      }
    }
  }
  return px;
}

const unsigned char* rgb(int x, int y) { return picture().data() + ((size_t)y * W + x) * 3; }

void le(Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; i++) b.push_back((unsigned char)(v >> (8 * i)));
}
void be(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back((unsigned char)(v >> s));
}

// Type 10, bottom row first, packets within rows as common writers make them.
Bytes targa_file() {
  Bytes f = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  le(f, W, 2);
  le(f, H, 2);
  f.push_back(24);
  f.push_back(0);
  for (int y = H - 1; y >= 0; y--) {
    int x = 0;
    while (x < W) {
      int n = 1;
      while (x + n < W && n < 128 && memcmp(rgb(x, y), rgb(x + n, y), 3) == 0) n++;
      if (n >= 2) {
        f.push_back((unsigned char)(0x80 | (n - 1)));
        const unsigned char* p = rgb(x, y);
        f.insert(f.end(), {p[2], p[1], p[0]});
        x += n;
        continue;
      }
      int m = 1;
      while (x + m < W && m < 128 && !(x + m + 1 < W && memcmp(rgb(x + m, y), rgb(x + m + 1, y), 3) == 0)) m++;
      f.push_back((unsigned char)(m - 1));
      for (int i = 0; i < m; i++) {
        const unsigned char* p = rgb(x + i, y);
        f.insert(f.end(), {p[2], p[1], p[0]});
      }
      x += m;
    }
  }
  return f;
}

// Version 5, three planes of 8 bits a line, each plane coded on its own.
Bytes pcx_file() {
  Bytes f(128, 0);
  f[0] = 10, f[1] = 5, f[2] = 1, f[3] = 8;
  f[8] = (W - 1) & 255, f[9] = (W - 1) >> 8, f[10] = (H - 1) & 255, f[11] = (H - 1) >> 8;
  f[65] = 3, f[66] = W & 255, f[67] = W >> 8, f[68] = 1;
  for (int y = 0; y < H; y++)
    for (int k = 0; k < 3; k++) {
      int x = 0;
      while (x < W) {
        unsigned char v = rgb(x, y)[k];
        int n = 1;
        while (x + n < W && n < 63 && rgb(x + n, y)[k] == v) n++;
        if (n > 1 || v >= 0xC0) f.push_back((unsigned char)(0xC0 | n));
        f.push_back(v);
        x += n;
      }
    }
  return f;
}

// Type 2: the blue-first rows as one byte stream, runs of 3 or more coded.
Bytes sun_file() {
  Bytes data;
  data.reserve((size_t)W * H * 3);
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) {
      const unsigned char* p = rgb(x, y);
      data.insert(data.end(), {p[2], p[1], p[0]});
    }
  Bytes coded;
  for (size_t i = 0; i < data.size();) {
    unsigned char v = data[i];
    size_t n = 1;
    while (i + n < data.size() && n < 256 && data[i + n] == v) n++;
    if (n >= 3 || v == 0x80) {
      if (n == 1)
        coded.insert(coded.end(), {0x80, 0});
      else
        coded.insert(coded.end(), {0x80, (unsigned char)(n - 1), v});
      i += n;
    } else {
      coded.push_back(v);
      i++;
    }
  }
  Bytes f;
  for (uint32_t v : {0x59a66a95u, (uint32_t)W, (uint32_t)H, 24u, (uint32_t)coded.size(), 2u, 0u, 0u}) be(f, v);
  f.insert(f.end(), coded.begin(), coded.end());
  return f;
}

// Checks the decoding against the picture at a spread of pixels.
bool decoded_right() {
  if (image_xres != W || image_yres != H) return false;
  for (size_t i = 0; i < (size_t)W * H; i += 9973) {
    const unsigned char* p = picture().data() + 3 * i;
    for (int k = 0; k < 3; k++)
      if ((int)(img_content[4 * i + k] * 255.0f + 0.5f) != p[k]) return false;
  }
  return true;
}

void report(benchmark::State& state, size_t file_size) {
  state.counters["Mpixel/s"] = benchmark::Counter((double)W * H * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["file MB"] = (double)file_size * 1e-6;
}

void run_reader(benchmark::State& state, Bytes (*make)(), int (*reader)()) {
  Bytes f = make();
  put_file_buffer(f);
  reader();  // the first open maps the loaded image's block; later ones of this size reuse it
  if (!decoded_right()) {
    state.SkipWithError("wrong picture");
    return;
  }
  for (auto _ : state) reader();
  report(state, f.size());
}

// The peer: netpbm's converter run on the same file, its output thrown away.
void run_peer(benchmark::State& state, Bytes (*make)(), const char* converter, const char* name) {
  std::string path = std::string("/tmp/bench_rle_readers.") + name;
  Bytes f = make();
  FILE* out = fopen(path.c_str(), "wb");
  if (!out || fwrite(f.data(), 1, f.size(), out) != f.size()) {
    if (out) fclose(out);
    state.SkipWithError("cannot write the file");
    return;
  }
  fclose(out);
  std::string cmd = std::string(converter) + " '" + path + "' > /dev/null 2>&1";
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    int r = system(cmd.c_str());
    const double seconds = seconds_since(t0);
    if (r != 0) {
      state.SkipWithError((std::string(converter) + " failed or is missing").c_str());
      break;
    }
    state.SetIterationTime(seconds);
  }
  remove(path.c_str());
  report(state, f.size());
}

void BM_Targa24Rle(benchmark::State& s) { run_reader(s, targa_file, load_targa); }
void BM_Pcx24Rle(benchmark::State& s) { run_reader(s, pcx_file, load_pcx); }
void BM_Sun24Rle(benchmark::State& s) { run_reader(s, sun_file, load_sun); }
void BM_Targa24Rle_tgatoppm(benchmark::State& s) { run_peer(s, targa_file, "tgatoppm", "tga"); }
void BM_Pcx24Rle_pcxtoppm(benchmark::State& s) { run_peer(s, pcx_file, "pcxtoppm", "pcx"); }
void BM_Sun24Rle_rasttopnm(benchmark::State& s) { run_peer(s, sun_file, "rasttopnm", "ras"); }

BENCHMARK(BM_Targa24Rle)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Targa24Rle_tgatoppm)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_Pcx24Rle)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Pcx24Rle_pcxtoppm)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_Sun24Rle)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Sun24Rle_rasttopnm)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

}  // namespace
