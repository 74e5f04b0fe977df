// Sun raster images (.sun, .ras): 8 bits a pixel (grey, or indices into an RGB colour map), 24
// and 32 bits a pixel; stored plain (types 0 and 1, blue first), run-length coded (type 2, blue
// first) or plain in red-first order (type 3). Every refusal shows the error canvas.
#include "formats/sun_raster.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "formats/byte_readers.h"
#include "formats/byte_table.h"
#include "formats/reader.h"
#include "view/canvas.h"

namespace {

constexpr int SUN_MAX_SIDE = 50000;
enum { TYPE_OLD = 0, TYPE_STANDARD = 1, TYPE_RUN_LENGTH = 2, TYPE_RGB = 3 };
enum { MAP_NONE = 0, MAP_EQUAL_RGB = 1 };

struct SunHeader {
  int64_t w, h;
  int depth;
  uint32_t type, map_type, map_length;
};

// The map of an 8-bit picture as ready pixels; `colours` entries are valid.
struct SunMap {
  float rgba[256][4];
  int colours = 0;
};

// Type 2 data is one byte stream over all rows (row padding included): 0x80 0 is a literal 0x80,
// 0x80 n v is n + 1 copies of v; any other byte stands for itself. A run may cross rows.
struct SunRunLength {
  int64_t run = 0;
  int value = 0;

  // Fills n bytes; returns how many the data gave.
  int64_t fill(Cursor& c, unsigned char* out, int64_t n) {
    int64_t k = 0;
    while (k < n) {
      if (run > 0) {
        int64_t m = run < n - k ? run : n - k;
        memset(out + k, value, (size_t)m);
        run -= m;
        k += m;
        continue;
      }
      int64_t span = c.left() < n - k ? c.left() : n - k;
      if (span <= 0) break;
      const void* escape = memchr(c.data + c.pos, 0x80, (size_t)span);
      int64_t literal = escape ? (const unsigned char*)escape - (c.data + c.pos) : span;
      if (literal > 0) {
        memcpy(out + k, c.take(literal), (size_t)literal);
        k += literal;
        continue;
      }
      c.u8();
      int count = c.u8();
      if (c.ended) break;
      if (count == 0) {
        out[k++] = 0x80;
        continue;
      }
      value = c.u8();
      if (c.ended) break;
      run = count + 1;
    }
    return k;
  }
};

void read_map(const SunHeader& s, SunMap& m) {
  if (s.map_type != MAP_EQUAL_RGB || s.map_length == 0) return;
  int64_t per_plane = s.map_length / 3;
  m.colours = per_plane < 256 ? (int)per_plane : 256;
  const float* lut = byte_table();
  Cursor c = file_cursor();
  for (int k = 0; k < 3; k++) {
    c.seek(32 + k * per_plane);
    for (int i = 0; i < m.colours; i++) m.rgba[i][k] = lut[c.u8()];
  }
  for (int i = 0; i < m.colours; i++) m.rgba[i][3] = 1.0f;
}

// One row of n pixels from its bytes. Returns the pixels written: fewer than n only when an
// 8-bit index lies outside the map.
int64_t convert_row(const SunHeader& s, const SunMap& m, const unsigned char* p, int64_t n, float* out) {
  const float* lut = byte_table();
  // Blue first for every type but 3, whose pixels are red first.
  int r = s.type == TYPE_RGB ? 0 : 2, b = 2 - r;
  switch (s.depth) {
    case 8:
      if (s.map_type == MAP_NONE) {
        for (int64_t x = 0; x < n; x++, out += 4) {
          out[0] = out[1] = out[2] = lut[p[x]];
          out[3] = 1.0f;
        }
      } else {
        for (int64_t x = 0; x < n; x++, out += 4) {
          if (p[x] >= m.colours) {
            printf("m=%d\n", p[x]);
            return x;
          }
          memcpy(out, m.rgba[p[x]], 16);
        }
      }
      break;
    case 24:
      for (int64_t x = 0; x < n; x++, p += 3, out += 4) {
        out[0] = lut[p[r]];
        out[1] = lut[p[1]];
        out[2] = lut[p[b]];
        out[3] = 1.0f;
      }
      break;
    case 32:
      // The first byte of each pixel is padding.
      for (int64_t x = 0; x < n; x++, p += 4, out += 4) {
        out[0] = lut[p[1 + r]];
        out[1] = lut[p[2]];
        out[2] = lut[p[1 + b]];
        out[3] = 1.0f;
      }
      break;
  }
  return n;
}

// Rows from the top, each padded to an even number of bytes. Returns false when the data ended
// or an index lay outside the map; the pixels not decoded then take the grey fill.
bool decode(const SunHeader& s, const SunMap& m, Cursor& c) {
  int64_t bpp = s.depth / 8;
  int64_t stride = (s.w * bpp + 1) / 2 * 2;
  std::vector<unsigned char> row;
  SunRunLength rle;
  if (s.type == TYPE_RUN_LENGTH) row.resize((size_t)stride);
  for (int64_t y = 0; y < s.h; y++) {
    float* out = img_content + 4 * y * s.w;
    const unsigned char* p;
    int64_t have;
    if (s.type == TYPE_RUN_LENGTH) {
      have = rle.fill(c, row.data(), stride);
      p = row.data();
    } else {
      have = c.left() < stride ? c.left() : stride;
      p = c.take(have);
    }
    // The padding of the last row may be missing.
    int64_t n = have >= s.w * bpp ? s.w : have / bpp;
    int64_t done = convert_row(s, m, p, n, out);
    if (done < s.w) {
      fill_grey_from(y * s.w + done, s.w * s.h);
      return false;
    }
  }
  return true;
}

}  // namespace

int load_sun() {
  int m0 = get_int2(0), m1 = get_int2(2);
  if (m0 != 42585 || m1 != 38250) {
    printf("filetype = %d\n", m0);
    refuse_on_canvas("wrong magic number");
    return 0;
  }
  Cursor c = file_cursor(4);
  SunHeader s;
  s.w = c.be32();
  s.h = c.be32();
  s.depth = (int)c.be32();
  c.be32();  // the data length, which type 2 files and old writers do not keep reliably
  s.type = c.be32();
  s.map_type = c.be32();
  s.map_length = c.be32();
  printf("type=%d\n", (int)s.type);
  printf("maptype=%d\n", (int)s.map_type);
  printf("maplen=%d\n", (int)s.map_length);
  if (c.ended) {
    refuse_on_canvas("damaged Sun raster header");
    return 0;
  }
  if (s.w > SUN_MAX_SIDE || s.h > SUN_MAX_SIDE || !image_size_ok(s.w, s.h)) {
    refuse_on_canvas("res out of range: %d x %d\n", (int)s.w, (int)s.h);
    return 0;
  }
  if (s.type > TYPE_RGB) {
    refuse_on_canvas("Sun raster type not supported: %d", (int)s.type);
    return 0;
  }
  if (s.depth != 8 && s.depth != 24 && s.depth != 32) {
    refuse_on_canvas("improper color depth");
    return 0;
  }
  SunMap m;
  read_map(s, m);
  if (size_loaded_image(s.w, s.h) != SIZE_OK) {
    refuse_on_canvas("memory error");
    return 0;
  }
  c.seek(s.map_type == MAP_NONE ? 32 : 32 + (int64_t)s.map_length);
  bool whole = decode(s, m, c);
  image_post((int)s.w, (int)s.h, 1);
  if (!whole) note_damaged();
  return 0;
}
