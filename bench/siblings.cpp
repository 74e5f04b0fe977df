// A step to the next file in a folder of 10,000 files (listing, natural sort, search; the open
// itself stubbed out), beside GNU ls listing the same folder in version order in the same run.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/open_file.h"
#include "app/siblings.h"
#include "support/bench_timing.h"
#include "support/headless.h"
#include "support/temp_dir.h"

namespace {

const int kFiles = 10000;
std::unique_ptr<TempDir> folder;

int stub_read(int) { return 0; }

// The folder, made once: camera-style names, a few with other stems, each one byte long.
bool set_up() {
  if (folder) return !folder->path.empty();
  folder = std::make_unique<TempDir>("bench_siblings_");
  if (folder->path.empty()) return false;
  for (int k = 1; k <= kFiles; k++) {
    char name[64];
    snprintf(name, sizeof name, "%s%d.jpg", k % 10 == 0 ? "pano_" : "IMG_", k);
    int fd = open((folder->path + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd < 0 || write(fd, "x", 1) != 1) return false;
    close(fd);
  }
  headless_viewer(16, 16);
  for (int i = 0; i < open_table_rows; i++)
    if (open_table[i].read) open_table[i].read = stub_read;
  return true;
}

void BM_sibling_step(benchmark::State& state) {
  if (!set_up()) {
    state.SkipWithError("cannot make the folder");
    return;
  }
  const std::string start = folder->path + "/IMG_5001.jpg";
  for (auto _ : state) {
    snprintf(openfilename, sizeof openfilename, "%s", start.c_str());
    cb_next();
  }
  if (strcmp(openfilename, (folder->path + "/IMG_5002.jpg").c_str()) != 0)
    state.SkipWithError("the step did not reach the next file");
}
BENCHMARK(BM_sibling_step)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// GNU ls listing and version-sorting the same folder: the whole process, output discarded.
void BM_ls_v(benchmark::State& state) {
  if (!set_up()) {
    state.SkipWithError("cannot make the folder");
    return;
  }
  const std::string cmd = "LC_ALL=C ls -v '" + folder->path + "' >/dev/null";
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    int rc = system(cmd.c_str());
    const double seconds = seconds_since(t0);
    state.SetIterationTime(seconds);
    if (rc != 0) state.SkipWithError("ls failed");
  }
}
BENCHMARK(BM_ls_v)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace
