// The display quantiser on a 1000 x 800 canvas of three kinds (random values, the text view, the
// lit globe), beside a plain single-thread Floyd-Steinberg of the same canvas, and the whole
// redraw of a posted picture.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "view/screen.h"
#include "earth/globe.h"
#include "platform/clock.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/compose.h"
#include "view/font.h"
#include "view/quantise.h"

namespace {

enum Kind { RANDOM, TEXT, GLOBE };

void fill_canvas(int kind) {
  headless_viewer(1000, 800);
  if (kind == RANDOM) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    for (long i = 0; i < 4L * width * height; i++) fimage[i] = u(rng);
  } else if (kind == TEXT) {
    // A page of source text as the text view draws it.
    do_clear_text();
    const char* line = "  for (int x = 0; x < width; x++) q[4 * x] = bg[0];  // the background";
    for (int row = 0; 18 * row + 1 < height; row++)
      for (int col = 0; line[col] && 9 * col + 1 < width; col++) print_char(col, row, line[col]);
  } else {
    setenv("TZ", "Europe/Zurich", 1);
    tzset();
    plat_fixed_now = 1782036000;  // 2026-06-21 10:00 UTC
    set_content_vglobe();
    globe_render();
    image_post(xres, yres, 1);
    image2frame(zoom);
  }
}

void BM_quant_display(benchmark::State& st) {
  fill_canvas((int)st.range(0));
  for (auto _ : st) {
    quant_display(uimage, 0);
    benchmark::ClobberMemory();
  }
  st.counters["Mpx/s"] = benchmark::Counter(1000.0 * 800, benchmark::Counter::kIsIterationInvariantRate);
}

// The textbook diffusion (7/16, 3/16, 5/16, 1/16), one thread, all three channels.
void BM_floyd_steinberg_single_thread(benchmark::State& st) {
  fill_canvas((int)st.range(0));
  const int w = width, h = height;
  std::vector<float> cur(3 * (w + 2)), next(3 * (w + 2));
  for (auto _ : st) {
    std::fill(cur.begin(), cur.end(), 0.0f);
    for (int y = 0; y < h; y++) {
      std::fill(next.begin(), next.end(), 0.0f);
      const float* src = fimage + 4L * y * w;
      unsigned char* out = uimage + 3L * y * w;
      for (int x = 0; x < w; x++)
        for (int k = 0; k < 3; k++) {
          float v = src[4 * x + k] * 255.0f + cur[3 * (x + 1) + k];
          int q = v < 0 ? 0 : (v > 255 ? 255 : (int)(v + 0.5f));
          float e = v - q;
          out[3 * x + k] = (unsigned char)q;
          cur[3 * (x + 2) + k] += e * (7.0f / 16);
          next[3 * x + k] += e * (3.0f / 16);
          next[3 * (x + 1) + k] += e * (5.0f / 16);
          next[3 * (x + 2) + k] += e * (1.0f / 16);
        }
      std::swap(cur, next);
    }
    benchmark::ClobberMemory();
  }
  st.counters["Mpx/s"] = benchmark::Counter(1000.0 * 800, benchmark::Counter::kIsIterationInvariantRate);
}

// A posted picture that fills the canvas, redrawn as every pan or knob change does.
void BM_upd_rgb_posted_image(benchmark::State& st) {
  headless_viewer(1000, 800);
  resize_loaded_image(1000, 800);
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (long i = 0; i < 4L * 1000 * 800; i++) img_content[i] = (i % 4 == 3) ? 1.0f : u(rng);
  image_post(1000, 800, 1);
  for (auto _ : st) {
    upd_rgb(0);
    benchmark::ClobberMemory();
  }
}

void canvases(benchmark::internal::Benchmark* b) {
  b->ArgName("canvas")->Arg(RANDOM)->Arg(TEXT)->Arg(GLOBE);
}

}  // namespace

BENCHMARK(BM_quant_display)->Apply(canvases)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_floyd_steinberg_single_thread)->Apply(canvases)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_upd_rgb_posted_image)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
