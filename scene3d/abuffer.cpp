#include "scene3d/abuffer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/bands.h"
#include "scene3d/draw_order.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/project.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"

namespace scene3d {

int UseBall = 1;

namespace {

// Working storage of the frame, through scratch_room: each block beside the items it has room
// for, grown when a frame needs more and refilled by every frame.
//
// Spans of the polygon being drawn, one (min, max) pair per cell row of the frame; each band
// uses only its own rows.
int* spans = nullptr;
int64_t spans_alloc = 0;
// One generator per cell row for overlapping cut faces, seeded from the row number each frame.
uint32_t* row_rnd = nullptr;
int64_t row_rnd_alloc = 0;
// Per grid row of quads: the lowest and highest cell row (relative to the centre) of its drawable
// quads, so that a band passes over grid rows that cannot reach it.
int* quad_rows = nullptr;
int64_t quad_rows_alloc = 0;
// The same per run of kRunQuads quads of a grid row (a row seen at a slant crosses many chunks,
// a run few) and per quad (at its corner A), so that a chunk looks only at quads that reach it.
// Cell rows lie within +-10000 of the centre, so they fit 16 bits; an empty range is kNoRows.
struct RowRange {
  int16_t lo, hi;
};
constexpr int kRunQuads = 32;
constexpr RowRange kNoRows = {INT16_MAX, INT16_MIN};
RowRange* run_rows = nullptr;
int64_t run_rows_alloc = 0;
RowRange* quad_cell_rows = nullptr;
int64_t quad_cell_rows_alloc = 0;
constexpr int kEmptyMin = 32500, kEmptyMax = -32500;

// Half-to-even rounding of the sphere rows and columns.
int round_even(double v, int lo, int hi) {
  if (!(v >= lo - 1)) return lo - 1;
  if (!(v <= hi + 1)) return hi + 1;
  return (int)std::nearbyint(v);
}

// The cut faces' rounding: trunc(v + 10000.5) - 10000.
int round_cut(double v, int lo, int hi) {
  if (!(v >= lo - 1)) return lo - 1;
  if (!(v <= hi + 1)) return hi + 1;
  return (int)std::trunc(v + 10000.5) - 10000;
}

// Visits the cells of an edge from (x0, y0) to (x1, y1) as virt_draw_line walks it, recording
// only rows lo .. hi into spans (pair 0 = row lo).
void walk_edge(int x0, int y0, int x1, int y1, int* sp, int lo, int hi) {
  auto record = [&](int x, int y) {
    if (y < lo || y > hi) return;
    int* s = sp + 2 * (y - lo);
    if (x < s[0]) s[0] = x;
    if (x > s[1]) s[1] = x;
  };
  if (y1 < y0) std::swap(x0, x1), std::swap(y0, y1);
  const int dy = y1 - y0, dx = x1 - x0, adx = std::abs(dx), step = dx < 0 ? -1 : 1;
  // The upper endpoint too: an apex between two steep edges would otherwise leave its row empty.
  record(x0, y0);
  int x = x0, err = 0;
  if (adx < dy) {
    for (int y = y0 + 1; y <= y1; y++) {
      if (y > hi) break;
      record(x, y);
      err -= adx;
      if (err < 0) x += step, err += dy;
    }
  } else {
    int y = y0;
    for (x = x0 + step; x != x1 + step && adx > 0; x += step) {
      record(x, y);
      err += dy;
      if (err > 0) y++, err -= adx;
    }
  }
  record(x1, y1);
}

// The rows of the band that a polygon with vertex rows ymin .. ymax covers, as frame rows.
struct RowSpan {
  int first, last;
};

// Fills the spans of the band's rows of a polygon of n vertex cells (relative to the centre),
// edges taken in the order given and closed. Polygons of fewer than 3 rows fill their bounding
// box, as do the rows of any polygon when span walking is not wanted.
void polygon_spans(const int* xs, const int* ys, int n, int cx, int cy, RowSpan rows) {
  int ymin = ys[0], ymax = ys[0], xmin = xs[0], xmax = xs[0];
  for (int v = 1; v < n; v++) {
    ymin = std::min(ymin, ys[v]), ymax = std::max(ymax, ys[v]);
    xmin = std::min(xmin, xs[v]), xmax = std::max(xmax, xs[v]);
  }
  int* sp = spans + 2 * rows.first;
  if (ymax - ymin < 3) {
    for (int Y = rows.first; Y <= rows.last; Y++, sp += 2) sp[0] = xmin, sp[1] = xmax;
    return;
  }
  for (int Y = rows.first; Y <= rows.last; Y++, sp += 2) sp[0] = kEmptyMin, sp[1] = kEmptyMax;
  for (int v = 0; v < n; v++) {
    int w = (v + 1) % n;
    walk_edge(xs[v], ys[v], xs[w], ys[w], spans + 2 * rows.first, rows.first - cy, rows.last - cy);
  }
}

// The grid's scratch is there for the current grid (abuf_prepare made it).
bool quad_scratch_ready() {
  return have_charges && alloc_charge >= n_atoms && quad_rows_alloc >= zmat_ny &&
         run_rows_alloc >= (int64_t)zmat_ny * ((zmat_nx - 2) / kRunQuads + 1) &&
         quad_cell_rows_alloc >= (int64_t)zmat_nx * zmat_ny;
}

// Rows of the band covered by vertex rows ymin .. ymax (relative to the centre); false when none.
bool band_rows(int ymin, int ymax, int cy, int ys, int ye, RowSpan* rows) {
  if (!(cy + ymin < ye && cy + ymax >= ys)) return false;
  rows->first = std::max(cy + ymin, ys);
  rows->last = std::min(cy + ymax, ye - 1);
  return rows->first <= rows->last;
}

float cell_distance(int X, int Y, int vx, int vy) {
  const float dx = (float)(X - vx), dy = (float)(Y - vy);
  return std::sqrt(dx * dx + dy * dy);
}

// Grid rows of quads a chunk of prepare_quads takes.
constexpr int kGridRowChunk = 16;

// The facing value of every quad that can be drawn, in the charge entry of its corner C, and
// the cell rows each grid row, run and quad covers, for the quads of grid rows r0 .. r1 - 1 (row
// r joins grid lines r - 1 and r). A degenerate quad takes the facing value of the previous quad
// of its grid row.
void quad_facing(int r0, int r1) {
  const int nx = zmat_nx, runs = (nx - 2) / kRunQuads + 1;
  for (int r = r0; r < r1; r++) {
    float last = 0;
    int lo = 1 << 30, hi = -(1 << 30);  // no drawable quad: reaches no band
    for (int run = 0; run < runs; run++) {
      int run_lo = INT16_MAX, run_hi = INT16_MIN;
      const int end = std::min(nx - 1, (run + 1) * kRunQuads);
      for (int col = run * kRunQuads; col < end; col++) {
        const int A = (r - 1) * nx + col, B = r * nx + col, C = A + 1, D = B + 1;
        if (!at[A].vis || !at[B].vis || !at[C].vis || !at[D].vis) {
          quad_cell_rows[A] = kNoRows;
          continue;
        }
        float F = (at[B].sy - at[A].sy) * (at[C].sx - at[A].sx) -
                  (at[C].sy - at[A].sy) * (at[B].sx - at[A].sx);
        if (F == 0 && col > 0) F = last;
        last = F;
        charge[C] = F;
        int qlo = INT16_MAX, qhi = INT16_MIN;
        for (int q : {A, B, C, D}) {
          const int y = vertex_cell(at[q].sy);
          qlo = std::min(qlo, y), qhi = std::max(qhi, y);
        }
        quad_cell_rows[A] = {(int16_t)qlo, (int16_t)qhi};
        run_lo = std::min(run_lo, qlo), run_hi = std::max(run_hi, qhi);
      }
      run_rows[(int64_t)r * runs + run] = {(int16_t)run_lo, (int16_t)run_hi};
      lo = std::min(lo, run_lo), hi = std::max(hi, run_hi);
    }
    if (lo > hi) lo = 1 << 30, hi = -(1 << 30);
    quad_rows[2 * r] = lo, quad_rows[2 * r + 1] = hi;
  }
}

// A cell takes an object that is nearer, or as near with a lower id.
inline bool takes(float z, int id, float stored_z, int stored_id) {
  return z < stored_z || (z == stored_z && id < stored_id);
}

bool quads_fit() { return zmat_nx >= 2 && zmat_ny >= 2 && (int64_t)zmat_nx * zmat_ny <= n_atoms; }

}  // namespace

Drawn drawn_as() {
  if (show_surface)
    return isXYZ2d_mat && quads_fit() && quad_scratch_ready() ? Drawn::quads : Drawn::nothing;
  if (show_triangles) return Drawn::triangles;
  return UseBall ? Drawn::spheres : Drawn::nothing;
}

int abuf_prepare(int rows) {
  if (show_surface && isXYZ2d_mat && quads_fit()) {
    if (ensure_charges() != 0) return 1;
    const int64_t runs = (int64_t)zmat_ny * ((zmat_nx - 2) / kRunQuads + 1);
    const int64_t quads = (int64_t)zmat_nx * zmat_ny;
    if (!scratch_room(quad_rows, quad_rows_alloc, zmat_ny, 2) ||
        !scratch_room(run_rows, run_rows_alloc, runs) ||
        !scratch_room(quad_cell_rows, quad_cell_rows_alloc, quads))
      return 1;
  }
  if (!scratch_room(spans, spans_alloc, rows, 2) || !scratch_room(row_rnd, row_rnd_alloc, rows))
    return 1;
  return 0;
}

void prepare_quads() {
  // Grid row r joins grid lines r - 1 and r: rows 1 .. zmat_ny - 1.
  run_parts(zmat_ny - 1, kGridRowChunk, frame_bands(),
            [](int, int lo, int hi) { quad_facing(lo + 1, hi + 1); });
}

void clear_triangle_charges() {
  if (!have_charges) return;
  run_parts(n_atoms / 3, kPointChunk, frame_bands(), [](int, int t0, int t1) {
    for (int t = t0; t < t1; t++)
      if (at[3 * t].vis && at[3 * t + 1].vis && at[3 * t + 2].vis && 3 * t + 1 < alloc_charge)
        charge[3 * t + 1] = 0;
  });
}

void clear_rows(int ys, int ye) {
  const int64_t a = (int64_t)ys * Axres, b = (int64_t)ye * Axres;
  memset(Abuffer + a, 0, (size_t)(b - a) * sizeof(int));
  std::fill(Dbuffer + a, Dbuffer + b, 1e19f);
  for (int y = ys; y < ye; y++) row_rnd[y] = (uint32_t)y + 1;
}

void draw_spheres(int cx, int cy, int stride, int pass, int ys, int ye, Order order) {
  if (ys >= ye) return;
  int* A = pass ? A2buffer : Abuffer;
  const int xlo = -cx, xhi = stride - 1 - cx;  // columns relative to the centre
  const int ylo = ys - cy, yhi = ye - 1 - cy;  // the band's rows relative to the centre
  for (int o = 0; o < order.count; o++) {
    const int i = order.index[o];
    const render_rec& a = at[i];
    const double r2 = 2.0 * a.vis;
    if (!(r2 > 0)) continue;
    const double sy2 = 2.0 * a.sy, sx2 = 2.0 * a.sx;
    if (std::trunc(sy2 + r2) + cy < ys - 2 || std::trunc(sy2 - r2) + cy > ye + 2) continue;
    const float R = a.rad, depth = a.d;
    const float d = depth - camera_pos, e = d - ClipDist;
    const int id = i + 1;
    if (e >= 0) {
      const float px = d / new_magn;  // model units per cell
      const int j0 = std::max(ylo, round_even(sy2 - r2, ylo, yhi));
      const int j1 = std::min(yhi, round_even(sy2 + r2, ylo, yhi));
      for (int j = j0; j <= j1; j++) {
        const double q = r2 * r2 - (j - sy2) * (j - sy2);
        if (!(q > 0)) continue;
        const double w = std::sqrt(q);
        const int k0 = std::max(xlo, round_even(sx2 - w, xlo, xhi));
        const int k1 = std::min(xhi, round_even(sx2 + w, xlo, xhi));
        const float dyr = j * px - a.y;
        int64_t cell = (int64_t)(cy + j) * stride + cx + k0;
        for (int kk = k0; kk <= k1; kk++, cell++) {
          if (Dbuffer[cell] < depth - R) continue;  // nearer than the sphere can be
          const float dxr = kk * px - a.x;
          const float h2 = R * R - dyr * dyr - dxr * dxr;
          const float z = h2 > 1e-8f ? depth - std::sqrt(h2) : depth - 0.0001f;
          if (takes(z, id, Dbuffer[cell], A[cell])) Dbuffer[cell] = z, A[cell] = id;
        }
      }
    } else {
      // The cut face: a flat disc in the clip plane.
      const float z = depth - e;
      const double ratio = e / R;
      const double rp = r2 * std::sqrt(std::max(0.0, 1 - ratio * ratio));
      const int j0 = std::max(ylo, round_cut(sy2 - rp, ylo, yhi));
      const int j1 = std::min(yhi, round_cut(sy2 + rp, ylo, yhi));
      for (int j = j0; j <= j1; j++) {
        const double q = rp * rp - (j - sy2) * (j - sy2);
        if (!(q > 0)) continue;
        const double w = std::sqrt(q);
        const int k0 = std::max(round_cut(sx2 - w, xlo, xhi), xlo);
        const int k1 = std::min(round_cut(sx2 + w, xlo, xhi), xhi);
        uint32_t& rnd = row_rnd[cy + j];
        int64_t cell = (int64_t)(cy + j) * stride + cx + k0;
        for (int kk = k0; kk <= k1; kk++, cell++) {
          if (!(Dbuffer[cell] > z)) continue;
          if (A[cell] < 0) {
            rnd = rnd * 1103515245u + 12345u;
            if (rnd & 0x10000u) A[cell] = -id;
          } else {
            A[cell] = -id;
            Dbuffer[cell] = z;
          }
        }
      }
    }
  }
}

void draw_triangles(int cx, int cy, int cols, int pass, int ys, int ye, TriList list) {
  int* Ab = pass ? A2buffer : Abuffer;
  for (int n = 0; n < list.count; n++) {
    const TriDraw& d = list.items[n];
    RowSpan rows;
    if (!band_rows(d.ymin, d.ymax, cy, ys, ye, &rows)) continue;
    const int *xs = d.x, *yv = d.y;
    const float* zs = d.z;
    polygon_spans(xs, yv, 3, cx, cy, rows);
    const int id = 3 * d.t + 1;
    const float znear = std::min({zs[0], zs[1], zs[2]});
    for (int Y = rows.first; Y <= rows.last; Y++) {
      const int* sp = spans + 2 * Y;
      const int x0 = std::max(cx + sp[0], 0), x1 = std::min(cx + sp[1], cols - 1);
      int64_t cell = (int64_t)Y * Axres + x0;
      for (int X = x0; X <= x1; X++, cell++) {
        if (Dbuffer[cell] < znear) continue;  // the cell's object is nearer than any of ours
        const float da = cell_distance(X, Y, cx + xs[0], cy + yv[0]);
        const float db = cell_distance(X, Y, cx + xs[1], cy + yv[1]);
        const float dc = cell_distance(X, Y, cx + xs[2], cy + yv[2]);
        const float S = da + db + dc;
        const float z =
            S > 0 ? 0.5f * ((1 - da / S) * zs[0] + (1 - db / S) * zs[1] + (1 - dc / S) * zs[2])
                  : (zs[0] + zs[1] + zs[2]) / 3;
        if (takes(z, id, Dbuffer[cell], Ab[cell])) Dbuffer[cell] = z, Ab[cell] = id;
      }
    }
  }
}

void draw_quads(int cx, int cy, int cols, int pass, int ys, int ye) {
  int* Ab = pass ? A2buffer : Abuffer;
  const int nx = zmat_nx, ny = zmat_ny, runs = (nx - 2) / kRunQuads + 1;
  const int rlo = ys - cy, rhi = ye - 1 - cy;  // the rows relative to the centre
  auto reaches = [rlo, rhi](int lo, int hi) { return lo <= rhi && hi >= rlo; };
  for (int r = 1; r < ny; r++) {
    if (!reaches(quad_rows[2 * r], quad_rows[2 * r + 1])) continue;
    const RowRange* run_range = run_rows + (int64_t)r * runs;
    for (int col = 0; col < nx - 1; col++) {
      if (col % kRunQuads == 0 &&
          !reaches(run_range[col / kRunQuads].lo, run_range[col / kRunQuads].hi)) {
        col += kRunQuads - 1;
        continue;
      }
      // A quad is drawn only when its four corners are shown (else its range is empty); its
      // neighbours do not depend on it.
      const int A = (r - 1) * nx + col, B = r * nx + col, C = A + 1, D = B + 1;
      if (!reaches(quad_cell_rows[A].lo, quad_cell_rows[A].hi)) continue;
      // Corners in outline order A, C, D, B.
      const int ids[4] = {A, C, D, B};
      int xs[4], yv[4];
      float zs[4];
      for (int q = 0; q < 4; q++) {
        xs[q] = vertex_cell(at[ids[q]].sx), yv[q] = vertex_cell(at[ids[q]].sy);
        zs[q] = at[ids[q]].d;
      }
      const int ymin = std::min({yv[0], yv[1], yv[2], yv[3]});
      const int ymax = std::max({yv[0], yv[1], yv[2], yv[3]});
      RowSpan rows;
      if (!band_rows(ymin, ymax, cy, ys, ye, &rows)) continue;
      polygon_spans(xs, yv, 4, cx, cy, rows);
      const float zA = zs[0], zC = zs[1], zD = zs[2], zB = zs[3];
      const float zmin = std::min({zA, zB, zC, zD});
      const float zsmall = (zA + zB + zC + zD + 12 * zmin) / 16;
      // Nearest and farthest corner: A and C first (A when equal), then B, then D.
      int near = 0, far = 1;
      if (zC < zA) near = 1, far = 0;
      if (zB < zs[near])
        near = 3;
      else if (zB > zs[far])
        far = 3;
      if (zD < zs[near])
        near = 2;
      else if (zD > zs[far])
        far = 2;
      const int id = A + 1;
      const bool small_box = ymax - ymin <= 15;
      for (int Y = rows.first; Y <= rows.last; Y++) {
        const int* sp = spans + 2 * Y;
        const int x0 = std::max(cx + sp[0], 0), x1 = std::min(cx + sp[1], cols - 1);
        const bool small = small_box && x1 - x0 <= 15;
        int64_t cell = (int64_t)Y * Axres + x0;
        for (int X = x0; X <= x1; X++, cell++) {
          if (Dbuffer[cell] < zmin) continue;  // every depth of the quad lies at zmin or beyond
          float z;
          if (small) {
            z = zsmall;
          } else {
            float dist[4];
            for (int q = 0; q < 4; q++) dist[q] = cell_distance(X, Y, cx + xs[q], cy + yv[q]);
            const float S = dist[0] + dist[1] + dist[2] + dist[3];
            if (S <= 10) {
              z = zA;
            } else {
              // Corners tested in the order A, C, B, D.
              static const int order[4] = {0, 1, 3, 2};
              int hit = -1;
              for (int q : order)
                if (dist[q] < S / 16) {
                  hit = q;
                  break;
                }
              if (hit >= 0) {
                z = zs[hit];
              } else {
                const float dn = dist[near], df = dist[far];
                z = dn + df == 0 ? zA : (df * zs[near] + dn * zs[far]) / (dn + df);
              }
            }
          }
          if (z < Dbuffer[cell]) Dbuffer[cell] = z, Ab[cell] = id;
        }
      }
    }
  }
}

void virt_draw_line(int x0, int y0, int x1, int y1, int* sp) {
  walk_edge(x0, y0, x1, y1, sp, std::min(y0, y1) < 0 ? std::min(y0, y1) : 0, std::max(y0, y1));
}

int get_obj_clip_int(int x, int y, int second) {
  if (!Abuffer || Axres <= 0 || Ayres <= 0) return 0;
  x = std::max(0, std::min(x, Axres - 1));
  y = std::max(0, std::min(y, Ayres - 1));
  return (second ? A2buffer : Abuffer)[(int64_t)y * Axres + x];
}

void set_obj_int(int x, int y, int second, int id) {
  if (!Abuffer || x < 0 || y < 0 || x >= Axres || y >= Ayres) return;
  (second ? A2buffer : Abuffer)[(int64_t)y * Axres + x] = id;
}

}  // namespace scene3d
