#include "formats/hdr.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "formats/reader.h"
#include "formats/rgbe.h"
#include "view/canvas.h"

namespace {

// Largest value, mean and sample standard deviation of n values, summed in single precision in
// order, so that every picture's gain is reproducible.
struct Stats {
  float max, mean, sigma;
};

Stats statistics(const float* v, int64_t n) {
  float max = v[0], sum = 0;
  for (int64_t i = 0; i < n; i++) {
    if (v[i] > max) max = v[i];
    sum += v[i];
  }
  float mean = sum / (float)n;
  float squares = 0;
  for (int64_t i = 0; i < n; i++) {
    float d = v[i] - mean;
    squares += d * d;
  }
  return {max, mean, std::sqrt(squares / (float)(n - 1))};
}

// The brightening that a picture whose peak stands far above its spread needs.
float gain_for(float max, float sigma) {
  static const struct {
    float ratio, gain;
  } steps[] = {{200, 16}, {100, 10}, {50, 7}, {25, 5}, {5, 2.5f}, {2, 1.4f}};
  for (const auto& s : steps)
    if (max > s.ratio * sigma) return s.gain;
  return 1;
}

void tone_map(const float* rgb, int64_t pixels, float* rgba) {
  int64_t n = 3 * pixels;
  Stats st = statistics(rgb, n);
  float scale = st.max > 0 ? 1 / st.max : 1;
  float gain = gain_for(st.max, st.sigma);
  for (int64_t i = 0; i < pixels; i++, rgb += 3, rgba += 4) {
    for (int k = 0; k < 3; k++) {
      float c = std::sqrt(rgb[k] * scale) * gain;
      rgba[k] = c < 0 ? 0 : (c > 1 ? 1 : c);
    }
    rgba[3] = 1;
  }
}

}  // namespace

void load_hdr_file(const char* name) {
  FILE* f = fopen(name, "rb");
  if (!f) return refuse_silently("error opening file %s", name);
  int w = 0, h = 0;
  if (RGBE_ReadHeader(f, &w, &h, nullptr) != 0) {
    fclose(f);
    return refuse_silently("%s", rgbe_last_error());
  }
  printf("resolution %d x %d\n", w, h);
  if (!image_size_ok(w, h)) {
    fclose(f);
    return refuse_silently("RGBE size not supported: %d x %d", w, h);
  }
  // Zeroed, so that pixels a damaged file does not give are black rather than whatever was there.
  float* rgb = (float*)calloc((size_t)w * h, 3 * sizeof(float));
  if (!rgb) {
    fclose(f);
    return refuse_silently("error allocating memory");
  }
  if (size_loaded_image(w, h) != SIZE_OK) {
    free(rgb);
    fclose(f);
    return refuse_silently("memory error (init img)");
  }
  bool whole = RGBE_ReadPixels_RLE(f, rgb, w, h) == 0;
  if (!whole) puts("error reading pixels");
  fclose(f);
  tone_map(rgb, (int64_t)w * h, img_content);
  free(rgb);
  image_post(w, h, 1);
  if (!whole) note_damaged();
}
