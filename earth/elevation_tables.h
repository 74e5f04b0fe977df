// The shapes and places of the embedded elevation tables, as lists that the generator, the
// assembler stub (data/elevation.S) and the look-ups all expand, so that a table's size and
// corner are written once.
//
// ELEV_REGIONAL_GRIDS: X(name, west edge deg E, north edge deg, samples a degree); a grid is
//   50 k rows (row 0 at the north edge) by 40 k columns (column 0 at the west edge), no closing
//   edge sample. The order is the order of the tables in elev_regional.bin.
// ELEV_TILES75: X(name, south edge deg, west edge deg E); 76 x 76 samples at 1/75 degree, row 0
//   at the south edge, both edges included. Grouped by latitude, north first.
// ELEV_TILES15: X(name, table, lat from, lat to, lon from, lon to, south edge, west edge); 76 x 76
//   samples at 0.2 degree from the south-west corner, row 0 south. The windows (degrees, both
//   ends inclusive, longitudes east) are tried in this order.
#pragma once

#define ELEV_REGIONAL_GRIDS(X) \
  X(n90_e20, 20, 90, 15) X(n40_e20, 20, 40, 15) X(s10_e20, 20, -10, 15) \
  X(n90_e60, 60, 90, 15) X(n40_e60, 60, 40, 20) \
  X(n90_e100, 100, 90, 15) X(n40_e100, 100, 40, 20) X(s10_e100, 100, -10, 15) \
  X(n90_e140, 140, 90, 20) X(n40_e140, 140, 40, 20) X(s10_e140, 140, -10, 24) \
  X(n90_w180, 180, 90, 20) \
  X(n90_w140, 220, 90, 15) X(n40_w140, 220, 40, 15) \
  X(n90_w100, 260, 90, 24) X(n40_w100, 260, 40, 20) X(s10_w100, 260, -10, 20) \
  X(n90_w60, 300, 90, 20) X(n40_w060, 300, 40, 20) X(s10_w060, 300, -10, 15) \
  X(n90_w20, 340, 90, 20) X(n40_w020, 340, 40, 20) X(s10_w020, 340, -10, 15)

#define ELEV_TILES75(X) \
  X(n59_w66, 59, 294) X(n59_w65, 59, 295) X(n59_w64, 59, 296) \
  X(n55_e11, 55, 11) X(n55_e12, 55, 12) \
  X(n53_e9, 53, 9) \
  X(n51_e0, 51, 0) X(n51_e10, 51, 10) \
  X(n50_e0, 50, 0) X(n50_e7, 50, 7) X(n50_e8, 50, 8) \
  X(n49_e7, 49, 7) X(n49_e8, 49, 8) \
  X(n48_e7, 48, 7) X(n48_e8, 48, 8) X(n48_e9, 48, 9) X(n48_e14, 48, 14) X(n48_e15, 48, 15) \
  X(n47_e6, 47, 6) X(n47_e7, 47, 7) X(n47_e8, 47, 8) X(n47_e9, 47, 9) X(n47_e10, 47, 10) \
  X(n47_e11, 47, 11) X(n47_e12, 47, 12) X(n47_e13, 47, 13) X(n47_e14, 47, 14) \
  X(n47_e15, 47, 15) \
  X(n46_e5, 46, 5) X(n46_e6, 46, 6) X(n46_e7, 46, 7) X(n46_e8, 46, 8) X(n46_e9, 46, 9) \
  X(n46_e10, 46, 10) X(n46_e11, 46, 11) X(n46_e12, 46, 12) X(n46_e13, 46, 13) \
  X(n46_e14, 46, 14) \
  X(n45_e4, 45, 4) X(n45_e5, 45, 5) X(n45_e6, 45, 6) X(n45_e7, 45, 7) X(n45_e8, 45, 8) \
  X(n45_e9, 45, 9) X(n45_e10, 45, 10) X(n45_e11, 45, 11) \
  X(n44_e3, 44, 3) X(n44_e4, 44, 4) X(n44_e5, 44, 5) X(n44_e6, 44, 6) X(n44_e7, 44, 7) \
  X(n43_e1, 43, 1) X(n43_e2, 43, 2) X(n43_e3, 43, 3) X(n43_e5, 43, 5) X(n43_e6, 43, 6) \
  X(n43_e7, 43, 7) \
  X(n42_e0, 42, 0) X(n42_e1, 42, 1) X(n42_e2, 42, 2) X(n42_w1, 42, 359) \
  X(n41_e9, 41, 9) X(n41_e29, 41, 29) \
  X(n40_e14, 40, 14) X(n40_e26, 40, 26) X(n40_e27, 40, 27) X(n40_w75, 40, 285) \
  X(n40_w74, 40, 286) \
  X(n38_e15, 38, 15) \
  X(n37_e14, 37, 14) X(n37_e15, 37, 15) \
  X(n36_e5, 36, 5) X(n36_w6, 36, 354) X(n36_w5, 36, 355) \
  X(n35_w6, 35, 354) X(n35_w5, 35, 355) \
  X(n32_e90, 32, 90) X(n32_e91, 32, 91) X(n32_e92, 32, 92) \
  X(n28_e87, 28, 87) \
  X(n27_e33, 27, 33) X(n27_e86, 27, 86) X(n27_e87, 27, 87) \
  X(n22_e113, 22, 113) X(n22_e114, 22, 114) X(n22_w160, 22, 200) \
  X(n21_w160, 21, 200) X(n21_w159, 21, 201) X(n21_w158, 21, 202) X(n21_w157, 21, 203) \
  X(n20_w157, 20, 203) \
  X(n19_w156, 19, 204) \
  X(n9_w80, 9, 280) \
  X(n8_e98, 8, 98) X(n8_w80, 8, 280) \
  X(s3_e37, -3, 37) \
  X(s4_e37, -4, 37) \
  X(s19_w67, -19, 293) \
  X(s31_w70, -31, 290) \
  X(s32_w71, -32, 289) X(s32_w70, -32, 290) \
  X(s33_w71, -33, 289) X(s33_w70, -33, 290) \
  X(s34_e18, -34, 18) X(s34_w70, -34, 290) \
  X(s35_e18, -35, 18) X(s35_e19, -35, 19) \
  X(s49_w70, -49, 290) \
  X(s50_w70, -50, 290) \
  X(s51_w70, -51, 290) \
  X(s52_w70, -52, 290) \
  X(s53_w75, -53, 285) X(s53_w74, -53, 286) X(s53_w71, -53, 289) X(s53_w70, -53, 290) \
  X(s54_w74, -54, 286) X(s54_w73, -54, 287) X(s54_w72, -54, 288) X(s54_w71, -54, 289) \
  X(s54_w70, -54, 290)

#define ELEV_TILES15(X) \
  X(n30w15, data_spain, 30, 45, 345, 360, 30, 345) \
  X(n30e0, data_medi_west, 30, 45, 0, 15, 30, 0) \
  X(n30e15, data_greece, 30, 45, 15, 30, 30, 15) \
  X(n30w120, data_rm, 30, 45, 240, 255, 30, 240) \
  X(n30w90, data_ec, 30, 45, 270, 285, 30, 270) \
  X(n45e0, data_alps, 45, 60, 0, 15, 45, 0) \
  X(n60e0, data_norway, 60, 69.8, 0, 15, 60, 0) \
  X(n45w15, data_gb, 45, 60, 345, 360, 45, 345) \
  X(s45e165, data_nz, -45, -34.2, 165, 180, -45, 165) \
  X(s60e165, data_nzs, -47.4, -45, 165, 180, -60, 165) \
  X(n30e135, data_japan, 30, 45, 135, 150, 30, 135)

// Byte sizes of the tables, for the assembler stub (which cannot use sizeof); the C++ side
// checks its array types against them.
#define ELEV_REGIONAL_BYTES(k) (2*50*(k)*40*(k))
#define ELEV_TILE_BYTES (2*76*76)
#define ELEV_GRID05_BYTES (2*361*720)
#define ELEV_GRID10_BYTES (2*17*36)
#define ELEV_GRID15_BYTES (4*11*24)
#define ELEV_GRID20_BYTES (4*9*18)
#define ELEV_GRID30_BYTES (4*5*12)

// Sea index of a regional grid: one byte for each block of 16 x 16 cells (a cell is the square
// between samples j..j+1 and i..i+1, limited to the grid), 1 when every sample the block's cells
// read is 0, so that a look-up there knows its fine value is 0 without touching the large grid.
// Blocks row-major, north first.
#define ELEV_SEA_BLOCK 16
#define ELEV_SEA_BYTES(k) (((50*(k)+15)/16)*((40*(k)+15)/16))
