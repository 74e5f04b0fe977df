// The Sun for an observer: one position, one whole dawn and dusk search, and PyEphem's time for
// the same work measured in the same run (tests/earth/sun_reference.py timing, /usr/bin/python3).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "earth/sun_times.h"

namespace {

struct Place {
  double jd, lon, lat, h;
};

// Random moments 1980-2030 and places up to the given latitude.
std::vector<Place> places(double max_lat, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> jd(2444239.5, 2462867.5), lon(-M_PI, M_PI), lat(-max_lat, max_lat),
      h(0.0, 3000.0);
  std::vector<Place> out(1024);
  for (Place& p : out) p = {jd(rng), lon(rng), lat(rng) * M_PI / 180, h(rng)};
  return out;
}

void BM_calc_sun_pos(benchmark::State& state) {
  auto ps = places(89.0, 1);
  size_t i = 0;
  for (auto _ : state) {
    const Place& p = ps[i++ & 1023];
    double az, el;
    benchmark::DoNotOptimize(calc_sun_pos(p.jd, p.lon, p.lat, p.h, &az, &el));
    benchmark::DoNotOptimize(el);
  }
}
BENCHMARK(BM_calc_sun_pos)->Repetitions(9)->ReportAggregatesOnly(true);

// The whole search of the right-click report for one point: the position now, the last and next
// horizon crossings and the two 50' crossings. Up to 60 degrees the 0.05-day steps find them;
// in polar day or night the day-by-day walk over the culminations runs for weeks or months.
void dawn_dusk(benchmark::State& state, double max_lat, double min_lat) {
  auto ps = places(max_lat, 2);
  std::vector<Place> use;
  for (const Place& p : ps)
    if (std::fabs(p.lat) >= min_lat * M_PI / 180) use.push_back(p);
  size_t i = 0;
  for (auto _ : state) {
    const Place& p = use[i++ % use.size()];
    sun_day_night s;
    benchmark::DoNotOptimize(find_dawn_dusk(p.jd, p.lon, p.lat, p.h, &s));
    benchmark::DoNotOptimize(s.next50.jd);
  }
}
void BM_find_dawn_dusk(benchmark::State& state) { dawn_dusk(state, 60.0, 0.0); }
void BM_find_dawn_dusk_polar(benchmark::State& state) { dawn_dusk(state, 89.0, 70.0); }
BENCHMARK(BM_find_dawn_dusk)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_find_dawn_dusk_polar)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// PyEphem's seconds per sun position (with its observer set up) and per search of the four
// crossings (previous rising and next setting for the horizons 0 and -0:50), measured once.
bool pyephem_times(double* position, double* search) {
  static double pos = -1, srch = -1;
  if (pos < 0) {
    // The source tree: SUNCALC_SOURCE_DIR, or the one this file was compiled from.
    const char* src = std::getenv("SUNCALC_SOURCE_DIR");
    std::string dir = src ? src : std::string(__FILE__).substr(0, std::string(__FILE__).rfind("/bench/"));
    std::string cmd = "/usr/bin/python3 " + dir + "/tests/earth/sun_reference.py timing 2000";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return false;
    if (fscanf(p, "%lf %lf", &pos, &srch) != 2) pos = -1;
    if (pclose(p) != 0) pos = -1;
    if (pos < 0) return false;
  }
  *position = pos;
  *search = srch;
  return true;
}

void BM_pyephem_sun_position(benchmark::State& state) {
  double pos, search;
  if (!pyephem_times(&pos, &search)) {
    state.SkipWithError("PyEphem timing script failed");
    return;
  }
  for (auto _ : state) state.SetIterationTime(pos);
}
void BM_pyephem_dawn_dusk(benchmark::State& state) {
  double pos, search;
  if (!pyephem_times(&pos, &search)) {
    state.SkipWithError("PyEphem timing script failed");
    return;
  }
  for (auto _ : state) state.SetIterationTime(search);
}
BENCHMARK(BM_pyephem_sun_position)->UseManualTime()->Iterations(1)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_pyephem_dawn_dusk)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

}  // namespace
