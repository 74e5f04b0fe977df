// The display quantiser on a 1000 x 800 canvas, beside a plain single-thread Floyd-Steinberg of
// the same canvas, and the whole redraw of a posted picture.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "app/startup.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/quantise.h"
#include "platform/bands.h"

namespace {

void fill_canvas() {
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (long i = 0; i < 4L * width * height; i++) fimage[i] = u(rng);
}

void BM_quant_display(benchmark::State& st) {
  headless_viewer(1000, 800);
  fill_canvas();
  for (auto _ : st) {
    quant_display(uimage, 0);
    benchmark::ClobberMemory();
  }
  st.counters["Mpx/s"] = benchmark::Counter(1000.0 * 800, benchmark::Counter::kIsIterationInvariantRate);
}

// The textbook diffusion (7/16, 3/16, 5/16, 1/16), one thread, all three channels.
void BM_floyd_steinberg_single_thread(benchmark::State& st) {
  headless_viewer(1000, 800);
  fill_canvas();
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

}  // namespace

BENCHMARK(BM_quant_display)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_floyd_steinberg_single_thread)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_upd_rgb_posted_image)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

// The same quantiser with its three channels one after another on one thread.
static void BM_quant_display_sequential(benchmark::State& st) {
  headless_viewer(1000, 800);
  fill_canvas();
  is9xline = 1;
  for (auto _ : st) {
    quant_display(uimage, 0);
    benchmark::ClobberMemory();
  }
  is9xline = 0;
}
BENCHMARK(BM_quant_display_sequential)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

// A flat canvas (the text and hex views' background) is the hardest case for the dither: every
// error sits at its bound.
static void BM_quant_display_flat(benchmark::State& st) {
  headless_viewer(1000, 800);
  for (long i = 0; i < 4L * width * height; i++) fimage[i] = (i % 4 == 0) ? 0.8f : (i % 4 == 1) ? 0.85f : 0.9f;
  for (auto _ : st) {
    quant_display(uimage, 0);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_quant_display_flat)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
