#include "scene3d/draw_order.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/bands.h"
#include "scene3d/frame_state.h"
#include "scene3d/project.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"

namespace scene3d {

int draw_in_index_order = 0;

namespace {

// Working storage of the ordering, through scratch_room: each block beside the items it has room
// for, grown when a frame needs more and refilled by every frame.
//
// The drawing order: draw_order_count object indices.
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
// The triangles in drawing order, when the last ordering was of triangles (else none).
TriDraw* tri_draw = nullptr;
int64_t tri_draw_alloc = 0;
int tri_draw_count = 0;
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

}  // namespace

int order_prepare(int objects, bool triangles, int rows) {
  // A block that is replaced holds nothing of the last frame: nothing may read the old order.
  if (objects > draw_order_alloc) draw_order_count = 0;
  if (triangles && objects > tri_draw_alloc) tri_draw_count = 0;
  if (!scratch_room(draw_order, draw_order_alloc, objects) ||
      !scratch_room(order_key, order_key_alloc, objects) ||
      (triangles && !scratch_room(tri_draw, tri_draw_alloc, objects)))
    return 1;
  const int64_t starts = (int64_t)chunk_count(rows) + 1;
  if (starts > tri_chunk_start_alloc || starts > tri_part_entries_alloc) tri_chunks = 0;
  if (!scratch_room(tri_chunk_start, tri_chunk_start_alloc, starts) ||
      !scratch_room(tri_part_entries, tri_part_entries_alloc, starts, kOrderParts))
    return 1;
  return 0;
}

void order_spheres() {
  bool any_cut = false;
  for (int i = 0; i < n_atoms && !any_cut; i++)
    any_cut = at[i].vis > 0 && at[i].d - camera_pos < ClipDist;
  tri_draw_count = 0;
  order_objects(n_atoms, any_cut || draw_in_index_order, sphere_nearest, sphere_drawable);
}

void order_triangles(int cx, int cy, int cols, int rows) {
  const int cores = frame_bands(), chunks = chunk_count(rows);
  order_objects(n_atoms / 3, draw_in_index_order, triangle_nearest, triangle_drawable);
  tri_draw_count = draw_order_count;
  tri_chunks = 0;
  const bool bucket = chunks + 1 <= tri_chunk_start_alloc && chunks + 1 <= tri_part_entries_alloc;
  // A triangle wholly outside the frame's columns or rows draws no cell: no chunk lists it.
  auto chunk_span = [cx, cy, cols, rows](const TriDraw& d, int* c0, int* c1) {
    const int first = std::max(cy + d.ymin, 0), last = std::min(cy + d.ymax, rows - 1);
    const int xmin = std::min({d.x[0], d.x[1], d.x[2]}), xmax = std::max({d.x[0], d.x[1], d.x[2]});
    if (first > last || cx + xmax < 0 || cx + xmin > cols - 1) return false;
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

Order drawing_order() { return {draw_order, draw_order_count}; }

TriList all_triangles() { return {tri_draw, tri_draw_count}; }

TriList chunk_triangles(int j) {
  if (j < 0 || j >= tri_chunks) return all_triangles();
  return {tri_chunk_item + tri_chunk_start[j], tri_chunk_start[j + 1] - tri_chunk_start[j]};
}

}  // namespace scene3d
