// PCX images (.pcx): 24-bit pictures in three planes of 8 bits (a fourth plane is ignored),
// 256 colours in one plane of 8 bits with the palette at the end of the file, 2 to 16 colours
// in planes of 1 bit or packed pixels of 1, 2 or 4 bits with the palette of the header, and
// black-and-white bitmaps. Every scan line holds each plane in turn, run-length coded. Shows
// the error canvas without a message for a refusal, which it names on the status line.
#include "formats/pcx.h"

#include <cstdio>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "formats/byte_readers.h"
#include "formats/byte_table.h"
#include "formats/reader.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

struct PcxHeader {
  int version, encoding, bits, planes, palette_info;
  int64_t w, h, plane_bytes;
};

// The coded data is one stream over every plane of every line: a byte with its two top bits set
// repeats the next byte (its low six bits) times; any other byte stands for itself. A run may
// carry on into the next plane or line.
struct PcxRunLength {
  int run = 0, value = 0;

  // Fills n bytes; returns how many the data gave.
  int64_t fill(Cursor& c, unsigned char* out, int64_t n) {
    unsigned char *o = out, *o_end = out + n;
    if (run > 0) {
      int m = run < n ? run : (int)n;
      memset(o, value, (size_t)m);
      run -= m;
      o += m;
    }
    const unsigned char *p = c.data + c.pos, *end = c.data + c.size;
    while (o < o_end && p < end) {
#ifdef __SSE2__
      // Literal bytes sixteen at a time: up to the first byte with its two top bits set.
      if (end - p >= 16 && o_end - o >= 16) {
        const __m128i top = _mm_set1_epi8((char)0xC0);
        __m128i v = _mm_loadu_si128((const __m128i*)p);
        unsigned runs = (unsigned)_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, top), top));
        int lit = runs ? __builtin_ctz(runs) : 16;
        _mm_storeu_si128((__m128i*)o, v);
        o += lit;
        p += lit;
        if (lit == 16 || o >= o_end) continue;
      }
#endif
      unsigned b = *p++;
      if (b < 0xC0) {
        *o++ = (unsigned char)b;
        continue;
      }
      if (p >= end) {
        p--;  // a count whose byte is missing: the data has ended
        break;
      }
      int count = (int)(b & 0x3F), v = *p++;
      int64_t room = o_end - o;
      if (count > room) {
        // The rest of the run belongs to the next line.
        run = count - (int)room;
        value = v;
        count = (int)room;
      }
      for (int i = 0; i < count; i++) o[i] = (unsigned char)v;
      o += count;
    }
    c.pos = p - c.data;
    return o - out;
  }
};

// The palette of 256 colours after the marker byte 12 at the end of the file; grey when the file
// has none.
void vga_palette(float pal[256][3]) {
  const float* lut = byte_table();
  int64_t at = (int64_t)bin_allocated - 769;
  Cursor c = file_cursor(at >= 128 ? at : 0);
  bool present = at >= 128 && c.u8() == 12;
  for (int i = 0; i < 256; i++)
    for (int k = 0; k < 3; k++) pal[i][k] = present ? lut[c.u8()] : lut[i];
}

void header_palette(const PcxHeader& p, float pal[256][3]) {
  const float* lut = byte_table();
  Cursor c = file_cursor(16);
  for (int i = 0; i < 16; i++)
    for (int k = 0; k < 3; k++) pal[i][k] = lut[c.u8()];
  // Bitmaps are black and white whatever the header's first two entries say.
  if (p.bits == 1 && p.planes == 1)
    for (int k = 0; k < 3; k++) pal[0][k] = 0.0f, pal[1][k] = 1.0f;
}

// A pixel as one vector of four floats, so that planar lines are put together with two adds and
// stored in one move.
typedef float Quad __attribute__((vector_size(16)));

// Each byte's value in one channel of a pixel, 0 in the others; blue's table carries the alpha.
struct PlaneTables {
  Quad r[256], g[256], b[256];
  PlaneTables() {
    const float* lut = byte_table();
    for (int i = 0; i < 256; i++) {
      r[i] = Quad{lut[i], 0, 0, 0};
      g[i] = Quad{0, lut[i], 0, 0};
      b[i] = Quad{0, 0, lut[i], 1.0f};
    }
  }
};

// One scan line (every plane) into image row `out`.
void convert_line(const PcxHeader& p, const float pal[256][3], const unsigned char* line, float* out) {
  int64_t w = p.w, pb = p.plane_bytes;
  if (p.bits == 8 && p.planes >= 3) {
    static const PlaneTables t;
    const unsigned char *r = line, *g = line + pb, *b = line + 2 * pb;
    for (int64_t x = 0; x < w; x++, out += 4) {
      Quad px = t.r[r[x]] + t.g[g[x]] + t.b[b[x]];
      memcpy(out, &px, sizeof px);
    }
    return;
  }
  for (int64_t x = 0; x < w; x++, out += 4) {
    int i;
    if (p.bits == 8) {
      i = line[x];
    } else {
      // Packed pixels: `bits` of each byte from the top; planes give one bit each of the index.
      i = 0;
      int64_t bit = x * p.bits;
      for (int k = 0; k < p.planes; k++) {
        int v = line[k * pb + (bit >> 3)] >> (8 - p.bits - (bit & 7)) & ((1 << p.bits) - 1);
        i |= v << (k * p.bits);
      }
    }
    out[0] = pal[i][0];
    out[1] = pal[i][1];
    out[2] = pal[i][2];
    out[3] = 1.0f;
  }
}

bool layout_supported(const PcxHeader& p) {
  if (p.bits == 8) return p.planes == 1 || p.planes == 3 || p.planes == 4;
  if (p.bits != 1 && p.bits != 2 && p.bits != 4) return false;
  return p.planes >= 1 && p.bits * p.planes <= 4;
}

}  // namespace

int load_pcx() {
  Cursor c = file_cursor();
  if (c.u8() != 10) {
    refuse_silently("not a pcx");
    return 0;
  }
  PcxHeader p;
  p.version = c.u8();
  p.encoding = c.u8();
  p.bits = c.u8();
  int64_t xmin = c.le16(), ymin = c.le16(), xmax = c.le16(), ymax = c.le16();
  c.seek(65);
  p.planes = c.u8();
  int64_t bpl = c.le16();
  p.palette_info = c.le16();
  if (p.version != 5) printf("version = %d\n", p.version);
  if (p.encoding > 1) printf("compression = %d\n", p.encoding);
  if (p.bits != 8) printf("bits_per_pixel = %d\n", p.bits);
  if (c.ended) {
    refuse_silently("damaged PCX header");
    return 0;
  }
  p.w = xmax - xmin + 1;
  p.h = ymax - ymin + 1;
  if (!image_size_ok(p.w, p.h)) {
    refuse_silently("PCX size not supported: %lld x %lld", (long long)p.w, (long long)p.h);
    return 0;
  }
  if (!layout_supported(p)) {
    refuse_silently("PCX layout not supported: %d planes of %d bits", p.planes, p.bits);
    return 0;
  }
  if (p.palette_info != 1 && p.palette_info != 2) puts("unknown palette info");
  if (p.encoding == 0) {
    refuse_silently("not supported");
    return 0;
  }
  if (size_loaded_image(p.w, p.h) != SIZE_OK) {
    refuse_silently("memory error (init img)");
    return 0;
  }
  int64_t n = p.w * p.h;
  if (p.encoding > 1) {
    fill_grey_from(0, n);
    image_post((int)p.w, (int)p.h, 1);
    puts("compression not supported");
    set_status("compression not supported");
    return 0;
  }
  // A line as long as the header says, but never shorter than its pixels need.
  int64_t need = (p.w * p.bits + 7) / 8;
  p.plane_bytes = bpl > need ? bpl : need;
  float pal[256][3] = {};
  if (p.bits == 8 && p.planes == 1)
    vga_palette(pal);
  else if (p.bits < 8)
    header_palette(p, pal);

  int64_t line_bytes = p.plane_bytes * p.planes;
  std::vector<unsigned char> line((size_t)line_bytes);
  PcxRunLength rle;
  c.seek(128);
  for (int64_t y = 0; y < p.h; y++) {
    if (rle.fill(c, line.data(), line_bytes) < line_bytes) {
      fill_grey_from(y * p.w, n);
      image_post((int)p.w, (int)p.h, 1);
      note_damaged();
      return 0;
    }
    convert_line(p, pal, line.data(), img_content + 4 * y * p.w);
  }
  image_post((int)p.w, (int)p.h, 1);
  return 0;
}
