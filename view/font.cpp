#include "view/font.h"

#include "view/stores.h"

void draw_glyph(float* pic, int w, int h, int x, int y, int c, const float ink[4]) {
  if (c < 33 || c > 127 || !pic) return;
  const unsigned char* g = bx_vgafont + 16 * c;
  for (int r = 0; r < 16; r++) {
    int py = y + r;
    if (py < 0 || py >= h) continue;
    for (int b = 0; b < 8; b++) {
      if (!(g[r] & (1 << b))) continue;
      int px = x + b;
      if (px < 0 || px >= w) continue;
      float* p = pic + 4 * ((long)py * w + px);
      p[0] = ink[0];
      p[1] = ink[1];
      p[2] = ink[2];
      p[3] = ink[3];
    }
  }
}

void print_char(int col, int row, int c) {
  static const float black[4] = {0, 0, 0, 1};
  draw_glyph(fimage, width, height, 9 * col + 1, 18 * row + 1, c, black);
}

void print_char_img(int col, int row, int c) {
  static const float ink[4] = {0.9f, 0.9f, 0.5f, 1};
  draw_glyph(img_content, image_xres, image_yres, 9 * col + 1, 18 * row + 1, c, ink);
}
