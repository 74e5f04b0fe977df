#include "scene3d/colour_map.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "scene3d/elements.h"
#include "scene3d/scene_alloc.h"
#include "view/colour.h"

namespace scene3d {

uint8_t* CMap = nullptr;
float* CMap_f = nullptr;
int CMapSize = 0, CMapAlloc = 0;
int nUser = 0;

int startElem = 15, startSpec = 119, startCharge = 135, startGroup = 391, startAmino = 647,
    startShapely = 660, startUser = 691;

const uint8_t ElemRGBback[104][3] = {
    {0, 0, 0},       {254, 254, 254}, {145, 145, 249}, {245, 45, 245},  {145, 245, 145},
    {200, 45, 145},  {80, 170, 160},  {50, 50, 220},   {220, 55, 55},   {135, 125, 24},
    {135, 142, 229}, {220, 30, 30},   {145, 245, 145}, {127, 127, 180}, {215, 245, 105},
    {255, 145, 45},  {255, 250, 75},  {40, 200, 40},   {125, 140, 219}, {235, 45, 235},
    {145, 245, 145}, {225, 225, 225}, {205, 225, 185}, {175, 175, 175}, {170, 180, 190},
    {125, 125, 200}, {130, 145, 145}, {195, 195, 195}, {170, 170, 120}, {255, 145, 125},
    {185, 185, 185}, {225, 185, 225}, {245, 45, 45},   {185, 125, 245}, {0, 125, 125},
    {90, 50, 10},    {115, 135, 209}, {215, 45, 215},  {145, 245, 145}, {160, 225, 245},
    {145, 215, 225}, {125, 195, 205}, {105, 185, 195}, {95, 165, 175},  {84, 145, 155},
    {74, 138, 138},  {64, 128, 128},  {200, 205, 205}, {200, 205, 205}, {200, 205, 205},
    {205, 205, 205}, {230, 190, 20},  {55, 55, 200},   {125, 0, 125},   {105, 125, 179},
    {205, 45, 205},  {145, 245, 145}, {0, 245, 245},   {235, 235, 205}, {215, 245, 208},
    {205, 245, 211}, {165, 245, 215}, {155, 245, 217}, {135, 245, 218}, {115, 135, 225},
    {105, 120, 227}, {95, 110, 230},  {85, 100, 232},  {75, 90, 235},   {65, 80, 237},
    {55, 70, 240},   {45, 55, 245},   {0, 225, 245},   {0, 200, 245},   {0, 192, 245},
    {0, 168, 245},   {0, 148, 245},   {0, 128, 245},   {165, 155, 145}, {196, 136, 70},
    {195, 195, 195}, {205, 211, 205}, {120, 120, 120}, {215, 215, 215}, {125, 125, 75},
    {125, 65, 65},   {31, 56, 71},    {245, 45, 245},  {145, 245, 145}, {205, 205, 245},
    {0, 125, 245},   {20, 115, 245},  {35, 105, 245},  {45, 100, 245},  {55, 95, 245},
    {65, 90, 245},   {75, 85, 245},   {105, 75, 245},  {145, 65, 245},  {175, 55, 245},
    {88, 99, 145},   {195, 35, 245},  {225, 25, 245},  {245, 15, 245}};

const int8_t amino_tab[31] = {6, 7, 8, 3,  8,  3,  1,  0,  8,  4,  0,  11, 1,  9,  4, 9,
                              2, 5, 5, 10, 12, 12, 11, 11, 12, 12, 12, 12, 12, 12, 12};

namespace {

const uint8_t amino_rgb[13][3] = {{230, 10, 10},  {20, 90, 255}, {130, 130, 210}, {250, 150, 0},
                                  {0, 220, 220},  {230, 230, 0}, {200, 200, 200}, {235, 235, 235},
                                  {15, 130, 15},  {50, 50, 170}, {180, 90, 180},  {220, 150, 130},
                                  {190, 160, 110}};

const uint8_t shapely_rgb[31][3] = {
    {140, 255, 140}, {255, 255, 255}, {69, 94, 69},    {255, 112, 66},  {255, 140, 255},
    {184, 76, 0},    {71, 71, 184},   {160, 0, 66},    {0, 76, 0},      {255, 124, 112},
    {102, 0, 0},     {82, 82, 82},    {0, 0, 124},     {83, 76, 66},    {255, 76, 76},
    {140, 112, 76},  {112, 112, 255}, {255, 255, 112}, {184, 160, 66},  {79, 70, 0},
    {255, 0, 255},   {255, 0, 255},   {255, 0, 255},   {255, 0, 255},   {160, 160, 255},
    {255, 140, 75},  {255, 112, 112}, {160, 255, 160}, {184, 184, 184}, {94, 0, 94},
    {255, 0, 255}};

// Entries a colour index can name.
constexpr int kMaxEntries = 65536;

void put(int e, int r, int g, int b) {
  CMap[3 * e] = (uint8_t)r;
  CMap[3 * e + 1] = (uint8_t)g;
  CMap[3 * e + 2] = (uint8_t)b;
}

// Both arrays for n entries, the first `keep` entries copied; false when memory is short (the
// map stays as it was).
bool realloc_map(int n, int keep) {
  uint8_t* c = (uint8_t*)scene_malloc((uint64_t)n * 3);
  float* f = c ? (float*)scene_malloc((uint64_t)n * 3 * sizeof(float)) : nullptr;
  if (!f) {
    free(c);
    return false;
  }
  if (keep > n) keep = n;
  if (CMap && keep > 0) {
    memcpy(c, CMap, (size_t)keep * 3);
    memcpy(f, CMap_f, (size_t)keep * 3 * sizeof(float));
  }
  free(CMap);
  free(CMap_f);
  CMap = c;
  CMap_f = f;
  CMapAlloc = n;
  return true;
}

}  // namespace

void update_cmap_f() {
  for (int k = 0; k < 3 * CMapSize; k++) CMap_f[k] = CMap[k] * 0.004f;
}

void RecalcGroup() {
  for (int i = 0; i < 256; i++) {
    int d = (60 + i * 19080 / 256) % 360;
    float r, g, b;
    hsv2rgb(d / 360.0, 0.55, 0.9, &r, &g, &b);
    put(startGroup + i, (int)(r * 255), (int)(g * 255), (int)(b * 255));
  }
}

void default_colors() {
  for (int z = 0; z < 104; z++)
    put(startElem + z, ElemRGBback[z][0], ElemRGBback[z][1], ElemRGBback[z][2]);
}

int InitColorMap() {
  nUser = 0;
  CMapSize = 0;
  if (!realloc_map(692, 0)) {
    free(CMap);
    free(CMap_f);
    CMap = nullptr;
    CMap_f = nullptr;
    CMapAlloc = 0;
    return 1;
  }
  CMapSize = 692;
  memset(CMap, 0, 692 * 3);
  for (int e = 0; e < 16; e++) {
    int on = e < 8 ? 128 : 255, bits = e & 7;
    put(e, bits & 1 ? on : 0, bits & 2 ? on : 0, bits & 4 ? on : 0);
  }
  put(8, 192, 192, 192);
  startElem = 15;
  default_colors();
  default_radii();
  startSpec = startElem + 104;
  put(startSpec, 240, 255, 0);
  put(startSpec + 1, 125, 125, 125);
  startCharge = startSpec + 16;
  startGroup = startSpec + 272;
  RecalcGroup();
  startAmino = startGroup + 256;
  startShapely = startGroup + 269;
  startUser = startGroup + 300;
  for (int k = 0; k < 13; k++)
    put(startAmino + k, amino_rgb[k][0], amino_rgb[k][1], amino_rgb[k][2]);
  for (int k = 0; k < 31; k++)
    put(startShapely + k, shapely_rgb[k][0], shapely_rgb[k][1], shapely_rgb[k][2]);
  update_cmap_f();
  return 0;
}

int AddColor(int r, int g, int b) {
  if (!CMap || startUser + nUser + 1 > kMaxEntries) return 0;
  int size = startUser + nUser + 1;
  if (size > CMapAlloc && !realloc_map(CMapAlloc + 16, CMapSize)) return 0;
  nUser++;
  CMapSize = size;
  put(size - 1, r & 255, g & 255, b & 255);
  update_cmap_f();
  return size - 1;
}

void ClearColor() {
  if (!CMap) return;
  nUser = 0;
  CMapSize = startUser;
  // The map keeps its allocation; only entries past it would need a smaller block.
}

ColourMapState colour_map_copy() {
  ColourMapState s;
  s.CMapSize = CMapSize, s.CMapAlloc = CMapAlloc, s.nUser = nUser;
  if (!CMap) return s;
  s.CMap = (uint8_t*)scene_malloc((uint64_t)CMapAlloc * 3);
  s.CMap_f = s.CMap ? (float*)scene_malloc((uint64_t)CMapAlloc * 3 * sizeof(float)) : nullptr;
  if (!s.CMap_f) {
    free(s.CMap);
    s.CMap = nullptr;
    return s;
  }
  memcpy(s.CMap, CMap, (size_t)CMapAlloc * 3);
  memcpy(s.CMap_f, CMap_f, (size_t)CMapAlloc * 3 * sizeof(float));
  return s;
}

void colour_map_put(ColourMapState& s) {
  free(CMap);
  free(CMap_f);
  CMap = s.CMap, CMap_f = s.CMap_f;
  CMapSize = s.CMapSize, CMapAlloc = s.CMapAlloc, nUser = s.nUser;
  s = ColourMapState();
}

void colour_map_free(ColourMapState& s) {
  free(s.CMap);
  free(s.CMap_f);
  s = ColourMapState();
}

}  // namespace scene3d
