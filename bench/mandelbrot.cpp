// The Mandelbrot view on a 1000 x 800 canvas in its initial view (57 % of the pixels in the set,
// some 233 million steps of z -> z^2 + c), painted, composed and quantised on one thread. There is
// no outside peer for this picture; the figure to watch is the steps per second.
#include <benchmark/benchmark.h>

#include <cmath>

#include "app/mandelbrot.h"
#include "support/headless.h"
#include "view/canvas.h"

namespace {

// Steps the view's pixels take, counted apart from the view's own loop.
double steps_of_view(int w, int h) {
  double steps = 0;
  const int left = 2 * w / 3;
  for (int i = 0; i < h; i++)
    for (int j = -left; j < w - left; j++) {
      double x = j * mb_zoom / w - mb_dx, y = (h - 1 - i) * mb_zoom / w - mb_dy;
      double zr = 0, zi = 0;
      int k = 0;
      while (k <= 500) {
        double t = zr * zr - zi * zi + x;
        zi = 2 * zr * zi + y;
        zr = t;
        k++;
        if (zr * zr + zi * zi > 100) break;
      }
      steps += k;
    }
  return steps;
}

void BM_load_mb(benchmark::State& state) {
  headless_viewer(1000, 800);
  static const double steps = steps_of_view(1000, 800);
  for (auto _ : state) load_mb();
  state.counters["steps_per_s"] =
      benchmark::Counter(steps, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["steps"] = steps;
}
BENCHMARK(BM_load_mb)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace
