// Targa images (.tga): colour-mapped (types 1 and 9), true-colour of 15, 16, 24 or 32 bits
// (types 2 and 10) and greyscale of 8 bits or 8 bits with alpha (types 3 and 11), plain or
// run-length coded, stored from the bottom row up or from the top down, each row from the left or
// from the right. A refusal shows the error canvas without a message and names it on the status line.
#include "formats/targa.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "formats/byte_table.h"
#include "formats/reader.h"
#include "view/canvas.h"

namespace {

enum { TGA_MAPPED = 1, TGA_TRUE = 2, TGA_GREY = 3, TGA_RLE = 8 };

struct TgaHeader {
  int id_length, map_type, type;
  int map_first, map_length, map_bits;
  int64_t w, h;
  int bits, descriptor;
};

// A pixel of 15 or 16 bits: five bits each of red, green and blue (blue lowest). The top bit is
// not taken as alpha: most writers leave it 0 in opaque pictures.
void put_555(const unsigned char* p, float* out) {
  unsigned v = p[0] | p[1] << 8;
  out[0] = (float)(v >> 10 & 31) / 31.0f;
  out[1] = (float)(v >> 5 & 31) / 31.0f;
  out[2] = (float)(v & 31) / 31.0f;
  out[3] = 1.0f;
}

// Converters from the bytes of one stored pixel to RGBA.
struct Bgr {
  const float* lut = byte_table();
  void operator()(const unsigned char* p, float* out) {
    out[0] = lut[p[2]];
    out[1] = lut[p[1]];
    out[2] = lut[p[0]];
    out[3] = 1.0f;
  }
};
struct Bgra {
  const float* lut = byte_table();
  unsigned any_alpha = 0;
  void operator()(const unsigned char* p, float* out) {
    out[0] = lut[p[2]];
    out[1] = lut[p[1]];
    out[2] = lut[p[0]];
    out[3] = lut[p[3]];
    any_alpha |= p[3];
  }
};
struct Rgb555 {
  void operator()(const unsigned char* p, float* out) { put_555(p, out); }
};
struct Grey {
  const float* lut = byte_table();
  void operator()(const unsigned char* p, float* out) {
    out[0] = out[1] = out[2] = lut[p[0]];
    out[3] = 1.0f;
  }
};
struct GreyAlpha {
  const float* lut = byte_table();
  void operator()(const unsigned char* p, float* out) {
    out[0] = out[1] = out[2] = lut[p[0]];
    out[3] = lut[p[1]];
  }
};
// Indices of 8 or 16 bits into the colour map; indices outside it are opaque black.
struct Mapped {
  const std::vector<float>* map;
  int first, wide;
  void operator()(const unsigned char* p, float* out) {
    int64_t i = (wide ? p[0] | p[1] << 8 : p[0]) - first;
    if (i >= 0 && 4 * i < (int64_t)map->size()) {
      memcpy(out, map->data() + 4 * i, 16);
    } else {
      out[0] = out[1] = out[2] = 0.0f;
      out[3] = 1.0f;
    }
  }
};

// Writes the pixels of the picture in file order, which runs along each row from the left (or
// the right) and from the bottom row up (or the top row down). A row stored from the right is
// written from the left as it comes and turned round once complete, so packets that run on into
// the next row need nothing special.
struct Rows {
  int64_t w, h, x = 0, y = 0;
  bool top_first, right_first;
  float* row = nullptr;
  void start() { row = img_content + 4 * (top_first ? 0 : h - 1) * w; }
  // Room left in the current row; 0 at the end of the picture.
  int64_t room() const { return y < h ? w - x : 0; }
  float* at() { return row + 4 * x; }
  void turn_round(float* p) {
    for (int64_t a = 0, b = w - 1; a < b; a++, b--) {
      float t[4];
      memcpy(t, p + 4 * a, 16);
      memcpy(p + 4 * a, p + 4 * b, 16);
      memcpy(p + 4 * b, t, 16);
    }
  }
  void advance(int64_t n) {
    x += n;
    if (x == w) {
      if (right_first) turn_round(row);
      x = 0;
      y++;
      if (y < h) row = img_content + 4 * (top_first ? y : h - 1 - y) * w;
    }
  }
  // The pixels that did not come take the grey fill; those of a row cut short keep their places
  // from the side the row starts.
  void fill_rest() {
    for (int64_t r = y; r < h; r++) {
      float* p = img_content + 4 * (top_first ? r : h - 1 - r) * w;
      int64_t from = r == y ? x : 0;
      fill_pixels(p + 4 * from, w - from, 0.5f, 0.5f, 0.5f, 1.0f);
      if (r == y && right_first) turn_round(p);
    }
  }
};

template <class Conv>
bool decode_plain(Cursor& c, Rows& rows, int bpp, Conv& conv) {
  while (rows.room() > 0) {
    int64_t n = rows.room();
    int64_t have = c.left() / bpp < n ? c.left() / bpp : n;
    const unsigned char* p = c.take(have * bpp);
    float* out = rows.at();
    for (int64_t i = 0; i < have; i++, p += bpp, out += 4) conv(p, out);
    rows.advance(have);
    if (have < n) return false;
  }
  return true;
}

// Packets: a header byte h, then with the top bit set one pixel repeated (h & 127) + 1 times,
// otherwise (h & 127) + 1 literal pixels. A packet may run on into the next row.
template <class Conv>
bool decode_rle(Cursor& c, Rows& rows, int bpp, Conv& conv) {
  while (rows.room() > 0) {
    if (c.left() < 1 + bpp) return false;
    int h = c.u8();
    int64_t count = (h & 127) + 1;
    if (h & 128) {
      float px[4];
      conv(c.take(bpp), px);
      while (count > 0 && rows.room() > 0) {
        int64_t m = count < rows.room() ? count : rows.room();
        float* out = rows.at();
        for (int64_t i = 0; i < m; i++, out += 4) memcpy(out, px, 16);
        rows.advance(m);
        count -= m;
      }
    } else {
      while (count > 0 && rows.room() > 0) {
        int64_t m = count < rows.room() ? count : rows.room();
        int64_t have = c.left() / bpp < m ? c.left() / bpp : m;
        const unsigned char* p = c.take(have * bpp);
        float* out = rows.at();
        for (int64_t i = 0; i < have; i++, p += bpp, out += 4) conv(p, out);
        rows.advance(have);
        if (have < m) return false;
        count -= m;
      }
    }
  }
  return true;
}

template <class Conv>
bool decode(const TgaHeader& t, Cursor& c, Rows& rows, int bpp, Conv& conv) {
  return (t.type & TGA_RLE) ? decode_rle(c, rows, bpp, conv) : decode_plain(c, rows, bpp, conv);
}

// The colour map as RGBA entries, read with the converter of its entry size.
bool read_map(const TgaHeader& t, Cursor& c, std::vector<float>& map) {
  int bytes = (t.map_bits + 7) / 8;
  map.assign(4 * (size_t)t.map_length, 0.0f);
  Bgr bgr;
  Bgra bgra;
  Rgb555 rgb555;
  for (int i = 0; i < t.map_length; i++) {
    const unsigned char* p = c.take(bytes);
    if (!p) return false;
    float* e = map.data() + 4 * i;
    if (bytes == 2)
      rgb555(p, e);
    else if (bytes == 3)
      bgr(p, e);
    else
      bgra(p, e);
  }
  // A map whose alpha bytes are all 0 carries no alpha.
  if (bytes == 4 && !bgra.any_alpha)
    for (int i = 0; i < t.map_length; i++) map[4 * i + 3] = 1.0f;
  return true;
}

const char* refusal(const TgaHeader& t) {
  switch (t.type & ~TGA_RLE) {
    case TGA_MAPPED:
      if (t.map_type != 1 || (t.bits != 8 && t.bits != 16)) return "Targa colour map not supported";
      if (t.map_bits != 15 && t.map_bits != 16 && t.map_bits != 24 && t.map_bits != 32)
        return "Targa colour map not supported";
      return nullptr;
    case TGA_TRUE:
      return t.bits == 15 || t.bits == 16 || t.bits == 24 || t.bits == 32 ? nullptr : "Targa depth not supported";
    case TGA_GREY:
      return t.bits == 8 || t.bits == 16 ? nullptr : "Targa depth not supported";
    default:
      return "Targa type not supported";
  }
}

}  // namespace

int load_targa() {
  Cursor c = file_cursor();
  TgaHeader t;
  t.id_length = c.u8();
  t.map_type = c.u8();
  t.type = c.u8();
  t.map_first = (int)c.le16();
  t.map_length = (int)c.le16();
  t.map_bits = c.u8();
  c.skip(4);  // origin on the screen
  t.w = c.le16();
  t.h = c.le16();
  t.bits = c.u8();
  t.descriptor = c.u8();
  if (c.ended) {
    refuse_silently("damaged Targa header");
    return 0;
  }
  if (const char* why = refusal(t)) {
    refuse_silently("%s: type %d, %d bits", why, t.type, t.bits);
    return 0;
  }
  if (!image_size_ok(t.w, t.h)) {
    refuse_silently("Targa size not supported: %d x %d", (int)t.w, (int)t.h);
    return 0;
  }
  c.skip(t.id_length);
  // A colour map in the file is skipped unless the pixels index it.
  std::vector<float> map;
  int map_bytes = t.map_type == 1 ? t.map_length * ((t.map_bits + 7) / 8) : 0;
  int kind = t.type & ~TGA_RLE;
  if (kind == TGA_MAPPED) {
    if (!read_map(t, c, map)) {
      refuse_silently("damaged Targa colour map");
      return 0;
    }
  } else {
    c.skip(map_bytes);
  }
  if (size_loaded_image(t.w, t.h) != SIZE_OK) {
    refuse_silently("memory error (img post)");
    return 0;
  }
  Rows rows{t.w, t.h};
  rows.top_first = (t.descriptor & 0x20) != 0;
  rows.right_first = (t.descriptor & 0x10) != 0;
  rows.start();
  bool whole;
  int bpp = (t.bits + 7) / 8;
  if (kind == TGA_MAPPED) {
    Mapped conv{&map, t.map_first, t.bits == 16};
    whole = decode(t, c, rows, bpp, conv);
  } else if (kind == TGA_GREY) {
    if (bpp == 1) {
      Grey conv;
      whole = decode(t, c, rows, bpp, conv);
    } else {
      GreyAlpha conv;
      whole = decode(t, c, rows, bpp, conv);
    }
  } else if (bpp == 2) {
    Rgb555 conv;
    whole = decode(t, c, rows, bpp, conv);
  } else if (bpp == 3) {
    Bgr conv;
    whole = decode(t, c, rows, bpp, conv);
  } else {
    Bgra conv;
    whole = decode(t, c, rows, bpp, conv);
    // Writers that leave every alpha byte 0 mean no alpha: keep such a picture visible.
    if (!conv.any_alpha)
      for (int64_t i = 0; i < t.w * t.h; i++) img_content[4 * i + 3] = 1.0f;
  }
  if (!whole) rows.fill_rest();
  image_post((int)t.w, (int)t.h, 1);
  if (!whole) note_damaged();
  return 0;
}
