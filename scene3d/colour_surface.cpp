#include "scene3d/colour_surface.h"

#include <cmath>
#include <cstdlib>

#include "scene3d/colour_map.h"
#include "scene3d/grid.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"
#include "view/colour.h"

namespace scene3d {

double h_min = 0, h_max = 0, a_min = 0, a_max = 0, k_min = 0, k_max = 0, t_min = 0, t_max = 0;

namespace {

// The value beyond f1 of a row f1, f2, f3, f4 at equal steps (exact for cubics).
double extrapolate(double f1, double f2, double f3, double f4) {
  double d2 = f1 - 2 * f2 + f3;
  double d3 = d2 - (f2 - 2 * f3 + f4);
  return (2 * f1 - f2) + (d2 + d3) + d3 / 6;
}

void set_entry(int e, int r, int g, int b) {
  int k = 3 * (startCharge + e);
  CMap[k] = (uint8_t)r, CMap[k + 1] = (uint8_t)g, CMap[k + 2] = (uint8_t)b;
}

// The terrain palette: ramp entry and RGB.
const int kPalette[12][4] = {{0, 200, 200, 200}, {1, 150, 150, 150},   {2, 120, 150, 120},
                             {247, 12, 152, 32}, {248, 15, 155, 35},   {249, 50, 190, 70},
                             {250, 40, 180, 60}, {251, 30, 170, 50},   {252, 20, 160, 40},
                             {253, 10, 150, 30}, {254, 100, 100, 100}, {255, 20, 30, 130}};

// Ramp entry of a terrain node by slope s (degrees), height z and curvatures H, K; sets the
// node's charge value where the height rule names one.
int terrain_entry(int node, float s, double z, double H, double K) {
  double c = H * H - K;
  if (s < 0.7f && (c < 0 || 2 * std::sqrt(c) < 0.15)) return 255;
  if (s > 27) return 1;
  if (s > 20) return 2;
  if (z > 3500) {
    set_charge(node, 30);
    return 0;
  }
  if (z > 1500) {
    set_charge(node, 17);
    return (int)((1 - 17.0 / 30) * 255);
  }
  if (z > 600) return 249;
  if (z > 500) return 250;
  if (z > 400) return 251;
  if (z > 300) return 252;
  if (z > 200) return 248;
  if (z > 100) return 247;
  if (z < 2) return 254;
  return 253;
}

// Ramp entry of value V from the range lo..hi: t = 1 - (V clamped - lo) / (hi - lo).
int ramp_entry(double V, double lo, double hi, double floor_v) {
  double t = 1 - (std::fmin(hi, std::fmax(floor_v, V)) - lo) / (hi - lo);
  return t > 1 ? 255 : t < 0 ? 0 : (int)(t * 255);
}

}  // namespace

int calc_ap_col(int type) {
  const int nx = zmat_nx, ny = zmat_ny;
  if (nx < 4 || ny < 4 || (int64_t)nx * ny > n_atoms || !CMap) return 1;
  const int64_t n = (int64_t)nx * ny;
  const int64_t W = nx + 2;
  const double hx = zmat_delta, hy = grid_delta_y();
  if (!(hx != 0) || !(hy != 0)) return 1;
  const bool terrain = isHgt != 0;

  double* M = (double*)scene_calloc((uint64_t)W * (ny + 2), sizeof(double));
  if (!M) return 1;
  auto m = [&](int64_t r, int64_t c) -> double& { return M[r * W + c]; };
  for (int i = 0; i < ny; i++)
    for (int j = 0; j < nx; j++) m(i + 1, j + 1) = at_r[(int64_t)i * nx + j].z;
  for (int c = 1; c <= nx; c++) {
    m(0, c) = extrapolate(m(1, c), m(2, c), m(3, c), m(4, c));
    m(ny + 1, c) = extrapolate(m(ny, c), m(ny - 1, c), m(ny - 2, c), m(ny - 3, c));
  }
  for (int r = 0; r <= ny + 1; r++) {
    m(r, 0) = extrapolate(m(r, 1), m(r, 2), m(r, 3), m(r, 4));
    m(r, nx + 1) = extrapolate(m(r, nx), m(r, nx - 1), m(r, nx - 2), m(r, nx - 3));
  }
  m(0, 0) = extrapolate(m(1, 1), m(2, 2), m(3, 3), m(4, 4));
  m(0, nx + 1) = extrapolate(m(1, nx), m(2, nx - 1), m(3, nx - 2), m(4, nx - 3));
  m(ny + 1, 0) = extrapolate(m(ny, 1), m(ny - 1, 2), m(ny - 2, 3), m(ny - 3, 4));
  m(ny + 1, nx + 1) =
      extrapolate(m(ny, nx), m(ny - 1, nx - 1), m(ny - 2, nx - 2), m(ny - 3, nx - 3));

  double* HK = (double*)scene_malloc((uint64_t)n * 2 * sizeof(double));
  if (!HK) {
    free(M);
    return 1;
  }
  double* H = HK;
  double* K = HK + n;
  float* slope = (float*)scene_malloc((uint64_t)n * (type == 7 ? 2 : 1) * sizeof(float));
  if (!slope) {
    free(HK);
    free(M);
    update_cmap_f();
    return 1;
  }
  float* aspect = type == 7 ? slope + n : nullptr;

  const bool refine = nx <= 1500 || ny <= 1500;
  const double hxx = hx * hx, hyy = hy * hy, hxy = hx * hy;
  for (int i = 0; i < ny; i++) {
    const bool in_y = i > 0 && i < ny - 1;
    for (int j = 0; j < nx; j++) {
      const bool in_x = j > 0 && j < nx - 1;
      const double c0 = m(i + 1, j + 1);
      double Ux = m(i + 1, j + 2) - m(i + 1, j);
      double Uy = m(i + 2, j + 1) - m(i, j + 1);
      double zxx = (m(i + 1, j) - 2 * c0 + m(i + 1, j + 2)) / hxx;
      double zyy = (m(i, j + 1) - 2 * c0 + m(i + 2, j + 1)) / hyy;
      double zxy = (m(i + 2, j + 2) - m(i, j + 2) - m(i + 2, j) + m(i, j)) * 0.25 / hxy;
      if (refine && in_x) {
        Ux = (4 * Ux - 0.5 * (m(i + 1, j + 3) - m(i + 1, j - 1))) / 3;
        zxx = (4 * zxx - (m(i + 1, j - 1) - 2 * c0 + m(i + 1, j + 3)) * 0.25 / hxx) / 3;
      }
      if (refine && in_y) {
        Uy = (4 * Uy - 0.5 * (m(i + 3, j + 1) - m(i - 1, j + 1))) / 3;
        zyy = (4 * zyy - (m(i - 1, j + 1) - 2 * c0 + m(i + 3, j + 1)) * 0.25 / hyy) / 3;
      }
      if (refine && in_x && in_y)
        zxy = (4 * zxy - (m(i + 3, j + 3) - m(i - 1, j + 3) - m(i + 3, j - 1) + m(i - 1, j - 1)) *
                             0.25 * 0.25 / hxy) /
              3;
      const double p = Ux * 0.5 / hx, q = Uy * 0.5 / hy, w = 1 + p * p + q * q;
      const int64_t k = (int64_t)i * nx + j;
      H[k] = ((1 + q * q) * zxx - 2 * p * q * zxy + (1 + p * p) * zyy) * 0.5 / (w * std::sqrt(w)) *
             1000;
      K[k] = (zxx * zyy - zxy * zxy) / w / w * 1000000;
      slope[k] = (float)(std::acos(1 / std::sqrt(w)) * 180 / 3.14159265);
      if (aspect) {
        double a = 0;
        if (p * p + q * q >= 0.000001) {
          a = std::atan2(p, -q) * 180 / 3.14159265;
          if (a < 0) a += 360;
          if (a >= 360) a -= 360;
        }
        aspect[k] = (float)a;
      }
    }
  }
  auto astig = [&](int64_t k) { return 2 * std::sqrt(std::fmax(0.0, H[k] * H[k] - K[k])); };

  const int64_t centre = (int64_t)(ny / 2) * nx + nx / 2;
  h_min = h_max = H[centre];
  a_min = a_max = astig(centre);
  k_min = k_max = K[centre];
  t_min = t_max = slope[centre];
  if (ny > 4 && nx > 4) {
    const int64_t disc = (int64_t)nx * ny / 6;
    for (int i = 2; i < ny - 2; i++)
      for (int j = 2; j < nx - 2; j++) {
        int64_t di = i - ny / 2, dj = j - nx / 2;
        if (di * di + dj * dj > disc) continue;
        int64_t k = (int64_t)i * nx + j;
        double A = astig(k);
        h_min = std::fmin(h_min, H[k]), h_max = std::fmax(h_max, H[k]);
        a_min = std::fmin(a_min, A), a_max = std::fmax(a_max, A);
        k_min = std::fmin(k_min, K[k]), k_max = std::fmax(k_max, K[k]);
        t_min = std::fmin(t_min, (double)slope[k]), t_max = std::fmax(t_max, (double)slope[k]);
      }
  }
  a_min = 0;
  t_min = 0;
  if (h_max - h_min < 0.1) h_max += 0.05, h_min -= 0.05;
  if (k_max - k_min < 0.1) k_max += 0.05, k_min -= 0.05;
  if (a_max < 0.1) a_max = 0.1;
  if (terrain) {
    h_max = std::fmin(h_max, 1.0);
    h_min = std::fmax(h_min, -1.0);
    a_max = std::fmin(a_max, 1.0);
    t_max = 30;
  }

  for (int k = 0; k < 256; k++) {
    double d = type == 7 ? 360.0 * k / 256 : 0.9 * k;
    float r, g, b;
    hsv2rgb(d / 360, 0.85, 0.7, &r, &g, &b);
    set_entry(k, (int)(r * 255), (int)(g * 255), (int)(b * 255));
  }
  const bool palette = type == 6 && terrain;
  if (palette)
    for (const auto& p : kPalette) set_entry(p[0], p[1], p[2], p[3]);

  for (int64_t node = 0; node < n; node++) {
    int e;
    if (palette) {
      e = terrain_entry((int)node, slope[node], m(node / nx + 1, node % nx + 1), H[node], K[node]);
    } else {
      double V;
      switch (type) {
        case 1:
          V = H[node];
          e = ramp_entry(V, h_min, h_max, h_min);
          break;
        case 2:
          V = astig(node);
          e = ramp_entry(V, a_min, a_max, a_min);
          break;
        case 4:
          V = K[node];
          e = ramp_entry(V, k_min, k_max, k_min);
          break;
        case 5:
          V = slope[node];
          e = ramp_entry(V, t_min, t_max, 0);
          break;
        case 7: {
          V = aspect[node];
          double t = V / 360;
          e = t > 1 ? 255 : t < 0 ? 0 : (int)(t * 255);
          break;
        }
        default: {
          V = H[node] + astig(node) / 2;
          double lo = h_min + a_min / 2, hi = h_max + a_max / 2;
          e = ramp_entry(V, lo, hi, lo);
          break;
        }
      }
      set_charge((int)node, (float)V);
    }
    at[node].col = (uint16_t)(at_el[node] < 0 ? startSpec : startCharge + e);
  }
  free(slope);
  free(HK);
  if (palette) t_min = 0, t_max = 30;
  update_cmap_f();
  free(M);
  return 0;
}

void Color_POW() {
  if (isXYZ2d > 1) calc_ap_col(1);
}
void Color_AST() {
  if (isXYZ2d > 1) calc_ap_col(2);
}
void Color_GAUSS() {
  if (isXYZ2d > 1) calc_ap_col(4);
}
void Color_THETA() {
  if (isXYZ2d > 1) calc_ap_col(5);
}
void Color_CURVMAX() {
  if (isXYZ2d > 1) calc_ap_col(6);
}
void Color_PHI() {
  if (isXYZ2d > 1) calc_ap_col(7);
}

}  // namespace scene3d
