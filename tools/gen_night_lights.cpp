// Writes the globe's night lights: one brightness byte a pixel, 0 on the sea.
//
// Sources:
//   Debian's marble-qt-data, /usr/share/marble/data/maps/earth/citylights/citylights.jpg: the
//     city lights of NOAA NGDC and NASA (public domain), 2700 x 1350, equirectangular with rows
//     from 90 N and column 0 at 180 W. The lights lie over a dark blue picture of the land.
//   Debian's ferret-datasets, /usr/share/ferret-vis/data/etopo5.cdf: ETOPO5 (NOAA NGDC, public
//     domain), to clear the open sea.
//
// Steps: each source pixel's light is L = (min(R, G) - 50) x 255 / 205, limited to 0..255: the
// land's blue background has red and green near 31 (and below 50 on 95 % of the land), the lights
// are yellow to white, so the smaller of red and green drops the background and keeps the lights.
// The picture is then reduced to 2160 x 1080 by a box (each output pixel the mean of the source
// pixels whose centres lie in its area, one or two each way at 2700 x 1350) and rounded to
// nearest; a mean weighted by overlap would blur the lights and leave fewer bright enough for the
// globe to show. Last, every pixel whose centre has an
// ETOPO5 depth below 200 m is set to 0: JPEG noise and glow over the sea go, coastal cities stay.
// Each output pixel's centre falls on an ETOPO5 node (10 arc minutes against 5).
//
// Output: night_lights.bin, 2160 x 1080 bytes, rows from 90 N, column 0 at 180 W.
//
// usage: gen_night_lights <citylights.jpg> <etopo5.cdf> <output directory>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "earth/globe_texture_sizes.h"
#include "tools/gen_elevation_cdf.h"
#include "tools/gen_file_io.h"
#include "tools/gen_image_io.h"

namespace {

const int kEtopoRows = 2161, kEtopoCols = 4320;
static_assert(2 * GLOBE_NIGHT_W == kEtopoCols && 2 * GLOBE_NIGHT_H == kEtopoRows - 1,
              "each night pixel's centre must be an ETOPO5 node");
const double kSeaDepth = -200;  // metres: deeper than this no light is kept

int fail(const char* path, const std::string& why) {
  fprintf(stderr, "gen_night_lights: %s: %s\n", path, why.c_str());
  return 1;
}

// The source cells [0, n_in) whose centres lie in output cell k of n_out, as (first, count):
// centre i + 0.5 with k s < i + 0.5 <= (k + 1) s, s = n_in / n_out.
struct span {
  int first, count;
};
std::vector<span> box_spans(int n_in, int n_out) {
  // With n_in >= n_out every cell holds at least one centre. In integers, i + 0.5 <= (k + 1) s
  // reads (2i + 1) n_out <= 2 (k + 1) n_in.
  std::vector<span> out(n_out);
  int i = 0;
  for (int k = 0; k < n_out; k++) {
    int first = i;
    while (i < n_in && (2L * i + 1) * n_out <= 2L * (k + 1) * n_in) i++;
    out[k] = {first, i - first};
  }
  return out;
}

// ETOPO5's ROSE variable, checked as the elevation generator checks it.
bool read_etopo(const char* path, std::vector<float>* rose, std::string* err) {
  std::vector<unsigned char> bytes;
  if (!read_whole_file(path, &bytes)) {
    *err = "cannot be read";
    return false;
  }
  CdfFile cdf;
  if (!cdf_parse_header(bytes, &cdf, err)) return false;
  const CdfVar* var = cdf_find_var(cdf, "ROSE");
  const CdfVar* ys = cdf_find_var(cdf, "ETOPO05_Y");
  const CdfVar* xs = cdf_find_var(cdf, "ETOPO05_X");
  if (!cdf_check_var(cdf, var, "ROSE", CDF_FLOAT,
                     {{"ETOPO05_Y", kEtopoRows}, {"ETOPO05_X", kEtopoCols}}, bytes.size(), err) ||
      !cdf_check_var(cdf, ys, "ETOPO05_Y", CDF_DOUBLE, {{"ETOPO05_Y", kEtopoRows}}, bytes.size(),
                     err) ||
      !cdf_check_var(cdf, xs, "ETOPO05_X", CDF_DOUBLE, {{"ETOPO05_X", kEtopoCols}}, bytes.size(),
                     err))
    return false;
  for (int r = 0; r < kEtopoRows; r++)
    if (std::fabs(cdf_double_at(bytes, ys->begin, r) - (-90.0 + r / 12.0)) > 1e-6) {
      *err = "ETOPO05_Y is not -90..90 every 1/12 degree";
      return false;
    }
  for (int c = 0; c < kEtopoCols; c++)
    if (std::fabs(cdf_double_at(bytes, xs->begin, c) - c / 12.0) > 0.01) {
      *err = "ETOPO05_X is not 0..360 every 1/12 degree";
      return false;
    }
  rose->resize((size_t)kEtopoRows * kEtopoCols);
  for (size_t i = 0; i < rose->size(); i++) {
    float v = cdf_float_at(bytes, var->begin, i);
    if (!(std::fabs(v) < 12000)) {
      *err = "ROSE holds a missing or impossible value";
      return false;
    }
    (*rose)[i] = v;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: gen_night_lights <citylights.jpg> <etopo5.cdf> <output directory>\n");
    return 2;
  }
  std::vector<unsigned char> rgb;
  int w = 0, h = 0;
  std::string err;
  if (!decode_jpeg_rgb(argv[1], 10 * GLOBE_NIGHT_W, 10 * GLOBE_NIGHT_H, &rgb, &w, &h, &err))
    return fail(argv[1], err);
  if (w != 2 * h || w < GLOBE_NIGHT_W)
    return fail(argv[1], std::to_string(w) + " x " + std::to_string(h) +
                             " is not a whole equirectangular map of at least " +
                             std::to_string(GLOBE_NIGHT_W) + " x " + std::to_string(GLOBE_NIGHT_H));
  std::vector<float> rose;
  if (!read_etopo(argv[2], &rose, &err)) return fail(argv[2], err);

  std::vector<double> light((size_t)w * h);
  for (size_t i = 0; i < light.size(); i++) {
    int m = std::min(rgb[3 * i], rgb[3 * i + 1]);
    light[i] = std::clamp((m - 50) * 255.0 / 205.0, 0.0, 255.0);
  }
  // Across, then down.
  std::vector<span> across = box_spans(w, GLOBE_NIGHT_W), down = box_spans(h, GLOBE_NIGHT_H);
  std::vector<double> rows((size_t)h * GLOBE_NIGHT_W);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < GLOBE_NIGHT_W; x++) {
      double s = 0;
      for (int k = 0; k < across[x].count; k++) s += light[(size_t)y * w + across[x].first + k];
      rows[(size_t)y * GLOBE_NIGHT_W + x] = s / across[x].count;
    }
  std::vector<unsigned char> night((size_t)GLOBE_NIGHT_BYTES);
  long lit = 0, cleared = 0;
  for (int y = 0; y < GLOBE_NIGHT_H; y++)
    for (int x = 0; x < GLOBE_NIGHT_W; x++) {
      double s = 0;
      for (int k = 0; k < down[y].count; k++)
        s += rows[(size_t)(down[y].first + k) * GLOBE_NIGHT_W + x];
      long v = std::clamp(std::lround(s / down[y].count), 0L, 255L);
      // Pixel (x, y) is centred on latitude 90 - (2y + 1)/12 and longitude -180 + (2x + 1)/12.
      int r = kEtopoRows - 2 - 2 * y, c = (2 * x + 1 + kEtopoCols / 2) % kEtopoCols;
      if (v > 0) {
        lit++;
        if (rose[(size_t)r * kEtopoCols + c] < kSeaDepth) {
          v = 0;
          cleared++;
        }
      }
      night[(size_t)y * GLOBE_NIGHT_W + x] = (unsigned char)v;
    }
  printf("gen_night_lights: %ld lit pixels, %ld of them over the sea cleared\n", lit, cleared);
  return write_blob(argv[3], "night_lights.bin", night) ? 0 : 1;
}
