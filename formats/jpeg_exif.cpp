#include "formats/jpeg_exif.h"

#include <cstdio>
#include <cstring>

namespace {

// A TIFF block inside one APP1 segment: every read is checked against the block's end.
struct Tiff {
  const unsigned char* p;
  int64_t size;
  bool big_endian;

  bool has(int64_t at, int64_t n) const { return at >= 0 && n >= 0 && at <= size - n; }
  unsigned u16(int64_t at) const {
    return big_endian ? (p[at] << 8) | p[at + 1] : p[at] | (p[at + 1] << 8);
  }
  uint32_t u32(int64_t at) const {
    return big_endian ? ((uint32_t)u16(at) << 16) | u16(at + 2)
                      : u16(at) | ((uint32_t)u16(at + 2) << 16);
  }
};

enum { TAG_ORIENTATION = 0x0112, TYPE_SHORT = 3, TYPE_LONG = 4 };

// The Orientation value of IFD0, or 1 when the block has none in 1..8.
int orientation_of_tiff(const Tiff& t) {
  if (!t.has(0, 8) || t.u16(2) != 42) return 1;
  int64_t ifd = t.u32(4);
  if (!t.has(ifd, 2)) return 1;
  unsigned count = t.u16(ifd);
  for (unsigned i = 0; i < count; i++) {
    int64_t e = ifd + 2 + 12 * (int64_t)i;
    if (!t.has(e, 12)) break;
    if (t.u16(e) != TAG_ORIENTATION) continue;
    unsigned type = t.u16(e + 2);
    uint32_t v = type == TYPE_SHORT ? t.u16(e + 8) : type == TYPE_LONG ? t.u32(e + 8) : 0;
    return v >= 1 && v <= 8 ? (int)v : 1;
  }
  return 1;
}

}  // namespace

int jpeg_orientation(const unsigned char* d, int64_t size) {
  int orientation = 1;
  int64_t p = 2;
  while (p + 4 <= size && d[p] == 0xFF) {
    int m = d[p + 1];
    int64_t next = p + 2 + 256 * d[p + 2] + d[p + 3];
    if (m == 0xE0 || m == 0xE2 || m == 0xED || m == 0xDB || m == 0xC0) {
      p = next;
      continue;
    }
    if (m != 0xE1) {
      printf("app ver = %d\n", m);
      break;
    }
    // The segment body, cut at the end of the data when its length runs past it.
    int64_t body = p + 4, end = next < size ? next : size;
    const unsigned char* b = d + body;
    int64_t n = end - body;
    if (n < 8 || memcmp(b, "Exif\0\0", 6) != 0) break;
    bool intel = b[6] == 'I' && b[7] == 'I', motorola = b[6] == 'M' && b[7] == 'M';
    if (!intel && !motorola) break;
    orientation = orientation_of_tiff(Tiff{b + 6, n - 6, motorola});
    p = next;
  }
  return orientation;
}
