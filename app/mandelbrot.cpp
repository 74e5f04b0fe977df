#include "app/mandelbrot.h"

#include <cmath>
#include <cstdio>

#include "earth/globe.h"
#include "view/canvas.h"
#include "view/screen.h"

double mb_zoom = 1.2;
double mb_dx = 0, mb_dy = 0;

namespace {

const int kMaxStep = 500;

// The escape step k (0 for the first step), or kMaxStep + 1 when |z|^2 stayed within 100; *m is
// |z|^2 after the last step made.
inline int escape(double x, double y, double* m) {
  double zr = 0, zi = 0, mm = 0;
  int k = 0;
  for (; k <= kMaxStep; k++) {
    double t = zr * zr - zi * zi + x;
    zi = 2 * zr * zi + y;
    zr = t;
    mm = zr * zr + zi * zi;
    if (mm > 100) break;
  }
  *m = mm;
  return k;
}

inline double smooth(int k, double m) {
  double d = k <= kMaxStep ? m - 100 : 0;
  return (k - (1 - std::exp(-0.05 * d / 100))) / 500;
}

inline void colour(int k, double s, float* r, float* g, float* b) {
  if (k > kMaxStep || (float)s > 0.99999f) {
    *r = *g = *b = 0;
    return;
  }
  *r = (float)std::exp(-15 * s);
  *g = (float)(1 - std::exp(-s));
  *b = (float)std::exp(-5 * s);
}

}  // namespace

double mb_funct(double x, double y) {
  double m;
  int k = escape(x, y, &m);
  return smooth(k, m);
}

void mb_col(double x, double y, float* r, float* g, float* b) {
  double m;
  int k = escape(x, y, &m);
  colour(k, smooth(k, m), r, g, b);
}

void load_mb() {
  if (do_open_busy()) return;  // the reader running owns the loaded image
  xres = width;
  yres = height;
  if (xres <= 0 || yres <= 0) return;  // no canvas to paint for
  if (resize_loaded_image(xres, yres) != 0) {
    printf("memory error (init img)\n");
    return;
  }
  const int left = (int)std::floor(2.0 * width / 3);
  float* p = img_content;
  for (int i = 0; i < height; i++) {
    double y = (height - 1 - i) * mb_zoom / width - mb_dy;
    for (int j = -left; j < width - left; j++, p += 4) {
      double x = j * mb_zoom / width - mb_dx, m;
      int k = escape(x, y, &m);
      colour(k, smooth(k, m), &p[0], &p[1], &p[2]);
      p[3] = 1;
    }
  }
  image_post(width, height, 1);
  upd_rgb(0);
}
