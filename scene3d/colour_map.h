// The colour map: RGB entries in fixed ranges (basic colours, elements, special colours, the ramp
// that each ramp scheme rewrites, groups, amino acids, residues, colours added by files), and its
// float copy that the shading reads. Built once by InitColorMap; lives for the whole process.
#pragma once
#include <cstdint>

namespace scene3d {

// Three bytes (CMap) and three floats, byte x 0.004f (CMap_f), per entry; CMapSize entries in
// use, CMapAlloc allocated.
extern uint8_t* CMap;
extern float* CMap_f;
extern int CMapSize, CMapAlloc;
extern int nUser;

// Range starts: elements 15 (entry 15 + ordinal), special 119 (the flagged colour) and 120, ramp
// 135 (256 entries), groups 391, amino 647, shapely 660, user colours from 691.
extern int startElem, startSpec, startCharge, startGroup, startAmino, startShapely, startUser;

extern const uint8_t ElemRGBback[104][3];
extern const int8_t amino_tab[31];

// Builds the map (692 entries) and restores the element radii. 0, or 1 when the map cannot be
// allocated (then there is none).
int InitColorMap();
// CMap_f = CMap x 0.004f over the entries in use.
void update_cmap_f();
void RecalcGroup();
// Appends a user colour (each channel's low 8 bits) and returns its entry. A colour that the
// map cannot hold (no memory, or beyond the 16-bit entry numbers) gets entry 0, black.
int AddColor(int r, int g, int b);
void default_colors();
// Drops the user colours (the allocation is kept).
void ClearColor();

// The colour map as a whole, for the shared opener to keep the shown scene's colours while a new
// scene is read.
struct ColourMapState {
  uint8_t* CMap = nullptr;
  float* CMap_f = nullptr;
  int CMapSize = 0, CMapAlloc = 0, nUser = 0;
};
// A copy of the map (CMap null when memory is short).
ColourMapState colour_map_copy();
// Frees the current map and moves s in.
void colour_map_put(ColourMapState& s);
void colour_map_free(ColourMapState& s);

}  // namespace scene3d
