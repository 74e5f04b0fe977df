// The terrain tile state: classification of a tile by name and size, and taking a tile in.
#include "earth/srtm.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

int n_cols = 0, n_rows = 0;
int theta_ext = 1000;
int phi_ext = 1000;
int is_srtm30 = 0;
int is_srtm1 = 0;
int have_hgt = 0;
int16_t* height_hgt = nullptr;
int alloc_hgt = -1;

namespace {

// The tile the height copy was made for; the tile globals must still say the same for the copy
// to be sampled.
SrtmTile taken = {0, 0, 1000, 1000, 0, 0};

bool ends_with_nocase(const char* s, size_t len, const char* suffix) {
  size_t n = strlen(suffix);
  if (len < n) return false;
  for (size_t i = 0; i < n; i++)
    if (tolower((unsigned char)s[len - n + i]) != suffix[i]) return false;
  return true;
}

// The digits at *p as a number (0 when there are none), capped far above any real corner so
// that later sums cannot overflow.
int read_number(const char*& p) {
  int n = 0;
  while (isdigit((unsigned char)*p)) {
    if (n < 100000) n = n * 10 + (*p - '0');
    p++;
  }
  return n;
}

// The next character, without stepping past the end of the name.
char take_char(const char*& p) { return *p ? *p++ : '\0'; }

}  // namespace

SrtmTile srtm_classify(const char* name, int64_t size) {
  SrtmTile t = {};
  const size_t len = strlen(name);
  const char* base = name;
  for (const char* p = name; *p; p++)
    if (*p == '/' || *p == '\\') base = p + 1;
  const char* p = base;
  if (len > 8 && (ends_with_nocase(name, len, ".dem") || ends_with_nocase(name, len, ".dem.zip"))) {
    t.is_srtm30 = 1;
    t.n_rows = 6000;
    t.n_cols = 4800;
    char ew = take_char(p);
    int n = read_number(p);
    t.phi_ext = (ew == 'W' || ew == 'w') ? 360 - n : n;
    char ns = take_char(p);
    int m = read_number(p);
    t.theta_ext = (ns == 'N' || ns == 'n') ? m - 50 : -m - 50;
  } else {
    t.n_cols = t.n_rows = size > 4999999 ? 3601 : 1201;
    t.is_srtm1 = t.n_cols == 3601;
    char ns = take_char(p);
    int lat = read_number(p);
    t.theta_ext = (ns == 'N' || ns == 'n') ? lat : -lat;
    char ew = take_char(p);
    int lon = read_number(p);
    if (!(ew == 'E' || ew == 'e')) lon = -lon;
    t.phi_ext = lon < 0 ? lon + 360 : lon;
  }
  return t;
}

int srtm_take_tile(const SrtmTile& tile, const unsigned char* bytes, int64_t len) {
  const bool known = tile.is_srtm30 ? tile.n_cols == 4800 && tile.n_rows == 6000 && !tile.is_srtm1
                                    : tile.n_cols == tile.n_rows &&
                                          (tile.n_cols == 1201 || tile.n_cols == 3601) &&
                                          tile.is_srtm1 == (tile.n_cols == 3601);
  if (!known) return -1;
  const int64_t count = (int64_t)tile.n_cols * tile.n_rows;
  int16_t* copy = height_hgt;
  if (alloc_hgt < count) {
    // The new block first: when it cannot be had, the previous tile stays whole.
    copy = new (std::nothrow) int16_t[count];
    if (!copy) {
      printf("memory error\n");
      return -1;
    }
  }
  int mean = 0;
  int64_t present = srtm_read_heights(bytes, len, tile.n_cols, tile.n_rows, copy, &mean);
  srtm_fill_voids(copy, tile.n_cols, tile.n_rows, mean);
  if (copy != height_hgt) {
    delete[] height_hgt;
    height_hgt = copy;
    alloc_hgt = (int)count;
  }
  n_cols = tile.n_cols;
  n_rows = tile.n_rows;
  theta_ext = tile.theta_ext;
  phi_ext = tile.phi_ext;
  is_srtm30 = tile.is_srtm30;
  is_srtm1 = tile.is_srtm1;
  taken = tile;
  have_hgt = 1;
  return present < count ? 1 : 0;
}

bool srtm_tile_usable() {
  return have_hgt && height_hgt && n_cols == taken.n_cols && n_rows == taken.n_rows &&
         theta_ext == taken.theta_ext && phi_ext == taken.phi_ext && is_srtm30 == taken.is_srtm30 &&
         is_srtm1 == taken.is_srtm1;
}
