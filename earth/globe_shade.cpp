// The globe's colour model: a base colour from the height (the sea by depth, the land by height
// and latitude), the day texture's hue and saturation on land, the relief's slope and tilt, the
// Sun's light with a soft edge, the night side and its city lights, and the Moon's disc.
// Positions, heights and the normal are doubles; the colour terms are single precision.
#include "earth/globe_shade.h"

#include <cmath>

#include "earth/constants.h"
#include "earth/elevation.h"
#include "earth/globe.h"
#include "view/colour.h"

namespace {

void ellipsoid_terms(double phi, double* c, double* s, double* ra, double* rb) {
  *c = std::cos(phi);
  *s = std::sin(phi);
  double R = std::sqrt(WGS84_A2 * *c * *c + WGS84_B2 * *s * *s);
  *ra = WGS84_A2 / R;
  *rb = WGS84_B2 / R;
}

}  // namespace

void globe_row_at(double phi, globe_row* r) {
  r->phi = phi;
  ellipsoid_terms(phi, &r->cos_phi, &r->sin_phi, &r->ra, &r->rb);
  ellipsoid_terms(phi + GLOBE_DELTA, &r->cos_north, &r->sin_north, &r->ra_north, &r->rb_north);
  r->phi_deg = phi * 180 / PI_8;
  // The Arctic sea pales towards the pole.
  float d = (float)(GLOBE_HALF_PI - phi);
  r->arctic = phi > 0 ? 1.0f - 0.9f * std::exp(-9.0f * d * d) : 1.0f;
  r->phi2 = (float)(phi * phi);
}

void globe_column_at(double lambda, globe_column* c) {
  c->lambda = lambda;
  c->cos_lambda = std::cos(lambda);
  c->sin_lambda = std::sin(lambda);
  c->cos_east = std::cos(lambda + GLOBE_DELTA);
  c->sin_east = std::sin(lambda + GLOBE_DELTA);
  c->lambda_deg = lambda * 180 / PI_8;
}

void globe_base_hsv(const globe_row& r, double h0, float* hue, float* sat, float* val) {
  const float J = (float)(h0 * 1e-4);
  if (h0 <= 0) {
    *hue = 0.5834f - 0.07f * J;
    *sat = (0.9f - 0.09f * J) * r.arctic;
    *val = 0.4f * std::exp(-0.5f * J);
  } else {
    float root = std::sqrt(J);
    *hue = 0.41f - 0.25f * root;
    *sat = 0.65f * std::exp(-0.5f * r.phi2 - 4.0f * J * J);
    *val = 0.65f * root + 0.3f;
  }
}

void globe_hsv2rgb(float h, float s, float v, float* r, float* g, float* b) {
  if (s == 0.0f) {
    *r = *g = *b = v;
    return;
  }
  float k = 6.0f * h;
  if (k > 5.99f) {
    *r = v, *g = v * (1.0f - s), *b = v * (1.0f - 0.99f * s);
    return;
  }
  if (k < 0.0f) {
    *r = v, *g = *b = v * (1.0f - s);
    return;
  }
  int i = (int)k;
  float f = k - (float)i;
  float p = v * (1.0f - s), q = v * (1.0f - s * f), t = v * (1.0f - s * (1.0f - f));
  switch (i) {
    case 0: *r = v, *g = t, *b = p; break;
    case 1: *r = q, *g = v, *b = p; break;
    case 2: *r = p, *g = v, *b = t; break;
    case 3: *r = p, *g = q, *b = v; break;
    case 4: *r = t, *g = p, *b = v; break;
    default: *r = v, *g = p, *b = q; break;
  }
}

namespace {

// The pixel at row r and column c from its height h0 and the heights hE, hN one step east and
// north.
inline void shade(const globe_row& r, const globe_column& c, double h0, double hE, double hN,
                  float* out) {
  const double lambda = c.lambda, phi = r.phi;

  // The three points on the ellipsoid raised by their heights; the sea is flat.
  double s0 = h0 > 0 ? h0 : 0, sE = hE > 0 ? hE : 0, sN = hN > 0 ? hN : 0;
  double p0x = (r.ra + s0) * r.cos_phi * c.cos_lambda, p0y = (r.ra + s0) * r.cos_phi * c.sin_lambda,
         p0z = (r.rb + s0) * r.sin_phi;
  double ex = (r.ra + sE) * r.cos_phi * c.cos_east - p0x,
         ey = (r.ra + sE) * r.cos_phi * c.sin_east - p0y, ez = (r.rb + sE) * r.sin_phi - p0z;
  double nx = (r.ra_north + sN) * r.cos_north * c.cos_lambda - p0x,
         ny = (r.ra_north + sN) * r.cos_north * c.sin_lambda - p0y,
         nz = (r.rb_north + sN) * r.sin_north - p0z;
  double Nx = ey * nz - ez * ny, Ny = ez * nx - ex * nz, Nz = ex * ny - ey * nx;
  double NN = Nx * Nx + Ny * Ny + Nz * Nz;
  double ux = r.cos_phi * c.cos_lambda, uy = r.cos_phi * c.sin_lambda, uz = r.sin_phi;

  // The softer of the level ground's and the slope's illumination, rising smoothly from 0 at
  // the terminator. Without a Sun (no solar data for the moment) everything is night. I / G is
  // the smaller of S.u and S.N / G; on the night side, where either is negative, the length G
  // of the normal is not needed for the light.
  float light = 0.0f;
  double inv_G = 0;
  bool have_inv_G = false;
  if (globe_sun_known && NN > 0) {
    double Sx = SOLY, Sy = -SOLX, Sz = -SOLZ;
    double level = Sx * ux + Sy * uy + Sz * uz, SN = Sx * Nx + Sy * Ny + Sz * Nz;
    if (level >= 0 && SN >= 0) {
      inv_G = 1 / std::sqrt(NN);
      have_inv_G = true;
      double slope = SN * inv_G;
      float q = (float)(13 * (level < slope ? level : slope));
      light = (0.596227f * q + q * q) / (1.0f + 1.192454f * q + q * q);
    }
  }

  float hue, sat, val;
  globe_base_hsv(r, h0, &hue, &sat, &val);

  if (h0 >= 2) {
    float tr, tg, tb, tv;
    globe_rgb_pape(lambda, phi, &tr, &tg, &tb);
    rgb2hsv(tr, tg, tb, &hue, &sat, &tv);
    float Q, unused1, unused2;
    night_function(lambda, phi, &Q, &unused1, &unused2);
    if (Q > 0.65f) {
      if (light < 0.15f) light += 0.7f * (Q - 0.65f);
      sat *= std::exp(-0.125f * (Q - 0.65f));
    }
  }

  if (h0 > 20) {
    double d = std::sqrt((hE - h0) * (hE - h0) + (hN - h0) * (hN - h0));
    sat *= std::exp((float)(-d * (1 / 20.9439510239316)));
  }

  float V = (light * v_contrast + v_night) * v_night * val;

  if (h0 > 1) {
    if (!have_inv_G && NN > 0) inv_G = 1 / std::sqrt(NN);
    float t = NN > 0 ? (float)((Nx * ux + Ny * uy + Nz * uz) * inv_G) : 1.0f;
    t = t < 0.6f ? 0.6f : t > 1.0f ? 1.0f : t;
    sat *= std::exp(-0.4f * t);
    V *= 0.6f * t + 0.4f;
  }

  if (globe_moon_view) {
    double dl = c.lambda_deg - moon_azimuth, dp = r.phi_deg - moon_altitude;
    while (dl > 300) dl -= 360;
    while (dl < -300) dl += 360;
    if (std::sqrt(dl * dl + dp * dp) < 1.3416407864998738) {
      out[0] = out[1] = out[2] = 0.8f;
      out[3] = 1.0f;
      return;
    }
  }

  globe_hsv2rgb(hue, sat, V, &out[0], &out[1], &out[2]);
  out[3] = 1.0f;
}

}  // namespace

void globe_paint_row(const globe_row& r, const globe_column* c, int n, float* out) {
  // The heights of a run of pixels first, then their colours: the look-ups and the arithmetic
  // each run on their own, without waiting on each other.
  const int kRun = 64;
  double h[3 * kRun];
  for (int x0 = 0; x0 < n; x0 += kRun) {
    int m = n - x0 < kRun ? n - x0 : kRun;
    double lon[kRun];
    for (int k = 0; k < m; k++) lon[k] = c[x0 + k].lambda;
    geographic2altitude3_row(lon, m, r.phi, GLOBE_DELTA, h);
    for (int k = 0; k < m; k++)
      shade(r, c[x0 + k], h[3 * k], h[3 * k + 1], h[3 * k + 2], out + 4 * (x0 + k));
  }
}
