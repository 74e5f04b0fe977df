// Terrain tiles opened to the posted picture in a 1000 x 800 canvas: the real three-arc-second
// tile bare and zipped, a one-arc-second tile, a thirty-arc-second tile with the process's peak
// memory; a drag step on the three-arc-second tile; and, as the peer in the same run, gdal's
// shaded relief of the same tile (gdaldem hillshade, a process of its own).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/open_file.h"
#include "scene3d/navigate.h"
#include "scene3d/synthetic_scenes.h"
#include "support/bench_timing.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/terrain_fixtures.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

void open_name(const std::string& path) {
  snprintf(openfilename, sizeof openfilename, "%s", path.c_str());
  do_open(1);
}

// A small scene in between, so that each open starts from it and not from the tile before.
void small_scene() {
  scene3d::show_spheres({{0, 0, 0, 1, 6}, {2, 0, 0, 1, 8}});
  set_content_pdb();
}

void open_tile(benchmark::State& state, const std::string& set, const std::string& name) {
  const std::string dir = terrain_fixtures(set);
  if (dir.empty()) {
    state.SkipWithError("the fixture could not be made");
    return;
  }
  headless_viewer(1000, 800);
  const std::string path = dir + "/" + name;
  std::vector<double> times;
  for (auto _ : state) {
    small_scene();
    auto t0 = std::chrono::steady_clock::now();
    open_name(path);
    double t = seconds_since(t0);
    if (!is_content_srtm3()) {
      state.SkipWithError(("not opened: " + status_text()).c_str());
      return;
    }
    times.push_back(t);
    state.SetIterationTime(t);
  }
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  state.counters["median_ms"] = median(times) * 1e3;
  state.counters["peak_rss_MB"] = ru.ru_maxrss / 1024.0;
}

void BM_OpenN57E011(benchmark::State& state) { open_tile(state, "real", "N57E011.hgt"); }
BENCHMARK(BM_OpenN57E011)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);

void BM_OpenN57E011Zipped(benchmark::State& state) { open_tile(state, "real", "N57E011.hgt.zip"); }
BENCHMARK(BM_OpenN57E011Zipped)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);

// The peer: gdal reads the same tile and writes its shaded relief, start-up included.
void BM_GdalHillshadeN57E011(benchmark::State& state) {
  const std::string dir = terrain_fixtures("real");
  const std::string out = fixture("hillshade.tif");
  std::vector<double> times;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    int r = sh("gdaldem hillshade -q '" + dir + "/N57E011.hgt' '" + out + "'");
    double t = seconds_since(t0);
    if (r != 0) {
      state.SkipWithError("gdaldem failed");
      return;
    }
    times.push_back(t);
    state.SetIterationTime(t);
  }
  state.counters["median_ms"] = median(times) * 1e3;
}
BENCHMARK(BM_GdalHillshadeN57E011)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);

void BM_DragStepN57E011(benchmark::State& state) {
  headless_viewer(1000, 800);
  open_name(terrain_fixtures("real") + "/N57E011.hgt");
  if (!is_content_srtm3()) {
    state.SkipWithError("not opened");
    return;
  }
  std::vector<double> times;
  int k = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    scene3d::srtm3_rotate(k++ % 2 ? 4 : -4, 3);
    double t = seconds_since(t0);
    times.push_back(t);
    state.SetIterationTime(t);
  }
  state.counters["median_ms"] = median(times) * 1e3;
}
BENCHMARK(BM_DragStepN57E011)->UseManualTime()->Iterations(21)->Unit(benchmark::kMillisecond);

void BM_Open3601Tile(benchmark::State& state) { open_tile(state, "s1", "s1/N57E011.hgt"); }
BENCHMARK(BM_Open3601Tile)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_Open4800x6000Tile(benchmark::State& state) { open_tile(state, "dem", "E020N40.DEM"); }
BENCHMARK(BM_Open4800x6000Tile)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
