#include "scene3d/bond_perception.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "scene3d/cell_list.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"

namespace scene3d {

int crowded_points = 0;
int bond_bound_reached = 0;

namespace {

// Makes the bond list hold at least `need` records: 2048 at first, then 8192 more; past those
// steps half its size more, so that a long list is not copied once every 8192 bonds. need + 1024
// when that is not enough. False when it cannot (the list stays as it was).
bool grow_bonds(int64_t need) {
  if (need <= max_bonds) return true;
  if (need > kMaxBonds) return false;
  int64_t cap = max_bonds == 0            ? 2048
                : max_bonds < 2048 + 8192 ? (int64_t)max_bonds + 8192
                                          : (int64_t)max_bonds + max_bonds / 2;
  if (cap < need) cap = need + 1024;
  if (cap > kMaxBonds) cap = kMaxBonds;
  bond_rec* p = (bond_rec*)scene_malloc((uint64_t)cap * sizeof(bond_rec));
  if (!p) return false;
  if (n_bonds > 0) memcpy(p, bond, (size_t)n_bonds * sizeof(bond_rec));
  free(bond);
  bond = p;
  max_bonds = (int)cap;
  return true;
}

bool by_lo(const bond_rec& a, int lo) { return a.lo < lo; }
bool lo_before(int lo, const bond_rec& a) { return lo < a.lo; }

int abs_ord(int i) { return at_el[i] < 0 ? -at_el[i] : at_el[i]; }

}  // namespace

void AddBond_nc(int first, int second, int keep_order) {
  if (!grow_bonds((int64_t)n_bonds + 1)) return;
  if (keep_order && n_bonds > 0 && first < bond[n_bonds - 1].lo) {
    int p = (int)(std::upper_bound(bond, bond + n_bonds, first, lo_before) - bond);
    memmove(bond + p + 1, bond + p, (size_t)(n_bonds - p) * sizeof(bond_rec));
    bond[p] = bond_rec{first, second};
  } else {
    bond[n_bonds] = bond_rec{first, second};
  }
  n_bonds++;
}

int AddBond(int a, int b, int toggle) {
  if (a == b) return 0;
  int lo = std::min(a, b), hi = std::max(a, b);
  bond_rec* k = std::lower_bound(bond, bond + n_bonds, lo, by_lo);
  for (; k < bond + n_bonds && k->lo == lo; k++) {
    if (k->hi != hi) continue;
    if (toggle) {
      memmove(k, k + 1, (size_t)(bond + n_bonds - (k + 1)) * sizeof(bond_rec));
      n_bonds--;
    }
    return 0;
  }
  int before = n_bonds;
  AddBond_nc(lo, hi, 1);
  return n_bonds > before;
}

void sort_bonds(int start, int end) {
  if (start < 0) start = 0;
  if (end > n_bonds) end = n_bonds;
  if (end - start < 2) return;
  std::sort(bond + start, bond + end, [](const bond_rec& a, const bond_rec& b) {
    return a.lo != b.lo ? a.lo < b.lo : a.hi < b.hi;
  });
}

int test_bond(int a, int b) {
  if (a < 1 || b < 1 || a > n_atoms || b > n_atoms) return 1;
  const point3 &p = at_r[a - 1], &q = at_r[b - 1];
  double dx = (double)p.x - q.x, dy = (double)p.y - q.y, dz = (double)p.z - q.z;
  double d2 = dx * dx + dy * dy + dz * dz;
  return d2 < 0.01 || d2 > 9.0 || d2 != d2;
}

bool bond_rule(int p, int q, double d2) {
  p = p < 0 ? -p : p;
  q = q < 0 ? -q : q;
  if (p > 17 && q > 17) return false;
  if (!(d2 > 0.2 && d2 <= 4.7)) return false;
  if (p == 1 && q == 1 && d2 > 1.2) return false;
  if (d2 < 2.56 || p == 17 || q == 17 || p == 16 || q == 16) return true;
  if (p == 7 || q == 7 || p == 23 || q == 23) return d2 <= 3.8;
  return d2 <= 3.4 && (d2 <= 3.0 || (p != 1 && q != 1));
}

namespace {

// A point as the pair test reads it, kept with the other points of its cell.
struct Packed {
  float x, y, z;
  int index, ordinal, group;
};

bool pair_less(const bond_rec& a, const bond_rec& b) {
  return a.lo != b.lo ? a.lo < b.lo : a.hi < b.hi;
}

}  // namespace

void find_bonds(int first) {
  crowded_points = bond_bound_reached = 0;
  if (first < 0) first = 0;
  const float edge2 = 4.7f;
  if (build_list(edge2) != 0) return;
  // The bonds read from the file, in order: a pair found again is not added twice.
  int n_read = n_bonds;
  bond_rec* read = (bond_rec*)scene_malloc((uint64_t)(n_read > 0 ? n_read : 1) * sizeof(bond_rec));
  // The points cell by cell (start[c] .. start[c + 1] - 1 in packed), so that neighbours lie
  // together in memory.
  int* start = read ? (int*)scene_malloc(((uint64_t)M_xyz + 1) * sizeof(int)) : nullptr;
  Packed* packed =
      start ? (Packed*)scene_malloc((uint64_t)(n_atoms > 0 ? n_atoms : 1) * sizeof(Packed))
            : nullptr;
  if (!packed) {
    free(read);
    free(start);
    close_list();
    return;
  }
  if (n_read > 0) memcpy(read, bond, (size_t)n_read * sizeof(bond_rec));
  std::sort(read, read + n_read, pair_less);
  const int* next = cells + M_xyz;
  int k = 0;
  for (int c = 0; c < M_xyz; c++) {
    start[c] = k;
    for (int P = cells[c]; P >= 0; P = next[P])
      packed[k++] = Packed{at_r[P].x, at_r[P].y, at_r[P].z, P, abs_ord(P), get_group(P)};
  }
  start[M_xyz] = k;
  close_list();
  // A sparse scene's cells were widened: they may hold as many more points as they have room.
  const double widened = (double)cut * cut * cut / ((double)edge2 * std::sqrt((double)edge2));
  const double most = std::max(1.0, widened) * kMostPointsInCell;
  auto crowded = [&](int c) { return start[c + 1] - start[c] > most; };
  for (int c = 0; c < M_xyz; c++)
    if (crowded(c))
      for (int a = start[c]; a < start[c + 1]; a++) crowded_points += packed[a].index >= first;
  const int64_t bound = std::min<int64_t>(kMaxBonds, (int64_t)kBondsPerPoint * n_atoms);

  static const int stencil[14][3] = {
      {0, 0, 0},  {1, 0, 0},  {1, 1, 0},   {0, 1, 0},   {-1, 1, 0},   {0, 0, -1},  {1, 0, -1},
      {1, 1, -1}, {0, 1, -1}, {-1, 1, -1}, {-1, 0, -1}, {-1, -1, -1}, {0, -1, -1}, {1, -1, -1}};
  bool added = false;
  // In the order the cells lie in memory (y fastest); the list is sorted at the end anyway.
  for (int ix = 0; ix < Mx && !bond_bound_reached; ix++)
    for (int iz = 0; iz < Mz && !bond_bound_reached; iz++)
      for (int iy = 0; iy < My && !bond_bound_reached; iy++) {
        int c = which_cell(ix, iy, iz);
        if (crowded(c)) continue;
        for (int a = start[c]; a < start[c + 1] && !bond_bound_reached; a++) {
          const Packed p = packed[a];
          if (p.index < first) continue;
          for (int s = 0; s < 14 && !bond_bound_reached; s++) {
            int jx = ix + stencil[s][0], jy = iy + stencil[s][1], jz = iz + stencil[s][2];
            if (jx < 0 || jy < 0 || jz < 0 || jx >= Mx || jy >= My || jz >= Mz) continue;
            int c2 = which_cell(jx, jy, jz);
            if (crowded(c2)) continue;
            // In the point's own cell each pair once.
            for (int b = s == 0 ? a + 1 : start[c2]; b < start[c2 + 1]; b++) {
              const Packed& q = packed[b];
              if (q.index < first || q.group != p.group) continue;
              double dx = (double)p.x - q.x, dy = (double)p.y - q.y, dz = (double)p.z - q.z;
              if (!bond_rule(p.ordinal, q.ordinal, dx * dx + dy * dy + dz * dz)) continue;
              bond_rec pair{std::min(p.index, q.index), std::max(p.index, q.index)};
              if (n_read > 0 && std::binary_search(read, read + n_read, pair, pair_less)) continue;
              if (n_bonds >= bound) {
                bond_bound_reached = 1;
                break;
              }
              if (!grow_bonds((int64_t)n_bonds + 1)) continue;
              bond[n_bonds++] = pair;
              added = true;
            }
          }
        }
      }
  free(read);
  free(start);
  free(packed);
  if (added) sort_bonds(0, n_bonds);
}

}  // namespace scene3d
