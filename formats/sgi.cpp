// SGI images (.rgb), verbatim or run-length, 8 or 16 bits a sample, grey, RGB or RGBA. Refuses in
// silence over the error canvas. No command of the viewer opens these files.
#include "formats/sgi.h"

#include "formats/byte_readers.h"
#include "formats/reader.h"
#include "view/canvas.h"

namespace {

struct SgiHeader {
  int storage, bpc, dimension, w, h, channels;
  uint32_t colormap;
};

SgiHeader sgi_header(Cursor& c) {
  SgiHeader s;
  c.seek(2);
  s.storage = c.u8();
  s.bpc = c.u8();
  s.dimension = c.be16();
  s.w = c.be16();
  s.h = c.be16();
  s.channels = c.be16();
  c.seek(104);
  s.colormap = c.be32();
  // A one-dimensional image is a single row of one channel, a two-dimensional one has one channel.
  if (s.dimension == 1) s.h = 1;
  if (s.dimension < 3) s.channels = 1;
  return s;
}

// Where channel k of a sample goes: the one channel of a grey image fills red, green and blue.
void put(float* px, int k, int channels, float v) {
  if (channels < 3)
    px[0] = px[1] = px[2] = v;
  else
    px[k] = v;
}

int sample(Cursor& c, int bpc) { return bpc == 2 ? (int)c.be16() : c.u8(); }
float to_float(int v, int bpc) { return bpc == 2 ? short2float(v) : byte2float(v); }

// One run-length row of channel k into image row `out` (w pixels). A packet's low seven bits
// count its samples: with the high bit set that many literal samples follow, otherwise one sample
// repeated; a count of 0 ends the row. Returns false when the data ended or the row came out short.
bool rle_row(Cursor& c, const SgiHeader& s, int k, float* out) {
  int x = 0;
  for (;;) {
    if (c.left() < s.bpc) return false;
    int packet = sample(c, s.bpc);
    int count = packet & 0x7F;
    if (count == 0) return x >= s.w;
    if (packet & 0x80) {
      for (int i = 0; i < count; i++) {
        if (c.left() < s.bpc) return false;
        int v = sample(c, s.bpc);
        if (x < s.w) put(out + 4 * x, k, s.channels, to_float(v, s.bpc));
        x++;
      }
    } else {
      if (c.left() < s.bpc) return false;
      float v = to_float(sample(c, s.bpc), s.bpc);
      for (int i = 0; i < count; i++, x++)
        if (x < s.w) put(out + 4 * x, k, s.channels, v);  // samples past the width are dropped
    }
  }
}

}  // namespace

void load_rgb() {
  Cursor c = file_cursor();
  if (c.be16() != 474) return refuse_silently("not an SGI image");
  SgiHeader s = sgi_header(c);
  if (c.ended) return refuse_silently("damaged SGI header");
  if (s.colormap != 0) return refuse_silently("colormap not supported");
  if (s.storage > 1 || (s.bpc != 1 && s.bpc != 2) || s.channels < 1)
    return refuse_silently("SGI storage not supported");
  int r = size_loaded_image(s.w, s.h);
  if (r == SIZE_REFUSED) return refuse_silently("SGI size not supported: %d x %d", s.w, s.h);
  if (r == SIZE_NO_MEMORY) return refuse_silently("memory error (init img)");
  fill_pixels(img_content, (int64_t)s.w * s.h, 0.5f, 0.5f, 0.5f, 1.0f);

  // Grey (with a second channel that is not shown), RGB, or RGBA and channels past the fourth
  // that have no place in a pixel.
  int used = s.channels < 3 ? 1 : (s.channels < 4 ? s.channels : 4);
  bool whole = true;
  if (s.storage == 1) {
    // A table of start offsets at 512, one per row and channel, entry y + k * height.
    for (int k = 0; k < used; k++)
      for (int y = 0; y < s.h; y++) {
        Cursor t = file_cursor(512 + 4 * ((int64_t)k * s.h + y));
        int64_t start = t.be32();
        Cursor row = file_cursor(start);
        float* out = img_content + (int64_t)4 * (s.h - 1 - y) * s.w;
        if (t.ended || row.ended || !rle_row(row, s, k, out)) whole = false;
      }
  } else {
    // Planar from 512: every row of channel 0 from the bottom up, then channel 1, and so on.
    c.seek(512);
    for (int k = 0; k < used && whole; k++)
      for (int y = 0; y < s.h && whole; y++) {
        float* out = img_content + (int64_t)4 * (s.h - 1 - y) * s.w;
        for (int x = 0; x < s.w; x++) {
          if (c.left() < s.bpc) {
            whole = false;
            break;
          }
          put(out + 4 * x, k, s.channels, to_float(sample(c, s.bpc), s.bpc));
        }
      }
  }
  image_post(s.w, s.h, 1);
  if (!whole) note_damaged();
}
