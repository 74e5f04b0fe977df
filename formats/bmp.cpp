// Windows bitmaps (.bmp): 1, 4, 8, 16, 24 and 32 bits a pixel, uncompressed, run-length (RLE8,
// RLE4) or with bit-field masks, any info header from the 40-byte one up. Every refusal shows the
// error canvas with its message.
#include "formats/bmp.h"

#include <cstdio>

#include "formats/byte_readers.h"
#include "formats/byte_table.h"
#include "formats/reader.h"
#include "view/canvas.h"

namespace {

constexpr int BMP_MAX_SIDE = 50000;

struct Rgb {
  float r, g, b;
};

struct Bmp {
  int64_t data_offset, info_size;
  int w, h;        // h is the number of rows, positive
  bool top_first;  // rows stored from the top (negative height in the file)
  int planes, depth;
  uint32_t compression, colours;
  Rgb palette[256];
  int entries;       // palette entries in use
  uint32_t mask[4];  // red, green, blue, alpha
};

// A channel of a masked pixel as 0 to 1: a narrow field is widened to 8 bits by a plain shift (5
// bits times 8, 6 bits times 4, so a full 5-bit field is 248, not 255), a wider one keeps its top
// 8 bits. The default 5-5-5 layout of 16-bit files takes the same path.
struct Field {
  int shift = 0, bits = 0;
  void set(uint32_t m) {
    shift = bits = 0;
    if (!m) return;
    while (!(m & 1)) m >>= 1, shift++;
    while (m & 1) m >>= 1, bits++;
  }
  int byte(uint32_t v) const {
    if (!bits) return 0;
    uint32_t x = (v >> shift) & ((bits >= 32 ? 0 : (1u << bits)) - 1u);
    return bits >= 8 ? (int)(x >> (bits - 8)) : (int)(x << (8 - bits));
  }
};

const float* const LUT = byte_table();  // byte / 255

void set_px(float* p, Rgb c, float a = 1.0f) {
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
  p[3] = a;
}

float* image_row(const Bmp& b, int64_t file_row) {
  int64_t y = b.top_first ? file_row : b.h - 1 - file_row;
  return img_content + 4 * y * b.w;
}

// The palette entry of an index; indices beyond the palette take its last entry.
Rgb entry(const Bmp& b, int i) { return b.palette[i < b.entries ? i : b.entries - 1]; }

// The first n pixels of one uncompressed row. Returns true when a 32-bit row carried any alpha.
bool decode_row(const Bmp& b, const unsigned char* s, int n, float* out, const Field* f) {
  bool alpha = false;
  switch (b.depth) {
    case 1:
      for (int x = 0; x < n; x++) set_px(out + 4 * x, entry(b, s[x >> 3] >> (7 - (x & 7)) & 1));
      break;
    case 4:
      for (int x = 0; x < n; x++)
        set_px(out + 4 * x, entry(b, (x & 1) ? s[x >> 1] & 15 : s[x >> 1] >> 4));
      break;
    case 8:
      // Indices beyond the palette show as their own grey.
      for (int x = 0; x < n; x++) {
        int i = s[x];
        set_px(out + 4 * x, i < b.entries ? b.palette[i] : Rgb{LUT[i], LUT[i], LUT[i]});
      }
      break;
    case 16:
      for (int x = 0; x < n; x++) {
        uint32_t v = s[2 * x] | s[2 * x + 1] << 8;
        set_px(out + 4 * x, {LUT[f[0].byte(v)], LUT[f[1].byte(v)], LUT[f[2].byte(v)]},
               f[3].bits ? LUT[f[3].byte(v)] : 1.0f);
      }
      break;
    case 24:
      for (int x = 0; x < n; x++, s += 3, out += 4) {
        out[0] = LUT[s[2]];
        out[1] = LUT[s[1]];
        out[2] = LUT[s[0]];
        out[3] = 1.0f;
      }
      break;
    case 32:
      if (b.compression == 0) {
        for (int x = 0; x < n; x++, s += 4, out += 4) {
          out[0] = LUT[s[2]];
          out[1] = LUT[s[1]];
          out[2] = LUT[s[0]];
          out[3] = LUT[s[3]];
          alpha |= s[3] != 0;
        }
      } else {
        for (int x = 0; x < n; x++, s += 4) {
          uint32_t v =
              (uint32_t)s[0] | (uint32_t)s[1] << 8 | (uint32_t)s[2] << 16 | (uint32_t)s[3] << 24;
          set_px(out + 4 * x, {LUT[f[0].byte(v)], LUT[f[1].byte(v)], LUT[f[2].byte(v)]},
                 f[3].bits ? LUT[f[3].byte(v)] : 1.0f);
        }
      }
      break;
  }
  return alpha;
}

// Uncompressed rows, each padded to a multiple of 4 bytes. Pixels past the end of the data keep the
// grey fill. Returns false when the data ended.
bool decode_rows(const Bmp& b, Cursor& c) {
  Field f[4];
  for (int k = 0; k < 4; k++) f[k].set(b.mask[k]);
  int64_t stride = ((int64_t)b.w * b.depth + 31) / 32 * 4;
  int64_t need = ((int64_t)b.w * b.depth + 7) / 8;  // the last row may lack its padding
  bool alpha = false;
  int64_t r = 0;
  for (; r < b.h && c.left() >= need; r++) {
    alpha |= decode_row(b, c.data + c.pos, b.w, image_row(b, r), f);
    c.skip(c.left() < stride ? c.left() : stride);
  }
  bool whole = r == b.h;
  if (!whole) {
    int n = (int)(c.left() * 8 / b.depth);
    alpha |= decode_row(b, c.data + c.pos, n, image_row(b, r), f);
    for (int64_t y = r; y < b.h; y++) {
      int from = y == r ? n : 0;
      fill_pixels(image_row(b, y) + 4 * from, b.w - from, 0.5f, 0.5f, 0.5f, 1.0f);
    }
  }
  // Writers that leave the fourth byte of 32-bit pixels 0 mean no alpha; keep such a picture
  // visible.
  if (b.depth == 32 && b.compression == 0 && !alpha) {
    float* p = img_content;
    for (int64_t i = 0; i < (int64_t)b.w * b.h; i++) p[4 * i + 3] = 1.0f;
  }
  return whole;
}

// RLE8 and RLE4: pairs (count, value). A count above 0 repeats value's index (RLE4: its two
// nibbles in turn); count 0 escapes: 0 ends the line, 1 ends the bitmap, 2 moves right and up by
// the next two bytes, n >= 3 gives n literal indices padded to an even number of bytes. Runs are
// cut at the row's end; pixels no run reaches keep palette entry 0. Returns false when the data
// ended before the end of the bitmap.
bool decode_rle(const Bmp& b, Cursor& c) {
  bool four = b.compression == 2;
  int64_t x = 0, y = 0;
  auto put = [&](int i) {
    if (x < b.w && y < b.h) set_px(image_row(b, y) + 4 * x, entry(b, i));
    if (x <= b.w) x++;
  };
  while (y < b.h) {
    if (c.left() < 2) return false;
    int n = c.u8(), v = c.u8();
    if (n > 0) {
      for (int i = 0; i < n && x < b.w; i++) put(four ? ((i & 1) ? v & 15 : v >> 4) : v);
    } else if (v == 0) {
      x = 0;
      y++;
    } else if (v == 1) {
      return true;
    } else if (v == 2) {
      int dx = c.u8(), dy = c.u8();
      if (c.ended) return false;
      x = x + dx > b.w ? b.w : x + dx;
      y += dy;
    } else {
      int bytes = four ? (v + 1) / 2 : v;
      for (int i = 0; i < bytes; i++) {
        int byte = c.u8();
        if (c.ended) return false;
        if (!four) {
          put(byte);
        } else {
          put(byte >> 4);
          if (2 * i + 1 < v) put(byte & 15);
        }
      }
      if (bytes & 1) c.u8();
    }
  }
  return true;
}

}  // namespace

int load_bmp() {
  int sig = get_int2(0);
  if (sig != 19778) {
    refuse_on_canvas("wrong filetype (%d), should be 19778", sig);
    return 0;
  }
  Bmp b{};
  b.data_offset = (uint32_t)get_int4(10);
  b.info_size = (uint32_t)get_int4(14);
  if (b.info_size == 12) {
    refuse_on_canvas("old bmp format");
    return 0;
  }
  if (b.info_size < 12) {
    refuse_on_canvas("%s", "");
    return 0;
  }
  int64_t w = get_int4(18), h = get_int4(22);
  b.top_first = h < 0;
  if (h < 0) h = -h;
  if (w > BMP_MAX_SIDE || h > BMP_MAX_SIDE || !image_size_ok(w, h)) {
    refuse_on_canvas("res=%lld x %lld\n", (long long)w, (long long)h);
    return 0;
  }
  b.w = (int)w;
  b.h = (int)h;
  b.planes = get_int2(26);
  b.depth = get_int2(28);
  b.compression = (uint32_t)get_int4(30);
  b.colours = (uint32_t)get_int4(46);

  if (b.planes != 1) {
    printf("planes: %d\n", b.planes);
    int r = size_loaded_image(w, h);
    if (r != SIZE_OK) {
      refuse_on_canvas("memory error");
      return 0;
    }
    fill_pixels(img_content, w * h, 0.5f, 0.5f, 0.5f, 1.0f);
    image_post(b.w, b.h, 1);
    return 0;
  }
  int d = b.depth;
  if (d != 1 && d != 4 && d != 8 && d != 16 && d != 24 && d != 32) {
    refuse_on_canvas("invalid color depth parameter");
    return 0;
  }
  switch (b.compression) {
    case 0:
    case 3:
      break;
    case 1:
      if (d != 8) {
        puts("rle8: col depth not 8");
        refuse_on_canvas("%s", "");
        return 0;
      }
      break;
    case 2:
      if (d != 4) {
        puts("rle4: col depth not 4");
        refuse_on_canvas("%s", "");
        return 0;
      }
      break;
    case 4:
      refuse_on_canvas("unsupported jpeg compression");
      return 0;
    case 5:
      refuse_on_canvas("unsupported png compression");
      return 0;
    case 6:
      refuse_on_canvas("unsupported compression BI_ALPHABITFIELDS");
      return 0;
    default:
      refuse_on_canvas("compression not supported: %d\n", (int)b.compression);
      return 0;
  }
  if (b.colours > 256) {
    refuse_on_canvas("improper size of color map");
    return 0;
  }

  // The palette follows the info header (and the three masks that a 40-byte header with bit
  // fields is followed by); a count of 0 means every index of the depth.
  if (d <= 8) {
    b.entries = b.colours ? (int)b.colours : 1 << d;
    Cursor p = file_cursor(14 + b.info_size + (b.info_size == 40 && b.compression == 3 ? 12 : 0));
    for (int i = 0; i < b.entries; i++) {
      int bl = p.u8(), g = p.u8(), r = p.u8();
      p.u8();
      b.palette[i] = {LUT[r], LUT[g], LUT[bl]};
    }
  }
  if (b.compression == 3) {
    Cursor m = file_cursor(54);
    for (int k = 0; k < 3; k++) b.mask[k] = m.le32();
    b.mask[3] = b.info_size >= 56 ? m.le32() : 0;
  } else if (d == 16) {
    b.mask[0] = 0x7C00, b.mask[1] = 0x3E0, b.mask[2] = 0x1F;
  }

  int r = size_loaded_image(w, h);
  if (r != SIZE_OK) {
    refuse_on_canvas("memory error");
    return 0;
  }
  Cursor c = file_cursor(b.data_offset);
  bool whole = true;
  if (b.compression == 1 || b.compression == 2) {
    fill_pixels(img_content, w * h, b.palette[0].r, b.palette[0].g, b.palette[0].b, 1.0f);
    whole = decode_rle(b, c);
  } else if (b.compression == 3 && d <= 8) {
    // 4- and 8-bit pictures cannot have bit fields: nothing is decoded.
    fill_pixels(img_content, w * h, 0.5f, 0.5f, 0.5f, 1.0f);
  } else {
    whole = decode_rows(b, c);
  }
  image_post(b.w, b.h, 1);
  if (!whole) note_damaged();
  return 0;
}
