#include "support/compose_reference.h"

#include <cmath>

#include "view/colour.h"
#include "view/zoom.h"

namespace {

const float* I;
int IW, IH;

float px(int i, int j, int ch) { return I[4 * ((long)j * IW + i) + ch]; }

float ref_get_img(float x, float y, int ch) {
  int i = (int)x, j = (int)y;
  float fx, fy;
  if (i >= IW) {
    i = IW - 1;
    fx = 0;
  } else {
    fx = x - i;
  }
  if (j >= IH) {
    j = IH - 1;
    fy = 0;
  } else {
    fy = y - j;
  }
  float tl = px(i, j, ch);
  float tr = i + 1 < IW ? px(i + 1, j, ch) : tl;
  float bl = j + 1 < IH ? px(i, j + 1, ch) : tl;
  float br = i + 1 < IW && j + 1 < IH ? px(i + 1, j + 1, ch) : tl;
  return (tl * (1 - fx) + tr * fx) * (1 - fy) + (bl * (1 - fx) + br * fx) * fy;
}

int gcd(int a, int b) { return b ? gcd(b, a % b) : a; }

}  // namespace

void reference_compose(int step, int sx, int sy, const float* img, int w, int h, float* canvas,
                       int W, int H, int mode) {
  I = img, IW = w, IH = h;
  int num = zooms[step].num, den = zooms[step].den, code = zooms[step].code;
  int g = gcd(num, den), r = den / g, m = num / g;
  bool replicate = code == 14 || code == 58;
  float inv_m = 1.0f / m;
  int x0, y0;
  if (replicate) {
    x0 = (W - m * w) / 2, y0 = (H - m * h) / 2;
  } else if (r == 1 && m == 1) {
    x0 = (W - w) / 2, y0 = (H - h) / 2;
  } else if (m == 1) {
    x0 = (W - w / r) / 2, y0 = (H - h / r) / 2;
  } else if (r == 1) {
    x0 = (W - m * w) / 2, y0 = (H - m * h) / 2;
  } else {
    x0 = (W - ((w - 1) * m) / r) / 2, y0 = (H - ((h - 1) * m) / r) / 2;
  }
  for (int y = 0; y < H; y++) {
    float b = (1.0f - (float)y / (float)H) * 0.1f;
    float bg[3] = {0.4f + b, 0.45f + b, 0.5f + b};
    for (int x = 0; x < W; x++) {
      float* o = canvas + 4 * ((long)y * W + x);
      int u = x - x0 - sx, v = y - y0 - sy;
      float c[3], a;
      bool inside;
      if (replicate) {
        inside = u >= 0 && v >= 0 && u < m * w - 2 && v < m * h - 2;
        if (inside) {
          for (int k = 0; k < 3; k++) c[k] = px(u / m, v / m, k);
          a = px(u / m, v / m, 3);
        }
      } else if (r == 1 && m == 1) {
        inside = u >= 0 && v >= 0 && u < w && v < h;
        if (inside) {
          a = px(u, v, 3);
          for (int k = 0; k < 3; k++) {
            float p = px(u, v, k);
            c[k] = p < 0 ? 0 : p > 1 ? 1 : p;
            if (a < 0.99) c[k] = c[k] * a + bg[k] * (1 - a);
            o[k] = c[k];
          }
          continue;
        }
      } else if (m == 1) {
        inside = u >= 0 && v >= 0 && r * (u + 1) < w && r * (v + 1) < h;
        if (inside) {
          float s[4] = {0, 0, 0, 0};
          for (int j = 0; j < r; j++)
            for (int i = 0; i < r; i++)
              for (int k = 0; k < 4; k++) {
                float p = px(r * u + i, r * v + j, k);
                s[k] += k < 3 ? p * p : p;
              }
          float inv = 1.0f / (r * r);
          for (int k = 0; k < 3; k++) c[k] = s[k] > 0 ? (float)sqrt((double)(s[k] * inv)) : 0;
          a = s[3] > 0 ? s[3] * inv : 0;
        }
      } else if (r == 1) {
        inside = u >= 0 && v >= 0 && u < m * w - 2 && v < m * h - 2;
        if (inside) {
          for (int k = 0; k < 3; k++) c[k] = ref_get_img(u * inv_m, v * inv_m, k);
          a = ref_get_img(u * inv_m, v * inv_m, 3);
        }
      } else {
        inside = u >= 0 && v >= 0 && u < (m * w) / r && v < (m * h) / r;
        if (inside && m > r) {
          for (int k = 0; k < 3; k++) c[k] = ref_get_img((u * r) * inv_m, (v * r) * inv_m, k);
          a = ref_get_img((u * r) * inv_m, (v * r) * inv_m, 3);
        } else if (inside) {
          float cx = (u * r) * inv_m, cy = (v * r) * inv_m;
          float d = (float)(0.4 * r * inv_m);
          float tx[5] = {cx + d, cx + d, cx, cx - d, cx - d};
          float ty[5] = {cy - d, cy + d, cy, cy - d, cy + d};
          float s[3] = {0, 0, 0}, sa = 0;
          for (int t = 0; t < 5; t++) {
            float X = tx[t] < 0 ? 0 : tx[t], Y = ty[t] < 0 ? 0 : ty[t];
            for (int k = 0; k < 3; k++) {
              float q = ref_get_img(X, Y, k);
              s[k] += q * q;
            }
            sa += ref_get_img(X, Y, 3);
          }
          for (int k = 0; k < 3; k++) c[k] = (float)sqrt(0.2 * s[k]);
          a = (float)(0.2 * sa);
        }
      }
      if (!inside) {
        for (int k = 0; k < 3; k++) o[k] = bg[k];
        continue;
      }
      o[3] = a;
      for (int k = 0; k < 3; k++) o[k] = a < 0.99 ? (float)(c[k] * (double)a + bg[k] * (1.0 - a)) : c[k];
    }
    for (int x = 0; x < W; x++) {
      float* o = canvas + 4 * ((long)y * W + x);
      if (mode == 5)
        for (int k = 0; k < 3; k++) o[k] = (float)pow((double)o[k], 1.467);
      else if (mode == 11)
        srgb2cinema(o[0], o[1], o[2], o);
      else if (mode == 1)
        srgb2adobe(o[0], o[1], o[2], o);
    }
  }
}
