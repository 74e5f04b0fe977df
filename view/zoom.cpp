#include "view/zoom.h"

const zoom_step zooms[] = {
    {1, 60, 0, 62},  {1, 36, 0, 61},  {1, 27, 0, 60},  {1, 23, 0, 59},  {1, 20, 0, 19},
    {1, 18, 0, 38},  {1, 16, 0, 24},  {1, 14, 0, 39},  {1, 12, 0, 9},   {1, 11, 0, 51},
    {1, 10, 0, 29},  {1, 9, 0, 40},   {1, 8, 0, 6},    {1, 7, 0, 37},   {1, 6, 0, 7},
    {2, 11, 0, 52},  {1, 5, 0, 8},    {2, 9, 0, 41},   {1, 4, 0, 5},    {3, 11, 0, 53},
    {3, 10, 0, 35},  {1, 3, 0, 4},    {7, 19, 0, 54},  {2, 5, -1, 27},  {9, 20, -1, 42},
    {1, 2, 0, 1},    {11, 20, -1, 55}, {6, 10, -1, 22}, {2, 3, -1, 44},  {3, 4, -1, 11},
    {7, 8, -1, 21},  {1, 1, 0, 0},    {10, 9, -1, 20}, {5, 4, -1, 17},  {11, 8, -1, 56},
    {3, 2, -1, 10},  {7, 4, -1, 31},  {2, 1, -1, 2},   {11, 5, -1, 43}, {5, 2, -1, 26},
    {11, 4, -1, 57}, {3, 1, -2, 3},   {7, 2, -1, 32},  {4, 1, -2, 12},  {9, 2, -2, 45},
    {5, 1, -2, 25},  {11, 2, -2, 50}, {6, 1, -2, 13},  {7, 1, -2, 33},  {8, 1, -2, 28},
    {9, 1, -2, 46},  {10, 1, -2, 23}, {11, 1, -2, 49}, {12, 1, -2, 15}, {14, 1, -2, 34},
    {16, 1, -2, 16}, {18, 1, -2, 47}, {20, 1, -2, 30}, {22, 1, -2, 48}, {24, 1, -2, 18},
    {28, 1, -2, 36}, {32, 1, -2, 14}, {40, 1, -2, 58},
};
const int n_zooms = sizeof zooms / sizeof zooms[0];

static int gcd(int a, int b) {
  while (b) {
    int t = a % b;
    a = b;
    b = t;
  }
  return a;
}

zoom_mode zoom_mode_of(int step, int* reduce, int* magnify) {
  const zoom_step& z = zooms[step];
  int g = gcd(z.num, z.den);
  int r = z.den / g, m = z.num / g;
  if (reduce) *reduce = r;
  if (magnify) *magnify = m;
  if (z.code == 14 || z.code == 58) return ZM_REPLICATE;
  if (r == 1 && m == 1) return ZM_COPY;
  if (m == 1) return ZM_BOX;
  if (m > r) return ZM_BILINEAR;
  return ZM_FIVE_POINT;
}

int zoom_step_1_1() {
  for (int s = 0; s < n_zooms; s++)
    if (zooms[s].code == 0) return s;
  return 0;
}

int64_t zoom_shown(int64_t n, int step) {
  const zoom_step& z = zooms[step];
  return (n * z.num + z.adj) / z.den;
}

int zoom_percent(int step) { return zooms[step].num * 100 / zooms[step].den; }

static bool fits(int w, int h, int cw, int ch, int step) {
  return zoom_shown(h, step) <= ch && zoom_shown(w, step) <= cw;
}

int find_best_zoom(int w, int h, int cw, int ch) {
  int s = zoom_step_1_1();
  if (h < ch && w < cw) {
    while (s < n_zooms - 1 && fits(w, h, cw, ch, s + 1)) s++;
    return s;
  }
  if (h <= ch && w <= cw) return s;
  for (int t = s - 1; t >= 0; t--)
    if (fits(w, h, cw, ch, t)) return t;
  return 0;
}
