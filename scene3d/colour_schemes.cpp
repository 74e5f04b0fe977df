#include "scene3d/colour_schemes.h"

#include <cmath>

#include "scene3d/colour_map.h"
#include "scene3d/colour_surface.h"
#include "scene3d/elements.h"
#include "scene3d/grid.h"
#include "scene3d/scene.h"
#include "view/colour.h"

namespace scene3d {

int colSelection = 54;

namespace {

// Ramp entry e from a hue in degrees: each channel x 255, truncated.
void ramp(int e, double hue_deg, double s, double v) {
  float r, g, b;
  hsv2rgb(hue_deg / 360.0, s, v, &r, &g, &b);
  int k = 3 * (startCharge + e);
  CMap[k] = (uint8_t)(int)(r * 255);
  CMap[k + 1] = (uint8_t)(int)(g * 255);
  CMap[k + 2] = (uint8_t)(int)(b * 255);
}

void colour(int i, int entry) { at[i].col = (uint16_t)(at_el[i] < 0 ? startSpec : entry); }

int clamp_ramp(int k) { return k < 0 ? 0 : k > 255 ? 255 : k; }

}  // namespace

int get_shapely(int i) {
  if (!have_shapely || i < 0 || i >= alloc_shapely) return 30;
  return shapely[i] <= 30 ? shapely[i] : 30;
}

int get_amino(int i) { return amino_tab[get_shapely(i)]; }

void ColorUser() {
  for (int i = 0; i < n_atoms; i++) {
    int c = get_usercol(i);
    colour(i, c < CMapSize ? c : 0);
  }
  colSelection = 51;
  update_cmap_f();
}

void ColorGroup() {
  for (int i = 0; i < n_atoms; i++) colour(i, startGroup + get_group(i) % 256);
  colSelection = 52;
}

void ColorCharge() {
  for (int i = 0; i < 256; i++) {
    double d = (i - 128) * 0.1;
    double e = d < -0.05 ? d - 1.25 : d > 0.05 ? d + 1.9 : d;
    double s = d == 0 ? 0.05 : std::fmin(3.5 * std::sqrt(std::fabs(d)) + 0.05, 0.8);
    double val = d >= 0.3 ? 0.84 : d > -0.3 ? std::fmin(0.3 * d + 0.75, 0.95) : 0.66;
    ramp(i, 120 - 38 * e, s, val);
  }
  // Charges outside -12.8 .. 12.7 take the end entries of the ramp.
  for (int i = 0; i < n_atoms; i++) {
    float q = have_charges ? 10 * get_charge(i) : 0.0f;
    int k = q < -1000 ? 0 : q > 1000 ? 255 : clamp_ramp(128 + (int)q);
    colour(i, startCharge + k);
  }
  colSelection = 53;
  update_cmap_f();
}

void Color_z() {
  for (int i = 0; i < 256; i++) {
    double s = isHgt ? 200 * std::sqrt(i / 256.0) : isXYZ2d > 1 ? 200.0 * i / 256 : 360.0 * i / 256;
    ramp(255 - i, 180 - s, 0.8, 0.75);
  }
  if (n_atoms > 0) {
    double zmin = at_r[0].z, zmax = zmin;
    for (int i = 1; i < n_atoms; i++) {
      double z = at_r[i].z;
      if (z < zmin) zmin = z;
      if (z > zmax) zmax = z;
    }
    double f = isHgt ? 220 : 200;
    for (int i = 0; i < n_atoms; i++) {
      int k = zmin == zmax ? 0 : (int)((at_r[i].z - zmin) * f / (zmax - zmin));
      colour(i, startCharge + 255 - k);
    }
  }
  colSelection = 54;
  update_cmap_f();
}

void ColorAmino() {
  for (int i = 0; i < n_atoms; i++) colour(i, startAmino + get_amino(i));
  colSelection = 57;
  update_cmap_f();
}

void ColorTemp() {
  int n = n_atoms;
  if (n == 0) return;
  for (int i = 0; i < 256; i++)
    ramp(i, 220 + 0.55 * i, 0.3 + 0.3 * (i - 128) * (i - 128) / 16384.0, 0.25 + 0.0025 * i);
  int histogram[1000] = {};
  float tmin = get_temperature(0), tmax = tmin;
  for (int i = 0; i < n; i++) {
    float t = get_temperature(i);
    if (t < tmin) tmin = t;
    if (t > tmax) tmax = t;
    double b = std::trunc(std::fabs((double)t));
    histogram[b >= 1000 ? 999 : (int)b]++;
  }
  int m = 0;
  for (int running = 0; m < 1000; m++) {
    running += histogram[m];
    if (running >= n / 2) break;
  }
  for (int i = 0; i < n; i++) {
    float t = get_temperature(i);
    int k = 128;
    if (tmax > tmin) {
      if (tmin < m && m < tmax) {
        if (t < m) {
          float u = (t - tmin) / ((float)m - tmin);
          k = (int)(127 * u * u);
        } else {
          float u = (t - (float)m) / (tmax - (float)m);
          k = 127 + (int)(127 * std::sqrt(u));
        }
      } else {
        k = (int)(255 * (t - tmin) / (tmax - tmin));
      }
    }
    colour(i, startCharge + clamp_ramp(k));
  }
  colSelection = 58;
  update_cmap_f();
}

void ColorShapely() {
  for (int i = 0; i < n_atoms; i++) colour(i, startShapely + get_shapely(i));
  colSelection = 97;
  update_cmap_f();
}

void Color_bb() {
  for (int i = 0; i < n_atoms; i++) at[i].col = 12;
  for (int k = 0; k < have_backbone && k < alloc_backbone; k++)
    if (backbones[k] >= 0 && backbones[k] < n_atoms) at[backbones[k]].col = 10;
  for (int i = 0; i < n_atoms; i++)
    if (at_el[i] < 0) at[i].col = (uint16_t)startSpec;
  colSelection = 105;
  update_cmap_f();
}

void Color_Index() {
  for (int i = 0; i < 256; i++) ramp(i, 180 - 360.0 * i / 256, 0.7, 0.75);
  for (int i = 0; i < n_atoms; i++) colour(i, startCharge + (int)(256 * (int64_t)i / n_atoms));
  colSelection = 106;
  update_cmap_f();
}

void Color_Pos() {
  int n = n_atoms;
  if (n == 0) return;
  for (int i = 0; i < 256; i++) ramp(i, 220 + 360.0 * i / 256, 0.8, 0.5);
  double cx = 0, cy = 0, cz = 0;
  for (int i = 0; i < n; i++) cx += at_r[i].x, cy += at_r[i].y, cz += at_r[i].z;
  cx /= n, cy /= n, cz /= n;
  auto dist = [&](int i) {
    double dx = at_r[i].x - cx, dy = at_r[i].y - cy, dz = at_r[i].z - cz;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  };
  double R = 0;
  for (int i = 0; i < n; i++) R = std::fmax(R, dist(i));
  for (int i = 0; i < n; i++) {
    int k = 0;
    if (R > 0) {
      float u = (float)(1.5 * dist(i) / R);
      while (u > 1) u -= 1;
      k = (int)(255 * u);
    }
    colour(i, startCharge + clamp_ramp(k));
  }
  colSelection = 107;
  update_cmap_f();
}

void Color_Mass() {
  int n = n_atoms;
  if (n == 0) return;
  for (int i = 0; i < 256; i++) ramp(i, 120 + 0.55 * i, 0.3, 0.25 + 0.0025 * (255 - i));
  auto mass_of = [](int i) {
    int a = at_el[i] < 0 ? -at_el[i] : at_el[i];
    return a < 114 ? mass[a] : 0.0;
  };
  double big = 1.0;
  for (int i = 0; i < n; i++) big = std::fmax(big, mass_of(i));
  float M = (float)big;
  for (int i = 0; i < n; i++) {
    float u = std::sqrt((float)mass_of(i) / M);
    colour(i, startCharge + (u > 1 ? 255 : (int)(255 * u)));
  }
  colSelection = 410;
  update_cmap_f();
}

void ColorElement() {
  for (int i = 0; i < n_atoms; i++) {
    int a = at_el[i];
    colour(i, startElem + (a >= 0 && a <= 103 ? a : 0));
  }
  update_cmap_f();
}

void Color_THICK() {}
void Color_PRISM() {}
void Color_PRISMANG() {}

void ColorUpdate() {
  if (!CMap) return;
  switch (colSelection) {
    case 51:
      ColorUser();
      break;
    case 52:
      RecalcGroup();
      ColorGroup();
      break;
    case 53:
      ColorCharge();
      break;
    case 54:
      Color_z();
      break;
    case 57:
      ColorAmino();
      break;
    case 58:
      ColorTemp();
      break;
    case 97:
      ColorShapely();
      break;
    case 105:
      Color_bb();
      break;
    case 106:
      Color_Index();
      break;
    case 107:
      Color_Pos();
      break;
    case 410:
      Color_Mass();
      break;
    case 411:
      Color_POW();
      break;
    case 412:
      Color_AST();
      break;
    case 413:
      Color_GAUSS();
      break;
    case 414:
      Color_THETA();
      break;
    case 415:
      Color_CURVMAX();
      break;
    case 420:
      Color_PHI();
      break;
    case 418:
      Color_PRISM();
      break;
    case 419:
      Color_THICK();
      break;
    case 421:
      Color_PRISMANG();
      break;
    default:
      ColorElement();
      break;
  }
  update_cmap_f();
}

}  // namespace scene3d
