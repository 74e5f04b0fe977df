#include "scene3d/frame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/bands.h"
#include "scene3d/abuffer.h"
#include "scene3d/colour_map.h"
#include "scene3d/draw_order.h"
#include "scene3d/frame_state.h"
#include "scene3d/project.h"
#include "scene3d/radii.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"
#include "scene3d/shade.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace scene3d {

int scene_reading = 0;
int FirstTimeInit = 1;

namespace {

void free_frame_buffers() {
  if (allocated >= 0) {
    free(Abuffer);
    free(Dbuffer);
    free(gimage);
  }
  Abuffer = A2buffer = nullptr;
  Dbuffer = tbuffer = nullptr;
  gimage = nullptr;
  allocated = -1;
  allocated24 = 0;
  gimage_values = 0;
}

void report_memory(const char* what) {
  printf("%s\n", what);
  set_status(what);
}

// The loaded image holds at least the canvas: a new block is allocated before the old one goes,
// so a failure leaves the picture that is shown.
int ensure_image() {
  const int64_t need = (int64_t)width * height;
  if (need <= 0 || need > INT32_MAX) return 1;
  if (img_content && img_allocated >= need) return 0;
  float* p = (float*)scene_malloc((uint64_t)need * 16);
  if (!p) return 1;
  if (img_allocated != -1) free(img_content);
  img_content = p;
  img_allocated = (int)need;
  return 0;
}

// Lit rows y0 .. y1 - 1 into the loaded image, bottom-up, with the vertical 1-2-1 filter and
// gamma; the rows beside them must be lit too.
void copy_rows(int y0, int y1, int W, int H) {
  const int cols = std::min({width, screen_x, W});
  y1 = std::min({y1, height, screen_y, H});
  for (int y = std::max(y0, 0); y < y1; y++) {
    const uint16_t* L = gimage + (int64_t)(y + 2) * use_x24_3;
    const bool filter = y >= 1 && y <= height - 2 && y + 1 < H;
    float* out = img_content + 4 * (int64_t)(height - 1 - y) * width;
    for (int x = 0; x < cols; x++, out += 4) {
      for (int ch = 0; ch < 3; ch++) {
        const int i = 3 * x + ch;
        const int v = filter ? (L[i - use_x24_3] + 2 * L[i] + L[i + use_x24_3]) >> 2 : L[i];
        out[ch] = gammaTable[v] / 1024.0f;
      }
      out[3] = 1.0f;
    }
  }
}

// The frame as it is drawn, in cells of the supersampled buffers: the picture centre and the
// size.
struct Cells {
  int cx, cy, cols, rows;
};

// The steps of a frame, in the order it runs them.

// The points, in chunks: turned by the rotation unless it is kept, projected when the frame is
// drawn, and the mesh triangles' colours shaded as their points are projected.
void turn_and_project(bool rotate, bool project, bool colours) {
  if (!rotate && !project) return;
  run_parts(n_atoms, kPointChunk, frame_bands(), [=](int, int lo, int hi) {
    if (rotate) rotate_points(lo, hi);
    if (project) project_points(lo, hi);
    if (colours) shade_triangle_colours((lo + 2) / 3, (hi + 2) / 3);
  });
}

// The working storage of a frame of `rows` cell rows and the room to order what the scene is
// drawn as (which the storage decides for a grid). 0, or 1 when memory is short.
int prepare_room(int rows) {
  if (abuf_prepare(rows) != 0) return 1;
  const Drawn kind = drawn_as();
  const int objects = kind == Drawn::spheres ? n_atoms : kind == Drawn::triangles ? n_atoms / 3 : 0;
  return order_prepare(objects, kind == Drawn::triangles, rows);
}

// What every chunk reads, settled before the first is drawn: the quads' facing values and the
// rows they reach; the triangles' charge entries, drawing order and lists per chunk; the
// spheres' drawing order.
void prepare_chunks(Drawn kind, const Cells& c) {
  switch (kind) {
    case Drawn::quads:
      prepare_quads();
      break;
    case Drawn::triangles:
      clear_triangle_charges();
      order_triangles(c.cx, c.cy, c.cols, c.rows);
      break;
    case Drawn::spheres:
      order_spheres();
      break;
    case Drawn::nothing:
      break;
  }
}

// Chunk j of the frame, cell rows ys .. ye - 1: cleared and drawn.
void draw_chunk(Drawn kind, const Cells& c, int pass, int j, int ys, int ye) {
  clear_rows(ys, ye);
  switch (kind) {
    case Drawn::quads:
      draw_quads(c.cx, c.cy, c.cols, pass, ys, ye);
      break;
    case Drawn::triangles:
      draw_triangles(c.cx, c.cy, c.cols, pass, ys, ye, chunk_triangles(j));
      break;
    case Drawn::spheres:
      draw_spheres(c.cx, c.cy, Axres, pass, ys, ye, drawing_order());
      break;
    case Drawn::nothing:
      break;
  }
}

// The pixel rows at the chunks' edges, copied once the rows beside them are lit.
void copy_chunk_edges(int W, int H) {
  const int step = kChunkRows / 2;
  for (int p0 = 0; p0 < H; p0 += step) {
    const int p1 = std::min(H, p0 + step);
    copy_rows(p0, p0 + 1, W, H);
    if (p1 - 1 > p0) copy_rows(p1 - 1, p1, W, H);
  }
}

// The canvas the frame is fitted to (cells are half a pixel).
void canvas_size(int* w, int* h) {
  *w = width > 0 ? width : ClientX > 0 ? ClientX : 1;
  *h = height > 0 ? height : ClientY > 0 ? ClientY : 1;
}

void fog_terms(float minD, float maxD) {
  fog_offset = 10 - camera_pos - ClipDist;
  if (maxD > minD) {
    fog_delta = 2 * (maxD - minD);
    fog_start = fog_offset + minD;
  } else {
    fog_delta = 10;
    fog_start = fog_offset + 100;
  }
  fog_decay = 0.00001f;
}

// Projected box of the points (or a sample of them, every `stride`-th) with the camera at depth
// c, in cells relative to the picture centre.
struct Box {
  double xmin, xmax, ymin, ymax;
  double width() const { return xmax - xmin; }
  double height() const { return ymax - ymin; }
};

Box project_box(double c, double M, bool radii, int stride) {
  Box b{1e300, -1e300, 1e300, -1e300};
  for (int i = 0; i < n_atoms; i += stride) {
    const render_rec& a = at[i];
    const double dist = a.d - c;
    if (!(dist > 0) || !std::isfinite(a.x) || !std::isfinite(a.y)) continue;
    const double s = M / dist, r = radii ? a.rad * s : 0;
    b.xmin = std::min(b.xmin, a.x * s - r), b.xmax = std::max(b.xmax, a.x * s + r);
    b.ymin = std::min(b.ymin, a.y * s - r), b.ymax = std::max(b.ymax, a.y * s + r);
  }
  return b;
}

}  // namespace

int DoInit() {
  if (!FirstTimeInit) return 0;
  static const int phi[8] = {40, 330, 0, 90, 270, 210, 15, 35};
  static const int theta[8] = {30, 40, 70, 60, 45, 70, 15, 60};
  memcpy(light_phi, phi, sizeof phi);
  memcpy(light_theta, theta, sizeof theta);
  setgamma(1.7f);
  setspec(0.2f, 50);
  // Without a colour map nothing can be shown; the next scene tries again.
  if (InitColorMap() != 0) return 1;
  FirstTimeInit = 0;
  curr_el_back = 86;
  curr_el_back_3d = 0;
  BackGfloat = fog_float = 0.05859375f;
  rot_x = 90, rot_y = 0, rot_z = 0;
  UpdateAngles();
  FreeAtoms();
  SetContent(0);
  return 0;
}

void AutoZoom(float fit) {
  magn = 2.7f;
  if (content != 1) {
    fog_terms(9e9f, -9e9f);
    setup_light();
    return;
  }
  UpdateAngles();
  rotation_mt();
  int cw, ch;
  canvas_size(&cw, &ch);
  const double M = (double)cw * magn;
  new_magn = (float)M;
  const double Wc = 2.0 * cw, Hc = 2.0 * ch;
  // Grid and mesh points are corners of polygons, not balls: their radius does not show in the
  // picture.
  const bool radii = !(show_surface || show_triangles);

  double near = 1e300, minD = 1e300, maxD = -1e300, size = 0;
  double xlo = 1e300, xhi = -1e300, ylo = 1e300, yhi = -1e300;
  int finite = 0;
  for (int i = 0; i < n_atoms; i++) {
    const render_rec& a = at[i];
    if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(a.d)) continue;
    const double R = radii && std::isfinite(a.rad) ? std::fabs(a.rad) : 0;
    finite++;
    near = std::min(near, a.d - R);
    minD = std::min(minD, (double)a.d), maxD = std::max(maxD, (double)a.d);
    xlo = std::min(xlo, a.x - R), xhi = std::max(xhi, a.x + R);
    ylo = std::min(ylo, a.y - R), yhi = std::max(yhi, a.y + R);
    size = std::max(size, 2 * R);
  }
  if (finite == 0) {
    // No points: the camera of an empty scene, far away.
    camera_pos = 9999 - fit * 100;
    ClipDist = 1;
    dispX = dispY = 0;
    fog_terms(9e9f, -9e9f);
    setup_light();
    return;
  }
  size = std::max({size, xhi - xlo, yhi - ylo, maxD - minD});
  if (!(size > 0)) size = 1;

  // The camera distance L in front of the nearest surface that makes the projected box fill
  // 70 % of the canvas's limiting side; found by halving on log L over a sample of the points,
  // then corrected with all of them.
  const double target = 0.7;
  const int stride = std::max(1, n_atoms / 65536);
  auto fill = [&](double L, int st, Box* box) {
    Box b = project_box(near - L, M, radii, st);
    if (box) *box = b;
    if (b.xmin > b.xmax) return 0.0;
    return std::max(b.width() / Wc, b.height() / Hc);
  };
  double lo = std::log(size * 1e-4), hi = std::log(size * 1e5);
  double L = std::exp(hi);
  if (fill(std::exp(lo), stride, nullptr) < target) {
    L = std::exp(lo);
  } else {
    for (int k = 0; k < 40; k++) {
      const double mid = 0.5 * (lo + hi);
      if (fill(std::exp(mid), stride, nullptr) > target)
        lo = mid;
      else
        hi = mid;
    }
    L = std::exp(hi);
    for (int k = 0; k < 4 && stride > 1; k++) {
      const double f = fill(L, 1, nullptr);
      if (!(f > 0) || std::fabs(f / target - 1) < 0.05) break;
      // The box shrinks about as the distance to the middle of the scene grows.
      const double mid_depth = 0.5 * (minD + maxD) - near;
      L = std::max(L * 1e-3, (L + mid_depth) * f / target - mid_depth);
    }
  }
  Box box;
  fill(L, 1, &box);
  camera_pos = (float)(near - L);
  ClipDist = (float)std::min(1.0, 0.5 * L);
  dispX = box.xmin <= box.xmax ? -(int)std::lround(0.5 * (box.xmin + box.xmax)) : 0;
  dispY = box.xmin <= box.xmax ? -(int)std::lround(0.5 * (box.ymin + box.ymax)) : 0;
  fog_terms((float)minD, (float)maxD);
  setup_light();
}

int ReallocGraMem(int cols, int rows, int* xres, int* yres, int* lit_rows, int* keep_flag) {
  const int64_t lit_values = (int64_t)use_x24 * (3 * (int64_t)*lit_rows + 6);
  const bool have = allocated >= 0 && Abuffer && Dbuffer && gimage;
  if (*xres == cols && *yres == rows && have && gimage_values >= lit_values) return 0;
  *xres = cols;
  *yres = rows;
  const int64_t n = (int64_t)cols * rows, g = (int64_t)use_x24 * rows;
  bool keep = false;
  if (have) {
    if (n < allocated)
      keep = g < allocated24 && (3 * n > allocated || 3 * g > allocated24);
    else if (n == allocated)
      keep = g == allocated24;
  }
  if (keep) {
    if (n != allocated) *keep_flag = 0;
    if (gimage_values >= lit_values) return 0;
    // The keep rule can keep a lit image too small for a wide, low frame: it gets a new block.
    uint16_t* gi = (uint16_t*)scene_malloc((uint64_t)lit_values * sizeof(uint16_t));
    if (gi) {
      free(gimage);
      gimage = gi;
      gimage_values = lit_values;
      *keep_flag = 0;
      return 0;
    }
  }
  free_frame_buffers();
  *keep_flag = 0;
  float* D = (float*)scene_malloc((uint64_t)n * 2 * sizeof(float));
  int* A = D ? (int*)scene_malloc((uint64_t)n * 2 * sizeof(int)) : nullptr;
  uint16_t* gi = A ? (uint16_t*)scene_malloc((uint64_t)lit_values * sizeof(uint16_t)) : nullptr;
  if (!gi) {
    free(D);
    free(A);
    *xres = *yres = 0;
    return 1;
  }
  Dbuffer = D, tbuffer = D + n;
  Abuffer = A, A2buffer = A + n;
  gimage = gi;
  allocated = n, allocated24 = g, gimage_values = lit_values;
  return 0;
}

int UpdatePaint(int w, int h, int keep_cells, int keep_rotation, int /*unused*/, int /*unused*/,
                int /*unused*/, int skip_output, int /*unused*/) {
  // A reader fills a scene that is not shown yet: the shared opener renders it when it is done.
  if (scene_reading) return 1;
  int W = w, H = h;
  if (w < 1 || h < 1) W = ClientX, H = ClientY;
  if (W < 1 || H < 1) return 1;
  if (DoInit() != 0) {
    report_memory("memory error (3D init)");
    return 1;
  }

  // The frame is drawn in cells, 2 x 2 a pixel, and lit and copied out in pixels.
  full_x = 2 * W;
  use_x = W, use_y = H;
  xcenter = W / 2, ycenter = H / 2;
  use_x24 = ((2 * W) & ~7) + 8;
  use_x24_3 = 3 * use_x24;
  int keep = keep_cells;
  if (ReallocGraMem(2 * W, 2 * H, &Axres, &Ayres, &H, &keep) != 0 || prepare_room(2 * H) != 0) {
    report_memory("memory error (3D frame)");
    return 1;
  }
  const bool output = !skip_output;
  if (output && ensure_image() != 0) {
    report_memory("memory error (init img)");
    return 1;
  }
  int cw, ch;
  canvas_size(&cw, &ch);
  new_magn = cw * magn;

  // Cells that the caller and the buffers kept are lit again as they are; any others are
  // cleared, and drawn when the scene holds points.
  const bool draw = !keep && content == 1 && !Height3D;
  const Drawn kind = draw ? drawn_as() : Drawn::nothing;
  const Cells frame{W + dispX, H + dispY, 2 * W, 2 * H};
  // The lit picture's centre in pixels: the pan is halved, rounded toward zero.
  const int cx = W / 2 + dispX / 2, cy = H / 2 + dispY / 2;
  lighting_prepare();
  initToon();

  // A triangle is shaded alike wherever it shows: each is shaded once, as its points are
  // projected, while there are not many more of them than pixels.
  const bool colours = kind == Drawn::triangles && n_atoms / 3 <= 4 * (int64_t)W * H &&
                       prepare_triangle_colours(n_atoms / 3) == 0;
  turn_and_project(!keep_rotation, draw, colours);
  prepare_chunks(kind, frame);
  // Each chunk, as a core comes free, is drawn, lit, and those of its rows copied out whose
  // neighbours it lit itself, while its cells are still in the cache.
  run_parts(frame.rows, kChunkRows, frame_bands(), [&](int j, int y0, int y1) {
    if (draw)
      draw_chunk(kind, frame, 0, j, y0, y1);
    else if (!keep)
      clear_rows(y0, y1);
    const int p0 = y0 / 2, p1 = (y1 + 1) / 2;
    light_pixel_rows(cx, cy, p0, p1, W);
    if (output) copy_rows(p0 + 1, p1 - 1, W, H);
  });
  if (output) copy_chunk_edges(W, H);
  frames_painted++;
  return 0;
}

void abuf_mt(int pass) {
  // The scene may be drawn as something else than the last frame ordered.
  if (prepare_room(use_y) != 0) {
    report_memory("memory error (3D frame)");
    return;
  }
  const Drawn kind = drawn_as();
  const Cells frame{xcenter + dispX, ycenter + dispY, use_x, use_y};
  turn_and_project(false, true, false);
  prepare_chunks(kind, frame);
  run_parts(frame.rows, kChunkRows, frame_bands(),
            [&](int j, int y0, int y1) { draw_chunk(kind, frame, pass, j, y0, y1); });
}

void PaintNew(int keep_cells, int keep_rotation, int extra) {
  UpdatePaint(0, 0, keep_cells, keep_rotation, extra, 0, 0, 0, 0);
}

void ResetView() {
  setgamma(1.7f);
  setspec(0.2f, 50);
  dispX = dispY = 0;
  rot_x = 90, rot_y = 0, rot_z = 0;
  UpdateAngles();
  magn = 5.5f;
  camera_pos = -100;
  ClipDist = 50;
  fog_offset = 60;
  ViewRange = 2000;
  RadMagn = 1;
  UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0);
}

}  // namespace scene3d
