// GIFEncode beside giflib's encoder (EGifPutLine) on the same 6000 x 4000 8-bit indices, timed
// interleaved in one run; both write through one stream that counts the bytes and keeps none. The figure to hold: our median
// at most giflib's.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "formats/gif_encode.h"
#include "support/bench_timing.h"

#ifdef HAVE_GIFLIB
#include <gif_lib.h>
#endif

namespace {

const int W = 6000, H = 4000;

// 256 colours with the structure of a photograph: smooth areas, edges and some noise, so that the
// codes vary in length and the table fills and clears as in real pictures.
std::vector<unsigned char> make_indices() {
  std::vector<unsigned char> px((size_t)W * H);
  uint32_t seed = 777u;
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) {
      seed = seed * 1664525u + 1013904223u;
      int v = (x * 7 / 16 + (y * y) / (H / 4 + 1)) ^ ((x / 37 + y / 23) & 1 ? 0x40 : 0);
      if ((seed >> 28) == 0) v += (int)(seed >> 20) & 15;
      px[(size_t)y * W + x] = (unsigned char)v;
    }
  return px;
}

const std::vector<unsigned char>& indices() {
  static const std::vector<unsigned char> px = make_indices();
  return px;
}

const unsigned char* pixels;
int pixel(int x, int y, int) { return pixels[(size_t)y * W + x]; }

long bytes_written;

ssize_t count_bytes(void*, const char*, size_t n) {
  bytes_written += (long)n;
  return (ssize_t)n;
}

FILE* counting_stream() {
  cookie_io_functions_t io = {nullptr, count_bytes, nullptr, nullptr};
  return fopencookie(nullptr, "w", io);
}

// Bytes written, or -1 on failure.
long ours(FILE* out) {
  pixels = indices().data();
  bytes_written = 0;
  if (GIFEncode(out, W, H, 0, 0, 8, pixel, 0) != 0 || Gif_end(out) != 0) return -1;
  return bytes_written;
}

#ifdef HAVE_GIFLIB
int to_stream(GifFileType* gif, const GifByteType* data, int n) {
  return (int)fwrite(data, 1, (size_t)n, (FILE*)gif->UserData);
}

// giflib as its own tools use it: screen and image descriptors, then one EGifPutLine a row.
long giflib(FILE* out) {
  bytes_written = 0;
  int err = 0;
  GifFileType* gif = EGifOpen(out, to_stream, &err);
  if (!gif) return -1;
  GifColorType colours[256] = {};
  ColorMapObject* map = GifMakeMapObject(256, colours);
  EGifSetGifVersion(gif, true);
  bool ok = EGifPutScreenDesc(gif, W, H, 8, 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, W, H, false, nullptr) == GIF_OK;
  const unsigned char* px = indices().data();
  for (int y = 0; ok && y < H; y++)
    ok = EGifPutLine(gif, (GifPixelType*)px + (size_t)y * W, W) == GIF_OK;
  ok = EGifCloseFile(gif, &err) == GIF_OK && ok;
  GifFreeMapObject(map);
  fflush(out);
  return ok ? bytes_written : -1;
}
#endif

void BM_GIFEncode_24mp_beside_giflib(benchmark::State& st) {
  FILE* out = counting_stream();
  if (!out) return st.SkipWithError("cannot make the stream");
  indices();
  std::vector<double> t_ours, t_giflib;
  long bytes_ours = 0, bytes_giflib = 0;
  for (auto _ : st) {
    auto t0 = std::chrono::steady_clock::now();
    bytes_ours = ours(out);
    double t = seconds_since(t0);
    st.SetIterationTime(t);
    t_ours.push_back(t);
    if (bytes_ours < 0) st.SkipWithError("GIFEncode failed");
#ifdef HAVE_GIFLIB
    t0 = std::chrono::steady_clock::now();
    bytes_giflib = giflib(out);
    t_giflib.push_back(seconds_since(t0));
    if (bytes_giflib < 0) st.SkipWithError("giflib failed");
#endif
  }
  fclose(out);
  double mo = median(t_ours);
  st.counters["ours_ms"] = 1e3 * mo;
  st.counters["ours_MB"] = bytes_ours / 1e6;
  st.counters["Mpx/s"] = W * (double)H / 1e6 / mo;
  if (!t_giflib.empty()) {
    double mg = median(t_giflib);
    st.counters["giflib_ms"] = 1e3 * mg;
    st.counters["giflib_MB"] = bytes_giflib / 1e6;
    st.counters["ratio"] = mo / mg;
  }
}

}  // namespace

BENCHMARK(BM_GIFEncode_24mp_beside_giflib)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);
