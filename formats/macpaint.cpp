// Bare MacPaint files (.mac): the 512-byte document header, then the coded rows. A file cut short
// shows grey below its last row; the one refusal (no memory) leaves the error canvas.
#include "formats/macpaint.h"

#include <cstdio>

#include "view/canvas.h"

namespace {

// Eight pixels of one byte at pixel index i of the picture.
void put_byte(int64_t i, int v) {
  float* p = img_content + 4 * i;
  for (int b = 7; b >= 0; b--, p += 4) {
    float c = (v >> b & 1) ? 0.0f : 1.0f;
    p[0] = p[1] = p[2] = c;
  }
}

}  // namespace

bool start_macpaint_image() {
  if (size_loaded_image(MACPAINT_W, MACPAINT_H) != SIZE_OK) return false;
  fill_pixels(img_content, (int64_t)MACPAINT_W * MACPAINT_H, 0.5f, 0.5f, 0.5f, 1.0f);
  return true;
}

bool decode_macpaint_rows(Cursor& c, int repeats_of_128) {
  const int64_t total = (int64_t)MACPAINT_W * MACPAINT_H;
  int64_t i = 0;  // next pixel; every byte gives 8 and rows follow one another without a gap
  while (i < total && c.left() >= 2) {
    int h = c.u8();
    int v = c.u8();
    if (h < 128) {
      for (int k = 0; k <= h && i < total; k++) {
        if (k > 0) {
          if (c.left() <= 0) return false;
          v = c.u8();
        }
        put_byte(i, v);
        i += 8;
      }
    } else {
      int n = h == 128 ? repeats_of_128 : 257 - h;
      for (int k = 0; k < n && i < total; k++, i += 8) put_byte(i, v);
    }
  }
  return i >= total;
}

int load_mac() {
  if (!start_macpaint_image()) {
    refuse_silently("memory error (init img)");
    return 0;
  }
  Cursor c = file_cursor(MACPAINT_HEADER);
  bool whole = decode_macpaint_rows(c, 1);
  image_post(MACPAINT_W, MACPAINT_H, 1);
  if (!whole) note_damaged();
  return 0;
}
