// Opening a 24-megapixel baseline 4:2:0 JPEG (decode, conversion, deblocking, alpha, turning it
// upright) with NUMBER_OF_PROCESSORS unset, upright and tagged with other Exif orientations,
// beside libjpeg-turbo decompressing the same buffer to RGB rows in the same process (as the
// reader gets it: no program start, no file read), measured in the same run, interleaved.
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

#include <jpeglib.h>

#include "formats/jpeg.h"
#include "support/bench_timing.h"
#include "support/exif_tag.h"
#include "support/image_fixtures.h"
#include "support/synthetic_photo.h"
#include "view/canvas.h"

namespace {

const int W = 6000, H = 4000;

// The synthetic photo as a camera JPEG at quality 90.
std::string make_photo() {
  std::string dir = "/tmp/bench_jpeg_" + std::to_string(getpid());
  std::string ppm = dir + "/photo.ppm", jpg = dir + "/photo.jpg";
  if (system(("mkdir -p " + dir).c_str()) != 0) return "";
  FILE* f = fopen(ppm.c_str(), "wb");
  if (!f) return "";
  fprintf(f, "P6\n%d %d\n255\n", W, H);
  std::vector<unsigned char> row(3 * W);
  uint32_t seed = 12345;
  for (int y = 0; y < H; y++) {
    synthetic_photo_row(y, W, H, &seed, row.data());
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

// The peer: the library's own decompression of the buffer to RGB rows, with its defaults.
void peer_decode(const Bytes& bytes, std::vector<unsigned char>& rows) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), (unsigned long)bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  const size_t stride = (size_t)cinfo.output_width * cinfo.output_components;
  rows.resize(stride * 16);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW ptr[16];
    for (int i = 0; i < 16; i++) ptr[i] = rows.data() + i * stride;
    jpeg_read_scanlines(&cinfo, ptr, 16);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
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
  std::vector<unsigned char> rows;
  peer_decode(bytes, rows);
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
    peer_decode(bytes, rows);
    theirs.push_back(seconds_since(t0));
    st.ResumeTiming();
  }
  double mo = median(ours), mt = median(theirs);
  st.counters["file_MB"] = file_size / 1e6;
  st.counters["ours_ms"] = 1e3 * mo;
  st.counters["libjpeg_ms"] = 1e3 * mt;
  st.counters["ratio"] = mo / mt;
  st.counters["Mpx/s"] = W * (double)H / 1e6 / mo;
}

// Upright, and tagged as phones and cameras write other positions: mirrored (2), upside down
// (3), and turned a quarter either way (6, 8), where every decoded row becomes a column.
void BM_open_24mp_jpeg_beside_libjpeg(benchmark::State& st) { open_photo(st, (int)st.range(0)); }

}  // namespace

BENCHMARK(BM_open_24mp_jpeg_beside_libjpeg)
    ->ArgName("orientation")
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(6)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(11);
