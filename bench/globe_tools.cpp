// The globe's colour-model merit (300 x 600 points: elevation cascade, base colour, day texture)
// and one real run of the tuning search over it, about 2,240 merits. No outside tool computes
// this measure, so there is no peer.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "earth/globe.h"
#include "earth/globe_tools.h"

namespace {

void BM_compute_merit(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(compute_merit());
  state.counters["points_per_s"] =
      benchmark::Counter(300 * 600, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_compute_merit)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int merits = 0;
double counted_merit() {
  merits++;
  return compute_merit();
}

// The whole search once; its console lines go to /dev/null.
void BM_opt_merit_once(benchmark::State& state) {
  for (double& o : opti) o = 1.0;
  opt_merit_function = counted_merit;
  fflush(stdout);
  int saved = dup(1), null = open("/dev/null", O_WRONLY);
  for (auto _ : state) {
    merits = 0;
    dup2(null, 1);
    opt_merit();
    fflush(stdout);
    dup2(saved, 1);
  }
  close(null);
  close(saved);
  opt_merit_function = compute_merit;
  state.counters["merits"] = merits;
}
BENCHMARK(BM_opt_merit_once)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
