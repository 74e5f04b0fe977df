// The bond list operations (kept in ascending order of the lower index), the cell list over the
// scene points and bond perception from distances and elements.
#pragma once
#include <cstdint>

namespace scene3d {

// Most bonds the list may hold; growth beyond fails (the bond is dropped).
constexpr int kMaxBonds = 64 * 1024 * 1024;

// Appends the bond (first, second) without looking for a duplicate; with keep_order it goes
// after the last bond whose lower index is not above first, so the list stays in order. The list
// first holds 2048 bonds and grows by 8192. Nothing is stored when it cannot grow.
void AddBond_nc(int first, int second, int keep_order);
// Adds (min(a, b), max(a, b)) in order unless present (equal ends are refused); with toggle a
// bond already present is removed instead. 1 when added.
int AddBond(int a, int b, int toggle);
// Sorts the bonds start .. end - 1 by their lower index (then the higher one).
void sort_bonds(int start, int end);
// 1 when points a and b (counted from 1) are implausible as a bond: closer than 0.1 or farther
// than 3 apart, or not both in the store.
int test_bond(int a, int b);

// The cell list (bonds.h: cells, Mx, My, Mz, M_xyz, cut, x_min .. z_max) over all points with
// the cell edge sqrt(edge2). 0, or -1 when the block cannot be allocated. A scene spread so
// widely that the cells would outnumber the points by far gets larger cells: a neighbour search
// still only needs the adjacent cells.
int build_list(float edge2);
int which_cell(int ix, int iy, int iz);
void close_list();

// Perceives the bonds among the points from index `first` up and adds those not yet in the list,
// then sorts the list. A pair bonds by its squared distance d2 and the two elements (the ordinal
// of a flagged point counts as its element): never when both are beyond Cl, nor unless
// 0.2 < d2 <= 4.7; two hydrogens only up to 1.2; any pair below 2.56, or with S or Cl; up to 3.8
// with N or V; else up to 3.4, and 3.0 with H.
void find_bonds(int first);

// The rule above for one pair of ordinals (signs ignored) at the squared distance d2.
bool bond_rule(int p, int q, double d2);

}  // namespace scene3d
