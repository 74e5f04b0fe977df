// The 3D renderer on a 1000 x 800 canvas: one frame (UpdatePaint) of a 1201 x 1201 terrain grid of
// synthetic relief, of 12,000 fitted spheres and of 100,000 fitted mesh triangles, each with the
// band counts the steps choose, with one band (the work itself) and with a band per core; and a
// navigation step (a drag turn rendered, posted, composed and quantised to the canvas). No other
// renderer of these scenes is packaged to time beside it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <thread>
#include <vector>

#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/navigate.h"
#include "scene3d/synthetic_scenes.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/screen.h"

using namespace scene3d;

namespace {

enum Kind { kTerrain, kSpheres, kTriangles };

// Pseudo-random numbers in -1 .. 1, the same every run.
struct Lcg {
  unsigned s;
  double next() {
    s = s * 1664525u + 1013904223u;
    return (s >> 8) / double(1 << 24) * 2 - 1;
  }
};

void show(Kind kind) {
  static int shown = -1;
  if (shown == kind) return;
  shown = kind;
  headless_viewer(1000, 800);
  Lcg r{12345};
  if (kind == kTerrain) {
    // Ridges and valleys over 1201 x 1201 nodes 90 m apart, as a three-arc-second tile.
    const int n = 1201;
    std::vector<float> z((size_t)n * n);
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++)
        z[(size_t)i * n + j] =
            (float)(800 + 600 * std::sin(i * 0.013) * std::cos(j * 0.009) +
                    250 * std::sin((i + 2 * j) * 0.041) + 40 * std::cos(i * 0.31 - j * 0.17));
    rot_x = 70, rot_y = 0, rot_z = 0;
    show_grid(n, n, 90, 90, z, true);
    set_content_srtm3();
  } else if (kind == kSpheres) {
    // A globular cloud of atoms 1.2 to 1.9 units across, like a protein of 12,000 atoms.
    std::vector<Ball> balls;
    while (balls.size() < 12000) {
      double x = r.next(), y = r.next(), z = r.next();
      if (x * x + y * y + z * z > 1) continue;
      balls.push_back(
          {30 * x, 30 * y, 30 * z, 1.2 + 0.35 * (r.next() + 1), 6 + (int)balls.size() % 3});
    }
    show_spheres(balls);
    set_content_pdb();
  } else {
    // A closed bumpy surface of 100,000 triangles.
    std::vector<tri> t;
    const int nu = 250, nv = 200;
    auto p = [](int u, int v, double* out) {
      double a = 2 * M_PI * u / nu, b = M_PI * v / nv;
      double rad = 20 + 2 * std::sin(5 * a) * std::sin(4 * b);
      out[0] = rad * std::sin(b) * std::cos(a), out[1] = rad * std::sin(b) * std::sin(a);
      out[2] = rad * std::cos(b);
    };
    for (int u = 0; u < nu; u++)
      for (int v = 0; v < nv; v++)
        for (int k = 0; k < 2; k++) {
          tri q;
          p(u, v, q.a);
          p(u + 1, v + k, q.b);
          p(u + k, v + 1, q.c);
          for (int c = 0; c < 3; c++) q.n[c] = (q.a[c] + q.b[c] + q.c[c]) / 60;
          t.push_back(q);
        }
    show_mesh(t);
    set_content_stl();
  }
}

void frame(benchmark::State& state, Kind kind) {
  show(kind);
  force_bands = (int)state.range(0);
  for (auto _ : state) benchmark::DoNotOptimize(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0));
  force_bands = 0;
  state.SetLabel(state.range(0) == 1  ? "one band: the work itself"
                 : state.range(0) > 1 ? "a band per core"
                                      : "bands as chosen");
}

void BM_frame_terrain_1201(benchmark::State& s) { frame(s, kTerrain); }
void BM_frame_spheres_12000(benchmark::State& s) { frame(s, kSpheres); }
void BM_frame_triangles_100000(benchmark::State& s) { frame(s, kTriangles); }

void BM_navigation_step(benchmark::State& state) {
  show(kTerrain);
  for (auto _ : state) srtm3_rotate(3, 2);
}

const int kCores = (int)std::max(1u, std::thread::hardware_concurrency());

#define FRAME_BENCH(f)                \
  BENCHMARK(f)                        \
      ->Arg(0)                        \
      ->Arg(1)                        \
      ->Arg(kCores)                   \
      ->Unit(benchmark::kMillisecond) \
      ->UseRealTime()                 \
      ->Repetitions(7)                \
      ->ReportAggregatesOnly(true)

FRAME_BENCH(BM_frame_terrain_1201);
FRAME_BENCH(BM_frame_spheres_12000);
FRAME_BENCH(BM_frame_triangles_100000);
BENCHMARK(BM_navigation_step)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace
