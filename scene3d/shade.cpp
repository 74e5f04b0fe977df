#include "scene3d/shade.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "platform/bands.h"
#include "scene3d/colour_map.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"

namespace scene3d {

int light_phi[8], light_theta[8];
float light_dr[8][3], h1024[8][3], light_ph[8], light_th[8];
int light_is_setup = 0, more_lights = 0;

uint16_t gammaTable[6000];
float specTable[1540];
float specMaxTable = 0;

int curr_el_back = 86, curr_el_back_3d = 0;
float BackGfloat = 0.05859375f, fog_float = 0.05859375f;
float scr_r = 0, scr_g = 0, scr_b = 0;

float ambientterm = 0.2f;
int UseStick = 0, shade_mode = 0;

uint32_t rnd_next = 1;

namespace {

// The ambient share of mesh triangles, which they use instead of ambientterm.
constexpr float kMeshAmbient = 0.15f;

inline uint32_t step(uint32_t& r) { return r = r * 1103515245u + 12345u; }
inline int draw(uint32_t& r) { return (int)((step(r) >> 16) & 0x7FFF); }

inline void background(float* rgb) { rgb[0] = scr_r, rgb[1] = scr_g, rgb[2] = scr_b; }

// The float colour of point i (an entry beyond the map shows as entry 0).
inline const float* colour_of(int i) {
  int e = at[i].col;
  return CMap_f + 3 * (e < CMapSize ? e : 0);
}

inline void lit(const float* c, float b, float s, float* rgb) {
  rgb[0] = std::min(0.99f, c[0] * b + s);
  rgb[1] = std::min(0.99f, c[1] * b + s);
  rgb[2] = std::min(0.99f, c[2] * b + s);
}

void shade_sphere(int id, float x, float y, float* rgb, uint32_t& rnd) {
  if (id == 0 || (id > 0 ? id : -id) > n_atoms) {
    background(rgb);
    return;
  }
  step(rnd);
  step(rnd);
  const float* L = light_dr[0];
  const float* H = h1024[0];
  if (id < 0) {
    // A cut face is lit as if it faced the viewer.
    const float b = 0.7f * L[2] + ambientterm;
    const float s = specTable[std::max(0, std::min(1539, (int)H[2]))];
    lit(colour_of(-id - 1), b, s, rgb);
    return;
  }
  const render_rec& a = at[id - 1];
  const float R = a.vis;
  const float dx = x - a.sx, dy = y - a.sy;
  const float q = R * R - dx * dx - dy * dy;
  const float nz = q > 0.01f ? std::sqrt(q) : R < 1 ? -1.0f : 0.1f;
  float diffuse = 0, highlight = 0;
  if (nz > 0.1f) {
    const float cosL = (dx * L[0] + dy * L[1] + nz * L[2]) / std::sqrt(dx * dx + dy * dy + q);
    if (cosL > 0.01f) {
      diffuse += 0.7f * cosL;
      const float h = (dx * H[0] + dy * H[1] + nz * H[2]) / R;
      const int j = h > -1e9f && h < 1e9f ? (int)h : -1;
      highlight += j >= 0 && j <= 1023 ? specTable[j] : specMaxTable;
    }
  }
  lit(colour_of(id - 1), diffuse + ambientterm, highlight, rgb);
}

// The colours of the mesh triangles, for the frame that frames_painted counts while it is drawn
// (tri_colour_frame): read in a sweep by the point step rather than sample by sample from all
// over the triangle list.
float* tri_colour = nullptr;
int64_t tri_colour_alloc = 0;
int tri_colour_count = 0;
long tri_colour_frame = -1;

void shade_triangle(int id, float* rgb) {
  if (id == 0) {
    background(rgb);
    return;
  }
  const int i = id > 0 ? id - 1 : -id - 1;
  const size_t t = (size_t)i / 3;
  if (i >= n_atoms) {
    background(rgb);
    return;
  }
  double nl = 0;
  if (t < v.size()) {
    const double* n = v[t].n;
    nl = n[0] * light_dr[0][0] + n[1] * light_dr[0][1] + n[2] * light_dr[0][2];
  }
  const float b = (float)(0.4 * std::fabs(nl) + kMeshAmbient);
  lit(colour_of(i), b, 0, rgb);
}

void shade_quad(int id, float* rgb) {
  const int nx = zmat_nx;
  const int i = id - 1;
  if (id <= 0 || i >= n_atoms || nx < 2) {
    background(rgb);
    return;
  }
  const int r = i / nx, c = i % nx;
  if (c + 1 >= nx || (int64_t)(r + 1) * nx + c >= n_atoms) {
    background(rgb);
    return;
  }
  const double z0 = at_r[i].z;
  const double dzx = at_r[i + 1].z - z0, dzy = at_r[i + nx].z - z0;
  // The normal of the grid surface, (dz/dx, dz/dy, 1) up to scale, with its spacings per axis.
  const double hx = zmat_delta, hy = grid_delta_y();
  const double mx = dzx * hy, my = dzy * hx, mz = hx * hy;
  const double len = std::sqrt(mx * mx + my * my + mz * mz);
  if (!(len > 0)) {
    background(rgb);
    return;
  }
  const double n[3] = {mx / len, my / len, mz / len};
  const double k = 0.2 * std::fabs(n[1]) + 0.8 * n[2];
  const double diffuse = k < 0 ? 0 : 0.7 * k;
  // Highlight from the fixed model-space light L' = (0, -0.7, -0.7), both y slopes alike.
  const double m[3] = {n[0], std::fabs(n[1]), n[2]};
  const double Lp[3] = {0, -0.7, -0.7};
  const double s0 = m[0] * Lp[0] + m[1] * Lp[1] + m[2] * Lp[2];
  const double Rp[3] = {Lp[0] - s0 * m[0], Lp[1] - s0 * m[1], Lp[2] - s0 * m[2]};
  const double e = 2 * (Rp[0] * m[0] + Rp[1] * m[1] + Rp[2] * m[2]) - s0;
  const double jd = std::fabs(std::trunc(1000 * e));
  const int j = jd > 1000 ? 1000 : (int)jd;
  float highlight = specTable[j];
  float b = (float)std::min(0.9, diffuse + ambientterm);
  float scale = 0.8f;
  if (have_charges && id < alloc_charge) {
    const float F = charge[id];
    scale = F < 0 ? 0.6f : F == 0 ? 0.8f : 1.0f;
  }
  b *= scale;
  highlight *= scale;
  lit(colour_of(i), b, highlight, rgb);
}

// The lighting pass over the lit rows y0 .. y1 - 1, shading samples with shader(id, x, y, rgb,
// rnd). A shader that is `positional` reads the sample's place and steps the row's generator;
// any other gives every sample of an object the same colour, which is then shaded once per
// object for a few rows at a time.
template <bool positional, typename Shader>
void light_rows(int cx, int cy, int y0, int y1, int W, Shader shader) {
  if (W < 1) return;
  // Direct-mapped on the id; no object has the id INT_MIN.
  struct Shaded {
    int id;
    float rgb[3];
  };
  constexpr int kCache = 256;
  Shaded cache[positional ? 1 : kCache];
  for (Shaded& e : cache) e.id = INT_MIN;
  auto shade = [&](int id, float x, float y, float* rgb, uint32_t& rnd) {
    if (positional) {
      shader(id, x, y, rgb, rnd);
      return;
    }
    Shaded& e = cache[(unsigned)id % kCache];
    if (e.id != id) {
      shader(id, x, y, e.rgb, rnd);
      e.id = id;
    }
    rgb[0] = e.rgb[0], rgb[1] = e.rgb[1], rgb[2] = e.rgb[2];
  };
  for (int y = y0; y < y1; y++) {
    uint32_t rnd = (uint32_t)y + 1;
    const int* up = Abuffer + (int64_t)(2 * y) * Axres;
    const int* down = up + Axres;
    uint16_t* g = gimage + (int64_t)(y + 2) * use_x24_3;
    const float yu = (float)(y - cy) - 0.25f;
    for (int x = 0; x < W; x++) {
      const int a0 = up[2 * x], a1 = up[2 * x + 1], a2 = down[2 * x], a3 = down[2 * x + 1];
      const float xl = x == 0 ? -cx - 0.25f : (float)(x - cx);
      float rgb[3];
      int P[3];
      if (a0 == a1 && a0 == a2 && a0 == a3) {
        if (positional) {
          const int u1 = draw(rnd), u2 = draw(rnd);
          shade(a0, xl + 0.25f + ((u2 % 11) - 5) * 0.025f, yu + 0.25f + ((u1 % 11) - 5) * 0.025f,
                rgb, rnd);
        } else {
          shade(a0, 0, 0, rgb, rnd);
        }
        for (int ch = 0; ch < 3; ch++) P[ch] = (int)(1020 * rgb[ch]);
      } else {
        float sum[3] = {0, 0, 0};
        const int ids[4] = {a0, a1, a2, a3};
        for (int q = 0; q < 4; q++) {
          shade(ids[q], xl + (q & 1) * 0.5f, yu + (q >> 1) * 0.5f, rgb, rnd);
          sum[0] += rgb[0], sum[1] += rgb[1], sum[2] += rgb[2];
        }
        for (int ch = 0; ch < 3; ch++) P[ch] = (int)(255 * sum[ch]);
      }
      for (int ch = 0; ch < 3; ch++) g[3 * x + ch] = (uint16_t)P[ch];
    }
    // Horizontal 1-2-1 filter in place; the ends weigh themselves three times (four times in a
    // one-pixel row), so no pixel outside the row is read.
    for (int ch = 0; ch < 3; ch++) {
      uint16_t* p = g + ch;
      if (W == 1) {
        p[0] = (uint16_t)(4 * p[0]);
        continue;
      }
      int prev = p[0];
      p[0] = (uint16_t)(3 * p[0] + p[3]);
      for (int x = 1; x < W - 1; x++) {
        const int cur = p[3 * x];
        p[3 * x] = (uint16_t)(prev + 2 * cur + p[3 * (x + 1)]);
        prev = cur;
      }
      p[3 * (W - 1)] = (uint16_t)(prev + 3 * p[3 * (W - 1)]);
    }
  }
}

// Lit rows per chunk of the lighting pass (see run_chunks).
constexpr int kLitChunkRows = 16;

// The shaders light_rows takes, one a kind of object.
constexpr auto sphere_shader = [](int id, float x, float y, float* rgb, uint32_t& rnd) {
  shade_sphere(id, x, y, rgb, rnd);
};
constexpr auto triangle_shader = [](int id, float, float, float* rgb, uint32_t&) {
  shade_triangle(id, rgb);
};
constexpr auto quad_shader = [](int id, float, float, float* rgb, uint32_t&) {
  shade_quad(id, rgb);
};

}  // namespace

uint32_t nextrand() { return step(rnd_next); }
int myrand() { return draw(rnd_next); }

void SHADE(int id, float, float x, float y, float* rgb) { shade_sphere(id, x, y, rgb, rnd_next); }
void SHADET(int id, float, float, float* rgb) { shade_triangle(id, rgb); }
void SHADEQ(int id, float, float, float* rgb) { shade_quad(id, rgb); }

void lighting_prepare() {
  if (curr_el_back && CMap_f) {
    const float* b = CMap_f + 3 * (startElem + curr_el_back);
    scr_r = b[0], scr_g = b[1], scr_b = b[2];
  } else {
    scr_r = scr_g = scr_b = BackGfloat;
  }
  if (!light_is_setup) setup_light();
}

void light_pixel_rows(int cx, int cy, int y0, int y1, int W) {
  if (show_surface)
    light_rows<false>(cx, cy, y0, y1, W, quad_shader);
  else if (show_triangles && tri_colour_frame == frames_painted)
    light_rows<false>(cx, cy, y0, y1, W, [](int id, float, float, float* rgb, uint32_t&) {
      const int64_t i = (int64_t)id - 1;  // triangle t has the id 3 t + 1
      if (i >= 0 && i % 3 == 0 && i / 3 < tri_colour_count) {
        const float* c = tri_colour + 3 * (i / 3);
        rgb[0] = c[0], rgb[1] = c[1], rgb[2] = c[2];
      } else {
        shade_triangle(id, rgb);
      }
    });
  else if (show_triangles)
    light_rows<false>(cx, cy, y0, y1, W, triangle_shader);
  else
    light_rows<true>(cx, cy, y0, y1, W, sphere_shader);
}

void light_sphere_rows(int cx, int cy, int y0, int y1, int W) {
  light_rows<true>(cx, cy, y0, y1, W, sphere_shader);
}

void light_triangle_rows(int cx, int cy, int y0, int y1, int W) {
  light_rows<false>(cx, cy, y0, y1, W, triangle_shader);
}

void light_quad_rows(int cx, int cy, int y0, int y1, int W) {
  light_rows<false>(cx, cy, y0, y1, W, quad_shader);
}

int prepare_triangle_colours(int count) {
  tri_colour_frame = -1;
  tri_colour_count = 0;
  if (!scratch_room(tri_colour, tri_colour_alloc, count, 3)) return 1;
  tri_colour_count = count;
  tri_colour_frame = frames_painted;
  return 0;
}

void shade_triangle_colours(int t0, int t1) {
  for (int t = t0; t < std::min(t1, tri_colour_count); t++)
    shade_triangle(3 * t + 1, tri_colour + 3 * (int64_t)t);
}

void lighting_mt(int) {
  lighting_prepare();
  const int W = use_x, cx = xcenter + dispX, cy = ycenter + dispY;
  run_parts(use_y, kLitChunkRows, frame_bands(),
            [W, cx, cy](int, int y0, int y1) { light_pixel_rows(cx, cy, y0, y1, W); });
}

void setup_light() {
  for (int i = 0; i <= more_lights && i < 8; i++) {
    if (light_theta[i] > 88) {
      h1024[i][0] = h1024[i][1] = h1024[i][2] = 0;
      continue;
    }
    const float phi = light_phi[i] * 0.017453292f, theta = light_theta[i] * 0.017453292f;
    light_ph[i] = phi, light_th[i] = theta;
    const float sp = (float)std::sin((double)phi), cp = (float)std::cos((double)phi);
    const float st = (float)std::sin((double)theta), ct = (float)std::cos((double)theta);
    float* L = light_dr[i];
    L[0] = sp * st, L[1] = cp * st, L[2] = ct;
    const float hx = 0.5f * L[0], hy = 0.5f * L[1], hz = L[2];
    const float len = std::sqrt(hx * hx + hy * hy + hz * hz);
    h1024[i][0] = 1024 * hx / len, h1024[i][1] = 1024 * hy / len, h1024[i][2] = 1024 * hz / len;
  }
  light_is_setup = 1;
}

void setgamma(float g) {
  gammaTable[0] = 0;
  for (int k = 1; k < 5500; k++) {
    const double u = std::min(k, 4095) / 4095.0;
    gammaTable[k] = (uint16_t)(int)(1023 * std::exp(std::log(u) / g));
  }
  const int grey = (int)(BackGfloat * 255 + 0.25f);
  BackGfloat = grey < 0 ? 0 : grey > 255 ? 255 / 256.0f : grey / 256.0f;
  fog_float = BackGfloat;
}

float setspec(float ks, int exponent) {
  specTable[0] = 0;
  for (int k = 1; k < 1540; k++) specTable[k] = ks * (float)std::pow(k / 1024.0, exponent);
  specMaxTable = ks * exponent;
  return specMaxTable;
}

void SetBackCol(int grey) {
  BackGfloat = grey < 0 ? 0 : grey > 255 ? 255 / 256.0f : grey / 256.0f;
  fog_float = BackGfloat;
}

void initToon() {}

}  // namespace scene3d
