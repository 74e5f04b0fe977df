// Opening a 200 MB file into the hex view against a plain fread of the same file in the same
// run, and redrawing the text view of a 5 MB HTML file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/open_file.h"
#include "support/bench_timing.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

// Fixture files in /tmp, made once a run and removed at exit.
std::vector<std::string> made;

std::string make_file(const std::string& tail, long long size, bool html) {
  std::string path = "/tmp/suncalc-bench-" + std::to_string(getpid()) + tail;
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return "";
  std::string chunk;
  if (html) {
    for (int i = 0; chunk.size() < (1 << 20); i++)
      chunk += "<p class=\"row\">line " + std::to_string(i) +
               " of a page that is long enough to be cut at the right edge of the canvas, "
               "with <b>tags</b> shown as they stand</p>\n";
  } else {
    chunk.resize(1 << 20);
    unsigned x = 12345;
    for (char& c : chunk) c = (char)((x = x * 1103515245u + 12345u) >> 24);
  }
  for (long long left = size; left > 0;) {
    size_t n = (size_t)std::min<long long>(left, (long long)chunk.size());
    fwrite(chunk.data(), 1, n, f);
    left -= (long long)n;
  }
  fclose(f);
  if (made.empty())
    atexit([] {
      for (const std::string& p : made) unlink(p.c_str());
    });
  made.push_back(path);
  return path;
}

// Every redraw ends with the display quantiser, whatever the view. With no 8-bit canvas to fill
// it returns at once, which shows what the opener and the views cost by themselves.
template <class F>
double median_without_quantiser(int runs, F f) {
  unsigned char* shown = uimage;
  uimage = nullptr;
  std::vector<double> t;
  for (int i = 0; i < runs; i++) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    t.push_back(seconds_since(t0));
  }
  uimage = shown;
  return median(t);
}

void open_name(const std::string& path) {
  snprintf(openfilename, sizeof openfilename, "%s", path.c_str());
  do_open(1);
}

void BM_OpenIntoHexView200MB(benchmark::State& state) {
  const long long size = 200LL * 1000 * 1000;
  static std::string path = make_file("-200MB.bin", size, false);
  headless_viewer();
  std::vector<unsigned char> peer_buffer((size_t)size, 1);
  open_name(path);  // the page cache and the file buffer as every later open finds them
  if (bin_allocated != size || !is_content_hex()) {
    state.SkipWithError("the fixture did not open as a hex dump");
    return;
  }
  std::vector<double> ours, peer;
  bool peer_first = true;
  for (auto _ : state) {
    double t_peer = 0, t_ours = 0;
    for (int turn = 0; turn < 2; turn++) {
      auto t0 = std::chrono::steady_clock::now();
      if ((turn == 0) == peer_first) {
        FILE* f = fopen(path.c_str(), "rb");
        size_t got = fread(peer_buffer.data(), 1, peer_buffer.size(), f);
        fclose(f);
        benchmark::DoNotOptimize(got);
        t_peer = seconds_since(t0);
      } else {
        open_name(path);
        t_ours = seconds_since(t0);
      }
    }
    peer_first = !peer_first;
    ours.push_back(t_ours);
    peer.push_back(t_peer);
    state.SetIterationTime(t_ours);
  }
  double bare = median_without_quantiser(15, [] { open_name(path); });
  state.counters["fread_median_ms"] = median(peer) * 1e3;
  state.counters["open_median_ms"] = median(ours) * 1e3;
  state.counters["ratio_to_fread"] = median(ours) / median(peer);
  state.counters["open_without_quantiser_ms"] = bare * 1e3;
  state.counters["ratio_without_quantiser"] = bare / median(peer);
}
BENCHMARK(BM_OpenIntoHexView200MB)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

void BM_RedrawTextView5MB(benchmark::State& state) {
  static std::string path = make_file("-5MB.html", 5LL * 1000 * 1000, true);
  headless_viewer(state.range(0), state.range(1));
  open_name(path);
  if (!is_content_html()) {
    state.SkipWithError("the fixture did not open as a page");
    return;
  }
  std::vector<double> times;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    upd_rgb(0);
    times.push_back(seconds_since(t0));
  }
  state.counters["median_ms"] = median(times) * 1e3;
  state.counters["without_quantiser_ms"] = median_without_quantiser(31, [] { upd_rgb(0); }) * 1e3;
  headless_viewer();
}
BENCHMARK(BM_RedrawTextView5MB)->Args({800, 500})->Args({1000, 800})->Unit(benchmark::kMillisecond);

}  // namespace
