// Speed of the elevation cascade: random points over the whole globe (every look-up a cache miss
// in the 31 MB of regional grids) and a globe-like scan of neighbouring points; the half-degree
// grid alone is measured beside it as the floor of one bilinear look-up.
#include "earth/elevation.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

struct Point {
  double lon, lat;
};

// Points uniform on the sphere, radians.
const std::vector<Point>& random_points() {
  static std::vector<Point> pts = [] {
    std::mt19937_64 rng(20240605);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<Point> v(1 << 20);
    for (Point& p : v) {
      p.lon = 2 * M_PI * u(rng);
      p.lat = std::asin(2 * u(rng) - 1);
    }
    return v;
  }();
  return pts;
}

void BM_geographic2altitude_random(benchmark::State& state) {
  const std::vector<Point>& pts = random_points();
  size_t i = 0;
  for (auto _ : state) {
    const Point& p = pts[i++ & (pts.size() - 1)];
    benchmark::DoNotOptimize(geographic2altitude(p.lon, p.lat));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_geographic2altitude_random)->Repetitions(9)->ReportAggregatesOnly(true);

// Rows of a 1000-pixel-wide view over Europe and Africa, as the globe renderer walks them.
void BM_geographic2altitude_scan(benchmark::State& state) {
  const double step = 0.0004;  // about 0.023 degree a pixel
  double lon = -0.2, lat = 0.9;
  int x = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(geographic2altitude(lon + x * step, lat));
    if (++x == 1000) {
      x = 0;
      lat -= step;
      if (lat < -0.6) lat = 0.9;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_geographic2altitude_scan)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_half_degree_grid_random(benchmark::State& state) {
  const std::vector<Point>& pts = random_points();
  size_t i = 0;
  for (auto _ : state) {
    const Point& p = pts[i++ & (pts.size() - 1)];
    benchmark::DoNotOptimize(
        geographic2altitude_05(p.lon * 57.29577951308232, p.lat * 57.29577951308232));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_half_degree_grid_random)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
