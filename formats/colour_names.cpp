#include "formats/colour_names.h"

#include <cctype>
#include <cstring>

#include "data/blob.h"

SUNCALC_BLOB(colour_names);

namespace {
constexpr int RECORD = 32, NAME_BYTES = 28;
}

bool colour_by_name(const char* name, int n, int* r, int* g, int* b) {
  if (n <= 0 || n >= NAME_BYTES) return false;
  char key[NAME_BYTES] = {};
  for (int i = 0; i < n; i++) key[i] = (char)tolower((unsigned char)name[i]);
  size_t lo = 0, hi = SUNCALC_BLOB_SIZE(colour_names) / RECORD;
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    const unsigned char* rec = colour_names + mid * RECORD;
    int c = memcmp(key, rec, NAME_BYTES);
    if (c == 0) {
      *r = rec[28];
      *g = rec[29];
      *b = rec[30];
      return true;
    }
    if (c < 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  return false;
}
