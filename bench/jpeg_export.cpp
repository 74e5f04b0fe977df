// The JPEG export of a 6000 x 4000 picture (composition at 1:1, quantisation, compression at
// quality 92 with float DCT, optimised tables and smoothing 5, the file written and renamed) beside
// Debian's cjpeg compressing the same pixels from a PPM with the same settings, timed interleaved
// in one run. The figure to hold: our median at most twice cjpeg's.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/jpeg_export.h"
#include "platform/dialogs.h"
#include "support/bench_timing.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/synthetic_photo.h"
#include "view/canvas.h"

namespace {

const int W = 6000, H = 4000;
std::string dir, ours_jpg, theirs_jpg, ppm;

int choose(const char*, const char*, const char*, char* name, int size) {
  snprintf(name, size, "%s", ours_jpg.c_str());
  return 0;
}
int overwrite(const char*, const char*, const char*) { return 0; }

// The synthetic photo as the loaded image and as the PPM cjpeg reads.
bool make_picture() {
  dir = "/tmp/bench_jpeg_export_" + std::to_string(getpid());
  ours_jpg = dir + "/ours.jpg";
  theirs_jpg = dir + "/theirs.jpg";
  ppm = dir + "/picture.ppm";
  if (system(("mkdir -p " + dir).c_str()) != 0) return false;
  atexit([] { (void)system(("rm -rf " + dir).c_str()); });
  if (resize_loaded_image(W, H) != 0) return false;
  FILE* f = fopen(ppm.c_str(), "wb");
  if (!f) return false;
  fprintf(f, "P6\n%d %d\n255\n", W, H);
  std::vector<unsigned char> row(3 * W);
  uint32_t seed = 12345;
  for (int y = 0; y < H; y++) {
    synthetic_photo_row(y, W, H, &seed, row.data());
    float* p = img_content + 4 * (size_t)y * W;
    for (int x = 0; x < W; x++, p += 4) {
      for (int c = 0; c < 3; c++) p[c] = row[3 * x + c] / 255.0f;
      p[3] = 1.0f;
    }
    fwrite(row.data(), 1, row.size(), f);
  }
  image_post(W, H, 1);
  return fclose(f) == 0;
}

void BM_export_24mp_beside_cjpeg(benchmark::State& st) {
  headless_viewer();
  static bool made = make_picture();
  if (!made) return st.SkipWithError("could not make the picture");
  plat_save_chooser_script = choose;
  plat_choice_script = overwrite;
  const std::string cjpeg = "cjpeg -quality 92 -baseline -dct float -optimize -smooth 5 -outfile " +
                            theirs_jpg + " " + ppm;
  std::vector<double> ours, theirs;
  for (auto _ : st) {
    auto t0 = std::chrono::steady_clock::now();
    cb_save_jpeg();
    double t = seconds_since(t0);
    st.SetIterationTime(t);
    ours.push_back(t);
    t0 = std::chrono::steady_clock::now();
    if (system(cjpeg.c_str()) != 0) st.SkipWithError("cjpeg failed");
    theirs.push_back(seconds_since(t0));
  }
  plat_save_chooser_script = nullptr;
  plat_choice_script = nullptr;
  const double mo = median(ours), mt = median(theirs);
  st.counters["ours_ms"] = 1e3 * mo;
  st.counters["cjpeg_ms"] = 1e3 * mt;
  st.counters["ratio"] = mo / mt;
  st.counters["ours_MB"] = read_file(ours_jpg).size() / 1e6;
  st.counters["cjpeg_MB"] = read_file(theirs_jpg).size() / 1e6;
  // The same pixels through the same library with the same settings: the same bytes.
  st.counters["same_bytes"] = read_file(ours_jpg) == read_file(theirs_jpg);
}

}  // namespace

BENCHMARK(BM_export_24mp_beside_cjpeg)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);
