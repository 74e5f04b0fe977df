// The height copy of a terrain tile: reading the samples and filling the voids.
#include "earth/srtm.h"

namespace {

inline bool valid(int v) { return v <= 8999; }

// Half of a sum, rounded down (heights below sea level make the sum negative).
inline int half(int s) { return s >= 0 ? s / 2 : -((1 - s) / 2); }

}  // namespace

bool srtm_is_void(int16_t v) { return v == -32768 || v > 9000; }

int64_t srtm_read_heights(const unsigned char* bytes, int64_t len, int cols, int rows, int16_t* out,
                          int* mean) {
  const int64_t count = (int64_t)cols * rows;
  int64_t present = len > 0 ? len / 2 : 0;
  if (present > count) present = count;
  double sum = 0;
  int64_t n = 0;
  for (int64_t i = 0; i < present; i++) {
    int16_t v = (int16_t)(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    // Thirty-arc-second tiles mark the sea this way; elsewhere the globe answers 0 m at sea.
    if (v == kSrtmSea) v = 0;
    if (srtm_is_void(v)) {
      out[i] = kHgtVoid;
    } else {
      out[i] = v;
      sum += v;
      n++;
    }
  }
  for (int64_t i = present; i < count; i++) out[i] = kHgtVoid;
  *mean = n > 0 ? (int)(sum / n) : 0;
  return present;
}

void srtm_fill_voids(int16_t* g, int cols, int rows, int mean) {
  for (int i = 0; i < rows; i++) {
    int16_t* row = g + (int64_t)i * cols;
    const int16_t* up = i > 0 ? row - cols : nullptr;
    const int16_t* up2 = i > 1 ? row - 2 * cols : nullptr;
    const int16_t* down = i < rows - 1 ? row + cols : nullptr;
    for (int j = 0; j < cols; j++) {
      if (row[j] != kHgtVoid) continue;
      int v;
      if (j > 0 && valid(row[j - 1])) {
        v = row[j - 1];
        if (j > 1 && valid(row[j - 2])) v = half(v + row[j - 2]);
        if (up && valid(up[j])) v = half(v + up[j]);
      } else if (up && valid(up[j])) {
        v = up[j];
        if (up2 && valid(up2[j])) v = half(v + up2[j]);
      } else if (j < cols - 1 && valid(row[j + 1])) {
        v = row[j + 1];
      } else if (down && valid(down[j])) {
        v = down[j];
      } else {
        v = mean;
      }
      row[j] = (int16_t)v;
    }
  }
}
