// The globe on a 1000 x 800 canvas: the render alone (load_globe2d without posting it, on its four
// band workers, and with the bands in turn), the whole redraw after a pan (render, composition and
// display quantiser), and the sun report from the right click to its text. Debian's xplanet,
// drawing a rectangular day and night map of the same size with city lights once, is timed in the
// same run and printed beside them.
#include <benchmark/benchmark.h>

#include <FL/Fl.H>
#include <FL/x.H>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/picture_box.h"
#include "app/window.h"
#include "earth/globe.h"
#include "platform/bands.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "support/bench_timing.h"
#include "support/headless.h"
#include "support/temp_dir.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

// 2026-06-21 10:00 UTC: the terminator crosses both Americas and Asia, the Arctic is in polar day.
const time_t kMoment = 1782036000;

void set_up() {
  static bool done = false;
  if (done) return;
  done = true;
  setenv("TZ", "Europe/Zurich", 1);
  tzset();
  plat_fixed_now = kMoment;
  headless_viewer(1000, 800);
  set_content_vglobe();
}

void BM_globe_render(benchmark::State& state) {
  set_up();
  for (auto _ : state) benchmark::DoNotOptimize(globe_render());
}
BENCHMARK(BM_globe_render)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The same render with the four bands one after another on the caller: the work itself, apart
// from how many processors the machine has free.
void BM_globe_render_bands_in_turn(benchmark::State& state) {
  set_up();
  is9xline = 1;
  for (auto _ : state) benchmark::DoNotOptimize(globe_render());
  is9xline = 0;
}
BENCHMARK(BM_globe_render_bands_in_turn)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A drag of the globe: the pan moves, the globe is rendered anew, composed and quantised. The pan
// goes back and forth, so every iteration draws the same two views.
void BM_globe_redraw_after_pan(benchmark::State& state) {
  set_up();
  double step = 0.01;
  for (auto _ : state) {
    globe_dx += step;
    step = -step;
    load_globe2d();
  }
  globe_dx = 0;
}

// The same with the window on the (virtual) screen: the picture also travels to the X server,
// and the iteration ends when the server has drawn it.
void BM_globe_redraw_after_pan_on_screen(benchmark::State& state) {
  set_up();
  window->show();
  window->wait_for_expose();
  Fl::flush();
  XSync(fl_display, False);
  double step = 0.01;
  for (auto _ : state) {
    globe_dx += step;
    step = -step;
    load_globe2d();
    XSync(fl_display, False);
  }
  globe_dx = 0;
  window->hide();
  Fl::flush();
}
BENCHMARK(BM_globe_redraw_after_pan_on_screen)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_globe_redraw_after_pan)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// A right push over the globe as the toolkit delivers it, until the report's text is shown (the
// message box is the tests' recorder). Places by day, by night and in polar day, in turn.
void BM_sun_report_click(benchmark::State& state) {
  set_up();
  load_globe2d();
  const int points[][2] = {{500, 400}, {150, 300}, {900, 450}, {480, 60}};
  int i = 0;
  for (auto _ : state) {
    Fl::e_x = points[i][0] + 104;
    Fl::e_y = points[i][1] + 24;
    Fl::e_keysym = FL_Button + FL_RIGHT_MOUSE;
    p_image_box->handle(FL_PUSH);
    p_image_box->handle(FL_RELEASE);
    i = (i + 1) % 4;
  }
  if (message_count == 0) state.SkipWithError("no report was shown");
}
BENCHMARK(BM_sun_report_click)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// xplanet (Debian's package of that name) drawing the same map size with its day texture, its
// city lights and a soft terminator, written to a PNG; one run, wall time of the whole process.
void BM_xplanet_rectangular_once(benchmark::State& state) {
  TempDir dir("bench_globe_");
  if (dir.path.empty()) {
    state.SkipWithError("no temporary folder");
    return;
  }
  std::string conf = dir.path + "/xplanet.conf", out = dir.path + "/map.png";
  FILE* f = fopen(conf.c_str(), "w");
  if (!f) {
    state.SkipWithError("cannot write xplanet's configuration");
    return;
  }
  fprintf(f, "[default]\nshade=30\n[earth]\n\"Earth\"\nmap=earth.jpg\nnight_map=night.jpg\n");
  fclose(f);
  std::string cmd =
      "xplanet -config " + conf +
      " -projection rectangular -num_times 1 -geometry 1000x800 -date 20260621.100000 -output " +
      out + " >/dev/null 2>&1";
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    int rc = system(cmd.c_str());
    const double seconds = seconds_since(t0);
    state.SetIterationTime(seconds);
    if (rc != 0) state.SkipWithError("xplanet failed (is the xplanet package installed?)");
  }
}
BENCHMARK(BM_xplanet_rectangular_once)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace
