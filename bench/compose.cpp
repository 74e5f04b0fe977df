// Frame composition of a large picture into a full-size canvas: at the step that fits it (a 4 x 4
// box reduction) and at 1:1 with a pan, on 2 and on 8 bands. The plain per-pixel composer of the
// tests runs beside it as the baseline.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/bands.h"
#include "support/compose_reference.h"
#include "view/canvas.h"
#include "view/compose.h"
#include "view/zoom.h"

namespace {

void set_up_scene() {
  static bool done = false;
  if (done) return;
  done = true;
  width = 1000, height = 800;
  fimage = (float*)malloc((size_t)width * height * 16);
  const int w = 4000, h = 3000;
  if (resize_loaded_image(w, h) != 0) abort();
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      float* p = img_content + 4 * ((size_t)y * w + x);
      p[0] = (x % 251) / 250.0f;
      p[1] = (y % 241) / 240.0f;
      p[2] = ((x + y) % 101) / 100.0f;
      p[3] = (x / 64 + y / 64) % 7 ? 1.0f : 0.5f;
    }
  image_xres = w, image_yres = h, contentview = 1;
}

void bands(int n) { setenv("NUMBER_OF_PROCESSORS", std::to_string(n).c_str(), 1); }

void BM_Fit(benchmark::State& state) {
  set_up_scene();
  bands((int)state.range(0));
  int step = find_best_zoom(image_xres, image_yres, width, height);
  shiftx = shifty = 0;
  for (auto _ : state) image2frame(step);
  state.SetLabel("step " + std::to_string(step));
}

void BM_OneToOnePanned(benchmark::State& state) {
  set_up_scene();
  bands((int)state.range(0));
  shiftx = 900, shifty = -700;
  for (auto _ : state) image2frame(zoom_step_1_1());
  shiftx = shifty = 0;
}

void BM_PlainReferenceFit(benchmark::State& state) {
  set_up_scene();
  int step = find_best_zoom(image_xres, image_yres, width, height);
  for (auto _ : state)
    reference_compose(step, 0, 0, img_content, image_xres, image_yres, fimage, width, height, 0);
}

}  // namespace

BENCHMARK(BM_Fit)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_OneToOnePanned)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_PlainReferenceFit)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)
    ->ReportAggregatesOnly(true);
