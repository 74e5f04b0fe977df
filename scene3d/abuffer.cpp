#include "scene3d/abuffer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/bands.h"
#include "scene3d/bonds.h"
#include "scene3d/frame.h"
#include "scene3d/project.h"
#include "scene3d/scene.h"

namespace scene3d {

int UseBall = 1;
int draw_in_index_order = 0;

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
// The order spheres and triangles are drawn in: nearest first, so that most hidden cells are
// passed over with one comparison. A cell keeps the nearest object and, among equally near ones,
// the lowest id, whatever the order: the frame is the same as when drawn in index order.
int* draw_order = nullptr;
int64_t draw_order_alloc = 0;
int draw_order_count = 0;
// The ordering is done in at most kOrderParts parts of the objects, in parallel: order_key holds
// each object's nearest depth (NaN when it cannot be drawn), order_counts a part's count per
// depth slice, then where its objects of that slice go.
constexpr int kOrderParts = 64, kSlices = 1024;
float* order_key = nullptr;
int64_t order_key_alloc = 0;
int order_counts[kOrderParts][kSlices];
float order_lo[kOrderParts], order_hi[kOrderParts];
// The triangles to draw in drawing order, with their vertex cells and depths, so that every band
// reads them in one sweep instead of gathering the points from all over the store.
struct TriDraw {
  int x[3], y[3];
  float z[3];
  int t, ymin, ymax;
};
TriDraw* tri_draw = nullptr;
int64_t tri_draw_alloc = 0;
// The triangles of each chunk of rows, copied from tri_draw in drawing order, so that a chunk
// reads its own in one sweep: chunk j from tri_chunk_start[j] to tri_chunk_start[j + 1]. When
// there is no room for them (tri_chunks 0), every chunk looks at all triangles.
TriDraw* tri_chunk_item = nullptr;
int64_t tri_chunk_item_alloc = 0;
int* tri_chunk_start = nullptr;
int64_t tri_chunk_start_alloc = 0;
int tri_chunks = 0;
// Per part of the drawing order, the entries it adds to each chunk's list, then where they go:
// kOrderParts rows of tri_part_entries_alloc.
int* tri_part_entries = nullptr;
int64_t tri_part_entries_alloc = 0;

int chunk_count(int rows) { return rows > 0 ? (rows - 1) / kChunkRows + 1 : 0; }

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

// A grid or mesh vertex cell: the biased screen position truncated, less the bias.
int vertex_cell(float biased) { return (int)biased - 10000; }

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

void clear_rows(int ys, int ye) {
  const int64_t a = (int64_t)ys * Axres, b = (int64_t)ye * Axres;
  memset(Abuffer + a, 0, (size_t)(b - a) * sizeof(int));
  std::fill(Dbuffer + a, Dbuffer + b, 1e19f);
  for (int y = ys; y < ye; y++) row_rnd[y] = (uint32_t)y + 1;
}

// Grid rows of quads a chunk of quad_pass takes.
constexpr int kGridRowChunk = 16;

// The facing value of every quad that can be drawn, in the charge entry of its corner C, and
// the cell rows each grid row, run and quad covers, for the quads of grid rows r0 .. r1 - 1 (row
// r joins grid lines r - 1 and r). A degenerate quad takes the facing value of the previous quad
// of its grid row.
void quad_pass(int r0, int r1) {
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

// The parts of n objects the ordering steps take: at least 16384 objects each.
int order_part_size(int n) { return std::max(16384, (n + kOrderParts - 1) / kOrderParts); }

// Orders the objects by the nearest depth they can show (counting sort over 1024 slices of the
// depth range, index order within a slice), or leaves index order when `keep_index_order`.
// Objects that cannot be drawn are left out. The parts are counted and placed in parallel; the
// order is that of one pass over all objects.
void order_objects(int n, bool keep_index_order, float (*nearest)(int), bool (*drawable)(int)) {
  const int size = order_part_size(n), parts = n > 0 ? (n - 1) / size + 1 : 0;
  const int cores = frame_bands();
  run_parts(n, size, cores, [&](int p, int i0, int i1) {
    float lo = 1e30f, hi = -1e30f;
    for (int i = i0; i < i1; i++) {
      float key = NAN;
      if (drawable(i)) key = nearest(i), lo = std::min(lo, key), hi = std::max(hi, key);
      order_key[i] = key;
    }
    order_lo[p] = lo, order_hi[p] = hi;
  });
  float lo = 1e30f, hi = -1e30f;
  for (int p = 0; p < parts; p++) lo = std::min(lo, order_lo[p]), hi = std::max(hi, order_hi[p]);
  // In double: with coordinates near the float range the depth span itself may not be a float.
  const double scale = !keep_index_order && hi > lo ? (kSlices - 1) / ((double)hi - lo) : 0;
  auto slice = [lo, scale](float key) {
    const double k = ((double)key - lo) * scale;
    return k > 0 ? std::min((int)k, kSlices - 1) : 0;
  };
  run_parts(n, size, cores, [&](int p, int i0, int i1) {
    int* count = order_counts[p];
    std::fill(count, count + kSlices, 0);
    for (int i = i0; i < i1; i++)
      if (!std::isnan(order_key[i])) count[slice(order_key[i])]++;
  });
  int placed = 0;
  for (int k = 0; k < kSlices; k++)
    for (int p = 0; p < parts; p++) {
      const int c = order_counts[p][k];
      order_counts[p][k] = placed;
      placed += c;
    }
  run_parts(n, size, cores, [&](int p, int i0, int i1) {
    int* next = order_counts[p];
    for (int i = i0; i < i1; i++)
      if (!std::isnan(order_key[i])) draw_order[next[slice(order_key[i])]++] = i;
  });
  draw_order_count = placed;
}

float sphere_nearest(int i) { return at[i].d - at[i].rad; }
bool sphere_drawable(int i) { return at[i].vis > 0 && std::isfinite(at[i].d - at[i].rad); }
float triangle_nearest(int t) { return std::min({at[3 * t].d, at[3 * t + 1].d, at[3 * t + 2].d}); }
bool triangle_drawable(int t) {
  return at[3 * t].vis && at[3 * t + 1].vis && at[3 * t + 2].vis &&
         std::isfinite(triangle_nearest(t));
}

// A cell takes an object that is nearer, or as near with a lower id.
inline bool takes(float z, int id, float stored_z, int stored_id) {
  return z < stored_z || (z == stored_z && id < stored_id);
}

bool quads_fit() { return zmat_nx >= 2 && zmat_ny >= 2 && (int64_t)zmat_nx * zmat_ny <= n_atoms; }

}  // namespace

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
  const int objects = show_surface ? 0 : show_triangles ? n_atoms / 3 : n_atoms;
  const bool triangles = show_triangles && !show_surface;
  // A block that is replaced holds nothing of the last frame: nothing may read the old order.
  if (objects > draw_order_alloc || (triangles && objects > tri_draw_alloc)) draw_order_count = 0;
  if (!scratch_room(draw_order, draw_order_alloc, objects) ||
      !scratch_room(order_key, order_key_alloc, objects) ||
      (triangles && !scratch_room(tri_draw, tri_draw_alloc, objects)))
    return 1;
  const int64_t starts = (int64_t)chunk_count(rows) + 1;
  if (starts > tri_chunk_start_alloc || starts > tri_part_entries_alloc) tri_chunks = 0;
  if (!scratch_room(spans, spans_alloc, rows, 2) || !scratch_room(row_rnd, row_rnd_alloc, rows) ||
      !scratch_room(tri_chunk_start, tri_chunk_start_alloc, starts) ||
      !scratch_room(tri_part_entries, tri_part_entries_alloc, starts, kOrderParts))
    return 1;
  return 0;
}

void virt_draw_line(int x0, int y0, int x1, int y1, int* sp) {
  walk_edge(x0, y0, x1, y1, sp, std::min(y0, y1) < 0 ? std::min(y0, y1) : 0, std::max(y0, y1));
}

namespace {

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

// The drawers of cell rows ys .. ye - 1: every object that reaches them, in drawing order.
void particles_rows(int cx, int cy, int stride, int pass, int ys, int ye) {
  if (ys >= ye) return;
  int* A = pass ? A2buffer : Abuffer;
  const int xlo = -cx, xhi = stride - 1 - cx;  // columns relative to the centre
  const int ylo = ys - cy, yhi = ye - 1 - cy;  // the band's rows relative to the centre
  for (int o = 0; o < draw_order_count; o++) {
    const int i = draw_order[o];
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

void triangles_rows(int cx, int cy, int pass, int ys, int ye, const TriDraw* items, int count) {
  int* Ab = pass ? A2buffer : Abuffer;
  for (int n = 0; n < count; n++) {
    const TriDraw& d = items[n];
    RowSpan rows;
    if (!band_rows(d.ymin, d.ymax, cy, ys, ye, &rows)) continue;
    const int *xs = d.x, *yv = d.y;
    const float* zs = d.z;
    polygon_spans(xs, yv, 3, cx, cy, rows);
    const int id = 3 * d.t + 1;
    const float znear = std::min({zs[0], zs[1], zs[2]});
    for (int Y = rows.first; Y <= rows.last; Y++) {
      const int* sp = spans + 2 * Y;
      const int x0 = std::max(cx + sp[0], 0), x1 = std::min(cx + sp[1], use_x - 1);
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

// Rows ys .. ye - 1, at most kChunkRows of them (so that every range of rows that can reach
// them is far inside 16 bits).
void quads_rows(int cx, int cy, int pass, int ys, int ye) {
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
        const int x0 = std::max(cx + sp[0], 0), x1 = std::min(cx + sp[1], use_x - 1);
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

// The triangles in drawing order, with their cells, and the chunks of rows each reaches.
void prepare_triangles(int cx, int cy, int chunks) {
  const int n = n_atoms / 3, cores = frame_bands();
  if (have_charges)
    run_parts(n, kPointChunk, cores, [](int, int t0, int t1) {
      for (int t = t0; t < t1; t++)
        if (at[3 * t].vis && at[3 * t + 1].vis && at[3 * t + 2].vis && 3 * t + 1 < alloc_charge)
          charge[3 * t + 1] = 0;
    });
  order_objects(n, draw_in_index_order, triangle_nearest, triangle_drawable);
  tri_chunks = 0;
  const bool bucket = chunks + 1 <= tri_chunk_start_alloc && chunks + 1 <= tri_part_entries_alloc;
  // A triangle wholly outside the frame's columns or rows draws no cell: no chunk lists it.
  auto chunk_span = [cx, cy](const TriDraw& d, int* c0, int* c1) {
    const int first = std::max(cy + d.ymin, 0), last = std::min(cy + d.ymax, use_y - 1);
    const int xmin = std::min({d.x[0], d.x[1], d.x[2]}), xmax = std::max({d.x[0], d.x[1], d.x[2]});
    if (first > last || cx + xmax < 0 || cx + xmin > use_x - 1) return false;
    *c0 = first / kChunkRows, *c1 = last / kChunkRows;
    return true;
  };
  // The drawing order in parts, as the ordering took the objects: each part fills its triangles'
  // entries and counts what it adds to each chunk's list.
  const int size = order_part_size(draw_order_count);
  const int parts = draw_order_count > 0 ? (draw_order_count - 1) / size + 1 : 0;
  run_parts(draw_order_count, size, cores, [&](int p, int o0, int o1) {
    int* adds = tri_part_entries + p * tri_part_entries_alloc;
    if (bucket) std::fill(adds, adds + chunks, 0);
    for (int o = o0; o < o1; o++) {
      TriDraw& d = tri_draw[o];
      d.t = draw_order[o];
      for (int q = 0; q < 3; q++) {
        const render_rec& a = at[3 * d.t + q];
        d.x[q] = vertex_cell(a.sx), d.y[q] = vertex_cell(a.sy), d.z[q] = a.d;
      }
      d.ymin = std::min({d.y[0], d.y[1], d.y[2]}), d.ymax = std::max({d.y[0], d.y[1], d.y[2]});
      int c0, c1;
      if (bucket && chunk_span(d, &c0, &c1))
        for (int j = c0; j <= c1; j++) adds[j]++;
    }
  });
  if (!bucket) return;
  int64_t entries = 0;
  for (int j = 0; j < chunks; j++) {
    tri_chunk_start[j] = (int)std::min<int64_t>(entries, INT32_MAX);
    for (int p = 0; p < parts; p++) {
      int& adds = tri_part_entries[p * tri_part_entries_alloc + j];
      const int c = adds;
      adds = (int)std::min<int64_t>(entries, INT32_MAX);
      entries += c;
    }
  }
  tri_chunk_start[chunks] = (int)std::min<int64_t>(entries, INT32_MAX);
  // Triangles that each reach many chunks would make the lists far longer than the one list
  // every chunk can go through instead: slower, the same frame. So would a failed allocation.
  if (entries > 4 * (int64_t)draw_order_count + 4096) return;
  if (!scratch_room(tri_chunk_item, tri_chunk_item_alloc, entries)) return;
  run_parts(draw_order_count, size, cores, [&](int p, int o0, int o1) {
    int* next = tri_part_entries + p * tri_part_entries_alloc;
    for (int o = o0; o < o1; o++) {
      int c0, c1;
      if (chunk_span(tri_draw[o], &c0, &c1))
        for (int j = c0; j <= c1; j++) tri_chunk_item[next[j]++] = tri_draw[o];
    }
  });
  tri_chunks = chunks;
}

// Clears and draws the rows of chunk j.
void draw_chunk(int j, int pass) {
  const int ys = j * kChunkRows, ye = std::min(use_y, ys + kChunkRows);
  clear_rows(ys, ye);
  const int cx = xcenter + dispX, cy = ycenter + dispY;
  if (show_surface) {
    if (isXYZ2d_mat && quads_fit() && quad_scratch_ready()) quads_rows(cx, cy, pass, ys, ye);
  } else if (show_triangles) {
    if (tri_chunks > j)
      triangles_rows(cx, cy, pass, ys, ye, tri_chunk_item + tri_chunk_start[j],
                     tri_chunk_start[j + 1] - tri_chunk_start[j]);
    else
      triangles_rows(cx, cy, pass, ys, ye, tri_draw, draw_order_count);
  } else if (UseBall) {
    particles_rows(cx, cy, Axres, pass, ys, ye);
  }
}

}  // namespace

void abuf_mt(int pass) { draw_frame(pass, false, nullptr, nullptr); }

void draw_frame(int pass, bool rotate, const std::function<void(int, int)>& after_points,
                const std::function<void(int, int)>& after_rows) {
  const int cores = frame_bands(), chunks = chunk_count(use_y);
  run_parts(n_atoms, kPointChunk, cores, [rotate, &after_points](int, int lo, int hi) {
    if (rotate) rotate_points(lo, hi);
    project_points(lo, hi);
    if (after_points) after_points(lo, hi);
  });
  // What the chunks share is settled before they start: the charge list exists for all points,
  // and the quads' facing values and the triangles' entries are written once.
  if (show_surface && isXYZ2d_mat && quads_fit()) {
    if (quad_scratch_ready())
      // Grid row r joins grid lines r - 1 and r: rows 1 .. zmat_ny - 1.
      run_parts(zmat_ny - 1, kGridRowChunk, cores,
                [](int, int lo, int hi) { quad_pass(lo + 1, hi + 1); });
  } else if (show_triangles && !show_surface) {
    prepare_triangles(xcenter + dispX, ycenter + dispY, chunks);
  } else if (!show_surface) {
    // Overlapping cut faces pick by the rows' generators in drawing order: with any cut face in
    // the frame the spheres are drawn in index order.
    bool any_cut = false;
    for (int i = 0; i < n_atoms && !any_cut; i++)
      any_cut = at[i].vis > 0 && at[i].d - camera_pos < ClipDist;
    order_objects(n_atoms, any_cut || draw_in_index_order, sphere_nearest, sphere_drawable);
  }
  // Drawing costs by the cells covered more than by the objects: it always takes the wide split.
  run_parts(use_y, kChunkRows, cores, [pass, &after_rows](int j, int y0, int y1) {
    draw_chunk(j, pass);
    if (after_rows) after_rows(y0, y1);
  });
}

int abuf_mult_thread(void* param) {
  const band_params* p = (const band_params*)param;
  int ys, ye;
  band_range(use_y, p->k, p->c, &ys, &ye);
  clear_rows(ys, ye);
  const int cx = xcenter + dispX, cy = ycenter + dispY;
  if (show_surface) {
    if (isXYZ2d_mat && quads_fit() && quad_scratch_ready())
      DrawAbuf_quads(cx, cy, p->pass, p->k, p->c);
  } else if (show_triangles) {
    DrawAbuf_triangles(cx, cy, p->pass, p->k, p->c);
  } else if (UseBall) {
    DrawAbuf_particles(cx, cy, Axres, p->pass, p->k, p->c);
  }
  return 0;
}

void DrawAbuf_particles(int cx, int cy, int stride, int pass, int k, int c) {
  int ys, ye;
  band_range(use_y, k, c, &ys, &ye);
  particles_rows(cx, cy, stride, pass, ys, ye);
}

void DrawAbuf_triangles(int cx, int cy, int pass, int k, int c) {
  int ys, ye;
  band_range(use_y, k, c, &ys, &ye);
  triangles_rows(cx, cy, pass, ys, ye, tri_draw, draw_order_count);
}

void DrawAbuf_quads(int cx, int cy, int pass, int k, int c) {
  int ys, ye;
  band_range(use_y, k, c, &ys, &ye);
  for (int y = ys; y < ye; y += kChunkRows)
    quads_rows(cx, cy, pass, y, std::min(ye, y + kChunkRows));
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
