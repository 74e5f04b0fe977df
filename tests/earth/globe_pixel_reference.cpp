#include "globe_pixel_reference.h"

#include <cmath>

#include "earth/elevation.h"
#include "earth/globe.h"
#include "view/canvas.h"
#include "view/colour.h"
#include "view/screen.h"

namespace {

struct vec {
  double x, y, z;
};
vec sub(vec a, vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
vec cross(vec a, vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(vec a, vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

vec surface(double lambda, double phi, double h) {
  const double a2 = 40680631590769.0, b2 = 40408299981544.36;
  if (h < 0) h = 0;
  double R = std::sqrt(a2 * std::cos(phi) * std::cos(phi) + b2 * std::sin(phi) * std::sin(phi));
  return {(a2 / R + h) * std::cos(phi) * std::cos(lambda),
          (a2 / R + h) * std::cos(phi) * std::sin(lambda), (b2 / R + h) * std::sin(phi)};
}

}  // namespace

void globe_pixel_reference(int x, int y, float* out) {
  const double pi = 3.141592653589793;
  double s = 0.35 * globe_zoom * 0.017453292519943;
  double phi = look_at_breite - (y - yres * 0.5) * s - globe_dy;
  while (phi > 1.570796326794897) phi -= pi;
  while (phi < -1.570796326794897) phi += pi;
  double lambda = (x - xres * 0.5) * s + look_at_laenge - globe_dx;
  while (lambda > 2 * pi) lambda -= 2 * pi;
  while (lambda < 0) lambda += 2 * pi;

  const double delta = 5.2359877559829e-5;
  double h0 = geographic2altitude(lambda, phi);
  double hE = geographic2altitude(lambda + delta, phi);
  double hN = geographic2altitude(lambda, phi + delta);
  vec P0 = surface(lambda, phi, h0), PE = surface(lambda + delta, phi, hE),
      PN = surface(lambda, phi + delta, hN);
  vec N = cross(sub(PE, P0), sub(PN, P0));
  double G = std::sqrt(dot(N, N));
  vec u = {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
  vec S = {SOLY, -SOLX, -SOLZ};

  float light = 0;
  double I = std::fmin(dot(S, u) * G, dot(S, N));
  if (globe_sun_known && I >= 0) {
    float q = (float)(13 * I / G);
    light = (0.596227f * q + q * q) / (1 + 1.192454f * q + q * q);
  }

  float hue, sat, val;
  float J = (float)(h0 / 10000);
  if (h0 <= 0) {
    hue = 0.5834f - 0.07f * J;
    sat = 0.9f - 0.09f * J;
    if (phi > 0) sat *= (float)(1 - 0.9 * std::exp(-9 * (pi / 2 - phi) * (pi / 2 - phi)));
    val = (float)(0.4 * std::exp(-0.5 * J));
  } else {
    hue = (float)(0.41 - 0.25 * std::sqrt(J));
    sat = (float)(0.65 * std::exp(-0.5 * phi * phi - 4.0 * J * J));
    val = (float)(0.65 * std::sqrt(J) + 0.3);
  }
  if (h0 >= 2) {
    float r, g, b, v;
    globe_rgb_pape(lambda, phi, &r, &g, &b);
    rgb2hsv(r, g, b, &hue, &sat, &v);
    float Q, q2, q3;
    night_function(lambda, phi, &Q, &q2, &q3);
    if (Q > 0.65f) {
      if (light < 0.15f) light += 0.7f * (Q - 0.65f);
      sat *= (float)std::exp(-0.125 * (Q - 0.65f));
    }
  }
  if (h0 > 20) {
    double d = std::sqrt((hE - h0) * (hE - h0) + (hN - h0) * (hN - h0));
    sat *= (float)std::exp(-d / (delta * 400000));
  }
  float V = (light * v_contrast + v_night) * v_night * val;
  if (h0 > 1) {
    double t = dot(N, u) / G;
    t = t < 0.6 ? 0.6 : t > 1 ? 1 : t;
    sat *= (float)std::exp(-0.4 * t);
    V *= (float)(0.6 * t + 0.4);
  }
  if (get_view_val() == 1) {
    double dl = lambda * 180 / 3.14159265 - moon_azimuth,
           dp = phi * 180 / 3.14159265 - moon_altitude;
    while (dl > 300) dl -= 360;
    while (dl < -300) dl += 360;
    if (std::sqrt(dl * dl + dp * dp) < 1.3416407864998738) {
      out[0] = out[1] = out[2] = 0.8f;
      out[3] = 1;
      return;
    }
  }
  // HSV to RGB, single precision.
  float r, g, b;
  if (sat == 0) {
    r = g = b = V;
  } else {
    float k = 6 * hue;
    if (k > 5.99f) {
      r = V, g = V * (1 - sat), b = V * (1 - 0.99f * sat);
    } else if (k < 0) {
      r = V, g = b = V * (1 - sat);
    } else {
      int i = (int)k;
      float f = k - i, p = V * (1 - sat), q = V * (1 - sat * f), t = V * (1 - sat * (1 - f));
      const float table[6][3] = {{V, t, p}, {q, V, p}, {p, V, t}, {p, q, V}, {t, p, V}, {V, p, q}};
      r = table[i][0], g = table[i][1], b = table[i][2];
    }
  }
  out[0] = r, out[1] = g, out[2] = b, out[3] = 1;
}
