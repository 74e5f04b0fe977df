// Opening a 24-megapixel baseline 4:2:0 JPEG (decode, conversion, deblocking, alpha) with
// NUMBER_OF_PROCESSORS unset, beside Debian's djpeg decoding the same file to /dev/null, both
// measured in the same run, interleaved.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/readers.h"
#include "support/exif_tag.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"

namespace {

const int W = 6000, H = 4000;

// A photo-like picture: smooth light and colour gradients, edges, fine texture and sensor-like
// noise, so that the entropy-coded data are about as dense as a camera's at quality 90.
std::string make_photo() {
  std::string dir = "/tmp/bench_jpeg_" + std::to_string(getpid());
  std::string ppm = dir + "/photo.ppm", jpg = dir + "/photo.jpg";
  if (system(("mkdir -p " + dir).c_str()) != 0) return "";
  FILE* f = fopen(ppm.c_str(), "wb");
  if (!f) return "";
  fprintf(f, "P6\n%d %d\n255\n", W, H);
  std::vector<unsigned char> row(3 * W);
  uint32_t seed = 12345;
  auto noise = [&]() {
    seed = seed * 1664525u + 1013904223u;
    return (int)((seed >> 24) & 15) - 8;
  };
  for (int y = 0; y < H; y++) {
    for (int x = 0; x < W; x++) {
      double u = (double)x / W, v = (double)y / H;
      double light = 0.5 + 0.35 * std::sin(3.1 * u + 1.7 * v) * std::cos(2.3 * v - 0.4 * u);
      double texture = 0.08 * std::sin(x * 0.37 + std::sin(y * 0.05) * 4) * std::sin(y * 0.29);
      double edge = ((x / 375 + y / 250) % 3 == 0) ? 0.12 : 0.0;
      for (int c = 0; c < 3; c++) {
        double tint = 0.85 + 0.15 * std::sin(c * 2.1 + 5 * u - 3 * v);
        int val = (int)(255 * (light * tint + texture + edge)) + noise();
        row[3 * x + c] = (unsigned char)std::min(255, std::max(0, val));
      }
    }
    fwrite(row.data(), 1, row.size(), f);
  }
  fclose(f);
  std::string cmd = "cjpeg -quality 90 -sample 2x2 -outfile " + jpg + " " + ppm;
  int r = system(cmd.c_str());
  unlink(ppm.c_str());
  if (r != 0) return "";
  static std::string made;
  made = jpg;
  atexit([] {
    unlink(made.c_str());
    rmdir(made.substr(0, made.rfind('/')).c_str());
  });
  return jpg;
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

void open_photo(benchmark::State& st, int orientation) {
  static std::string jpg = make_photo();
  if (jpg.empty()) {
    st.SkipWithError("could not make the test photo (cjpeg missing?)");
    return;
  }
  Bytes bytes = read_file(jpg);
  if (bytes.empty()) st.SkipWithError("could not read the test photo");
  const size_t file_size = bytes.size();  // the photo's own size, before any tag is added
  if (orientation != 1) bytes = with_orientation_tag(bytes, orientation);
  put_file_buffer(bytes);
  unsetenv("NUMBER_OF_PROCESSORS");
  if (load_jpg(1) != 0) st.SkipWithError("load_jpg failed");  // warm-up: sizes the loaded image
  std::string djpeg = "djpeg -outfile /dev/null " + jpg;
  std::vector<double> ours, theirs;
  for (auto _ : st) {
    auto t0 = std::chrono::steady_clock::now();
    int r = load_jpg(1);
    double t = seconds_since(t0);
    st.SetIterationTime(t);
    ours.push_back(t);
    if (r != 0) st.SkipWithError("load_jpg failed");
    st.PauseTiming();
    t0 = std::chrono::steady_clock::now();
    if (system(djpeg.c_str()) != 0) st.SkipWithError("djpeg failed");
    theirs.push_back(seconds_since(t0));
    st.ResumeTiming();
  }
  double mo = median(ours), mt = median(theirs);
  st.counters["file_MB"] = file_size / 1e6;
  st.counters["ours_ms"] = 1e3 * mo;
  st.counters["djpeg_ms"] = 1e3 * mt;
  st.counters["ratio"] = mo / mt;
  st.counters["Mpx/s"] = W * (double)H / 1e6 / mo;
  st.counters["djpeg_Mpx/s"] = W * (double)H / 1e6 / mt;
}

void BM_open_24mp_jpeg_beside_djpeg(benchmark::State& st) { open_photo(st, 1); }

// The same photo tagged as taken in portrait (orientation 6), as phones write it: every decoded
// row becomes a column of the loaded image, and the smoothing waits for the whole picture.
void BM_open_24mp_jpeg_turned_beside_djpeg(benchmark::State& st) { open_photo(st, 6); }

}  // namespace

BENCHMARK(BM_open_24mp_jpeg_beside_djpeg)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);
BENCHMARK(BM_open_24mp_jpeg_turned_beside_djpeg)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);
