#include "support/synthetic_photo.h"

#include <algorithm>
#include <cmath>

void synthetic_photo_row(int y, int w, int h, uint32_t* seed, unsigned char* rgb) {
  for (int x = 0; x < w; x++) {
    double u = (double)x / w, v = (double)y / h;
    double light = 0.5 + 0.35 * std::sin(3.1 * u + 1.7 * v) * std::cos(2.3 * v - 0.4 * u);
    double texture = 0.08 * std::sin(x * 0.37 + std::sin(y * 0.05) * 4) * std::sin(y * 0.29);
    double edge = ((x / 375 + y / 250) % 3 == 0) ? 0.12 : 0.0;
    for (int c = 0; c < 3; c++) {
      *seed = *seed * 1664525u + 1013904223u;
      double tint = 0.85 + 0.15 * std::sin(c * 2.1 + 5 * u - 3 * v);
      int level = (int)(255 * (light * tint + texture + edge)) + (int)((*seed >> 24) & 15) - 8;
      rgb[3 * x + c] = (unsigned char)std::min(255, std::max(0, level));
    }
  }
}
