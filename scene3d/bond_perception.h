// The bond list operations (kept in ascending order of the lower index) and bond perception from
// distances and elements, over the cell list of cell_list.h.
#pragma once
#include <cstdint>

namespace scene3d {

// Most bonds the list may hold; growth beyond fails (the bond is dropped).
constexpr int kMaxBonds = 64 * 1024 * 1024;

// Bond perception stops once the list holds this many bonds a point, so that a file whose points
// are packed closer than chemistry allows cannot fill memory with bonds. A molecule has about one
// bond a point, but the models of an NMR ensemble lie over each other and bond across too: about
// 1.2 a point for each model (12 in a ten-model file), so this leaves room for fifty models.
constexpr int kBondsPerPoint = 64;

// Points a cell of the search (edge sqrt(4.7)) may hold for its points to be searched. Points
// more than sqrt(0.2) apart fill such a cell with about 110 at most; overlaid models of an NMR
// ensemble multiply that by their count, so the bound leaves room for a hundred of them.
constexpr int kMostPointsInCell = 512;

// What the last bond perception left undone: the points (from `first` up) of cells more crowded
// than kMostPointsInCell, which got no perceived bonds, and 1 when it stopped at the bound of
// kBondsPerPoint bonds a point.
extern int crowded_points;
extern int bond_bound_reached;

// Appends the bond (first, second) without looking for a duplicate; with keep_order it goes
// after the last bond whose lower index is not above first, so the list stays in order. The list
// first holds 2048 bonds and grows by 8192, then by half its size each time. Nothing is stored
// when it cannot grow.
void AddBond_nc(int first, int second, int keep_order);
// Adds (min(a, b), max(a, b)) in order unless present (equal ends are refused); with toggle a
// bond already present is removed instead. 1 when added.
int AddBond(int a, int b, int toggle);
// Sorts the bonds start .. end - 1 by their lower index (then the higher one).
void sort_bonds(int start, int end);
// 1 when points a and b (counted from 1) are implausible as a bond: closer than 0.1 or farther
// than 3 apart, or not both in the store.
int test_bond(int a, int b);

// Perceives the bonds among the points from index `first` up and adds those not yet in the list,
// then sorts the list. Crowded cells are passed over and the search stops at the bound above
// (crowded_points, bond_bound_reached). A pair bonds by its squared distance d2 and the two
// elements (the ordinal of a flagged point counts as its element): never when both are beyond Cl,
// nor unless 0.2 < d2 <= 4.7; two hydrogens only up to 1.2; any pair below 2.56, or with S or Cl;
// up to 3.8 with N or V; else up to 3.4, and 3.0 with H.
void find_bonds(int first);

// The rule above for one pair of ordinals (signs ignored) at the squared distance d2.
bool bond_rule(int p, int q, double d2);

}  // namespace scene3d
