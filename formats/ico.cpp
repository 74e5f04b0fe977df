// Windows icons and cursors: the first image of the directory, a bitmap of 1, 4 or 8 bits through
// its palette or of 24 or 32 bits, and its transparency mask. Refusals are printed and answered
// with 1; only a failed allocation shows the error canvas. No command opens these files.
#include "formats/ico.h"

#include <cstdio>

#include "formats/byte_readers.h"
#include "formats/byte_table.h"
#include "formats/reader.h"
#include "view/canvas.h"

namespace {

struct IcoImage {
  int64_t w, h, offset;
  int depth, entries;
  float palette[256][3];
};

void read_palette(IcoImage& im, Cursor& c, int in_file) {
  const float* lut = byte_table();
  for (int i = 0; i < 256; i++) {
    float* p = im.palette[i];
    if (i < in_file) {
      int b = c.u8(), g = c.u8(), r = c.u8();
      c.u8();
      p[0] = lut[r], p[1] = lut[g], p[2] = lut[b];
    } else {
      get_map_col(i, &p[0], &p[1], &p[2]);
    }
  }
}

// The colour rows from the bottom up, each padded to 4 bytes. Returns false when the data ended;
// the rows not given keep the fill.
bool decode_colours(const IcoImage& im, Cursor& c, bool* any_alpha) {
  const float* lut = byte_table();
  int64_t stride = (im.w * im.depth + 31) / 32 * 4;
  for (int64_t y = im.h - 1; y >= 0; y--) {
    const unsigned char* s = c.take(stride);
    if (!s) return false;
    float* out = img_content + 4 * y * im.w;
    for (int64_t x = 0; x < im.w; x++, out += 4) {
      int i;
      switch (im.depth) {
        case 24:
          out[0] = lut[s[3 * x + 2]], out[1] = lut[s[3 * x + 1]], out[2] = lut[s[3 * x]];
          continue;
        case 32:
          out[0] = lut[s[4 * x + 2]], out[1] = lut[s[4 * x + 1]], out[2] = lut[s[4 * x]];
          out[3] = lut[s[4 * x + 3]];
          *any_alpha |= s[4 * x + 3] != 0;
          continue;
        case 8:
          i = s[x];
          break;
        case 4:
          i = (x & 1) ? s[x >> 1] & 15 : s[x >> 1] >> 4;
          break;
        default:
          i = s[x >> 3] >> (7 - (x & 7)) & 1;
          break;
      }
      out[0] = im.palette[i][0], out[1] = im.palette[i][1], out[2] = im.palette[i][2];
    }
  }
  return true;
}

// The mask rows from the bottom up, one bit a pixel padded to 4 bytes: a set bit is transparent.
// When `keep_alpha` (a 32-bit image with an alpha channel) the mask is not consulted.
bool decode_mask(const IcoImage& im, Cursor& c, bool keep_alpha) {
  int64_t stride = (im.w + 31) / 32 * 4;
  for (int64_t y = im.h - 1; y >= 0; y--) {
    const unsigned char* s = c.take(stride);
    if (!s) return false;
    if (keep_alpha) continue;
    float* out = img_content + 4 * y * im.w;
    for (int64_t x = 0; x < im.w; x++) out[4 * x + 3] = (s[x >> 3] >> (7 - (x & 7)) & 1) ? 0.0f : 1.0f;
  }
  return true;
}

}  // namespace

void get_map_col(int index, float* r, float* g, float* b) {
  static const float table[16][3] = {
      {0, 0, 0},          {0.5f, 0, 0},    {0, 0.5f, 0},    {0.5f, 0.5f, 0},     // 0 to 3
      {0, 0, 0.5f},       {0.5f, 0, 0.5f}, {0, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f},  // 4 to 7
      {0.7f, 0.7f, 0.7f}, {1, 0, 0},       {0, 1, 0},       {1, 1, 0},           // 8 to 11
      {0, 0, 1},          {1, 0, 1},       {0, 1, 1},       {1, 1, 1},           // 12 to 15
  };

  int i = index < 0 ? 0 : index > 15 ? 15 : index;
  *r = table[i][0];
  *g = table[i][1];
  *b = table[i][2];
}

int load_ico() {
  int kind = get_int2(0);
  if (kind == 19778) return refused(1, "file is bmp not ico");
  if (kind != 0) return refused(1, "file type must be 0");
  int type = get_int2(2);
  if (type != 1 && type != 2) return refused(1, "expected resource type: 1 (icons) or 2 (cursors)");
  Cursor dir = file_cursor(4);
  int count = dir.le16();
  int dir_w = dir.u8(), dir_h = dir.u8();
  dir.u8();  // colour count, which the info header gives again
  int reserved = dir.u8();
  if (count <= 0 || reserved != 0 || dir.ended) return 1;

  IcoImage im;
  im.offset = (uint32_t)get_int4(18);
  Cursor c = file_cursor(im.offset);
  if (c.le32() != 40) return refused(1, "size of info header not 40");
  int64_t hw = (int32_t)c.le32(), hh = (int32_t)c.le32();
  c.le16();  // planes
  im.depth = c.le16();
  uint32_t compression = c.le32();
  c.skip(12);  // image size, resolution
  uint32_t used = c.le32();
  c.skip(4);  // important colours
  im.w = dir_w, im.h = dir_h;
  if (dir_w == 0 || dir_h == 0) {
    // Icons of 256 pixels a side write 0 for their size: the header has it (its height counts the
    // mask's rows as well).
    im.w = hw;
    im.h = hh < hw ? hh : hw;
  }
  if (compression != 0) return refused(1, "compression not supported");
  int d = im.depth;
  if (d != 1 && d != 4 && d != 8 && d != 24 && d != 32) return refused(1, "color depth not supported: %d", d);
  if (!image_size_ok(im.w, im.h))
    return refused(1, "icon size not supported: %lld x %lld", (long long)im.w, (long long)im.h);
  int in_file = 0;
  if (d <= 8) in_file = used == 0 || used > (1u << d) ? 1 << d : (int)used;
  read_palette(im, c, in_file);

  if (size_loaded_image(im.w, im.h) != SIZE_OK) {
    refuse_on_canvas("memory error");
    return 1;
  }
  fill_pixels(img_content, im.w * im.h, 0.5f, 0.5f, 0.5f, 0.5f);
  bool alpha = false;
  bool whole = decode_colours(im, c, &alpha) && decode_mask(im, c, alpha);
  image_post((int)im.w, (int)im.h, 1);
  if (!whole) note_damaged();
  return 0;
}
