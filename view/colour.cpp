#include "view/colour.h"

#include <cmath>

#include "view/clamp.h"

int rgb_mode = 0;

void hsv2rgb(double h, double s, double v, float* r, float* g, float* b) {
  if (std::isnan(h)) return;
  if (s == 0.0) {
    *r = *g = *b = (float)v;
    return;
  }
  double H = 6.0 * h;
  if (H > 5.999) {
    // The top of the wheel stays in the last sextant rather than wrapping to pure red.
    *r = (float)v;
    *g = (float)(v * (1.0 - s));
    *b = (float)(v * (1.0 - (double)0.999f * s));
    return;
  }
  if (H < 0.0) {
    *r = (float)v;
    *g = *b = (float)(v * (1.0 - s));
    return;
  }
  int i = (int)H;
  double f = H - i;
  double p = v * (1.0 - s), q = v * (1.0 - s * f), t = v * (1.0 - s * (1.0 - f));
  double R, G, B;
  switch (i) {
    case 0: R = v, G = t, B = p; break;
    case 1: R = q, G = v, B = p; break;
    case 2: R = p, G = v, B = t; break;
    case 3: R = p, G = q, B = v; break;
    case 4: R = t, G = p, B = v; break;
    default: R = v, G = p, B = q; break;
  }
  *r = (float)R;
  *g = (float)G;
  *b = (float)B;
}

void rgb2hsv(float r, float g, float b, float* h, float* s, float* v) {
  float mx = r, mn = r;
  if (g > mx) mx = g;
  if (b > mx) mx = b;
  if (g < mn) mn = g;
  if (b < mn) mn = b;
  *v = mx;
  if (mx <= 0.0f) {
    *s = 0;
    *h = 0;
    return;
  }
  *s = (float)(((double)mx - mn) / mx);
  float d = mx - mn;
  if (d == 0.0f) {
    *s = 0;
    *h = 0;
    return;
  }
  float h6;
  if (r >= mx)
    h6 = (float)((double)(g - b) / d);
  else if (g >= mx)
    h6 = (float)((double)(b - r) / d + 2.0);
  else
    h6 = (float)((double)(r - g) / d + 4.0);
  float hh = h6 / 6.0f;
  if (hh < 0.0f) hh += 1.0f;
  *h = hh;
}

namespace {

// Display tables. The cinema display is one tone curve per channel; the wide-gamut table is the
// conversion of sRGB into the Adobe 1998 primaries with their 2.2 gamma.
struct Luts {
  float cinema[9 * 9 * 9 * 3];
  float adobe[9 * 9 * 9 * 3];
  Luts() {
    static const double curve[9] = {0, 0.0645, 0.1887, 0.3179, 0.4502, 0.5849, 0.7216, 0.8601, 1.0};
    // linear sRGB -> linear Adobe RGB (1998), both D65
    static const double M[3][3] = {{0.715146, 0.284856, 0.000000},
                                   {0.000000, 1.000000, 0.000000},
                                   {0.000000, 0.041166, 0.958835}};
    for (int k = 0; k < 9; k++)
      for (int j = 0; j < 9; j++)
        for (int i = 0; i < 9; i++) {
          int at = ((k * 9 + j) * 9 + i) * 3;
          cinema[at] = (float)curve[i];
          cinema[at + 1] = (float)curve[j];
          cinema[at + 2] = (float)curve[k];
          double in[3] = {i / 8.0, j / 8.0, k / 8.0}, lin[3];
          for (int c = 0; c < 3; c++)
            lin[c] = in[c] <= 0.04045 ? in[c] / 12.92 : std::pow((in[c] + 0.055) / 1.055, 2.4);
          for (int c = 0; c < 3; c++) {
            double a = M[c][0] * lin[0] + M[c][1] * lin[1] + M[c][2] * lin[2];
            if (a < 0) a = 0;
            adobe[at + c] = (float)std::pow(a, 1.0 / 2.19921875);
          }
        }
  }
};

const Luts& luts() {
  static const Luts l;
  return l;
}

void lut_lookup(const float* lut, float r, float g, float b, const float gamma[3], float* out) {
  float in[3] = {clamp01(r), clamp01(g), clamp01(b)};
  int n[3];
  float w[3];
  for (int c = 0; c < 3; c++) {
    int cell = (int)(8.0f * in[c]);
    if (cell > 7) cell = 7;
    if (cell < 0) cell = 0;
    n[c] = cell;
    float f = 8.0f * in[c] - (float)cell;
    w[c] = (float)std::pow((double)f, (double)gamma[c]);
  }
  auto node = [&](int di, int dj, int dk, int ch) {
    return lut[(((n[2] + dk) * 9 + (n[1] + dj)) * 9 + (n[0] + di)) * 3 + ch];
  };
  for (int ch = 0; ch < 3; ch++) {
    // along blue, then green, then red
    float c00 = node(0, 0, 0, ch) * (1 - w[2]) + node(0, 0, 1, ch) * w[2];
    float c01 = node(0, 1, 0, ch) * (1 - w[2]) + node(0, 1, 1, ch) * w[2];
    float c10 = node(1, 0, 0, ch) * (1 - w[2]) + node(1, 0, 1, ch) * w[2];
    float c11 = node(1, 1, 0, ch) * (1 - w[2]) + node(1, 1, 1, ch) * w[2];
    float c0 = c00 * (1 - w[1]) + c01 * w[1];
    float c1 = c10 * (1 - w[1]) + c11 * w[1];
    out[ch] = c0 * (1 - w[0]) + c1 * w[0];
  }
}

}  // namespace

const float* const cinema_lut = luts().cinema;
const float* const adobe_lut = luts().adobe;

void srgb2cinema(float r, float g, float b, float* out) {
  static const float gamma[3] = {1.02f, 1.02f, 1.02f};
  float o[3];
  lut_lookup(luts().cinema, r, g, b, gamma, o);
  for (int c = 0; c < 3; c++) out[c] = clamp01(o[c]);
}

void srgb2adobe(float r, float g, float b, float* out) {
  static const float gamma[3] = {1.03f, 1.01f, 1.02f};
  float o[3];
  lut_lookup(luts().adobe, r, g, b, gamma, o);
  // lift the dark end of each channel
  o[0] = (float)(o[0] * (1.0 + (double)0.38f * std::exp((double)(-211.0f * (o[0] * o[0])))));
  o[1] = (float)(o[1] * (1.0 + (double)0.71f * std::exp((double)(-181.0f * (o[1] * o[1])))));
  o[2] = (float)(o[2] * (1.0 + (double)0.48f * std::exp((double)(-363.0f * (o[2] * o[2])))));
  for (int c = 0; c < 3; c++) out[c] = clamp01(o[c]);
}

void srgb2apple(float r, float g, float b, float* ro, float* go, float* bo) {
  float R = (float)std::pow((double)r, 1.19), G = (float)std::pow((double)g, 1.22),
        B = (float)std::pow((double)b, 1.19);
  *ro = (float)(0.88 * R + 0.11 * G + 0.01);
  float gg = G;
  *bo = (float)(0.98 * B);
  if (gg > 0) gg = (float)std::pow((double)gg, 1.04);
  *go = gg;
}
