#include "support/ocr.h"

#include <cmath>

#include "view/canvas.h"
#include "view/font.h"

namespace {

// Tells per pixel whether it is ink; -1 for pixels outside the picture.
template <class IsInk>
int read_cell(int w, int h, int col, int row, IsInk is_ink) {
  const int x0 = 9 * col, y0 = 18 * row;
  auto at = [&](int x, int y) -> int {
    if (x < 0 || y < 0 || x >= w || y >= h) return -1;
    return is_ink(x, y) ? 1 : 0;
  };
  // The spacing column and rows never hold ink.
  bool any = false;
  for (int y = 0; y < 18; y++)
    for (int x = 0; x < 9; x++) {
      int v = at(x0 + x, y0 + y);
      if (v == 1) {
        if (x == 0 || y == 0 || y == 17) return OCR_UNKNOWN;
        any = true;
      }
    }
  if (!any) return OCR_BLANK;
  int found = OCR_UNKNOWN;
  for (int c = 33; c <= 127; c++) {
    const unsigned char* g = bx_vgafont + 16 * c;
    bool fits = true;
    for (int r = 0; r < 16 && fits; r++)
      for (int b = 0; b < 8; b++) {
        int v = at(x0 + 1 + b, y0 + 1 + r);
        if (v < 0) continue;
        if (v != ((g[r] >> b) & 1)) {
          fits = false;
          break;
        }
      }
    if (!fits) continue;
    if (found != OCR_UNKNOWN) return OCR_AMBIGUOUS;
    found = c;
  }
  return found;
}

std::string as_text(int row, int col0, int n, int (*cell)(int, int)) {
  std::string s;
  for (int i = 0; i < n; i++) {
    int c = cell(col0 + i, row);
    s += c < 0 ? '?' : (char)c;
  }
  return s;
}

}  // namespace

int ocr_cell(const float* pic, int w, int h, int col, int row, const float ink[3]) {
  if (!pic) return OCR_UNKNOWN;
  return read_cell(w, h, col, row, [&](int x, int y) {
    const float* p = pic + 4 * ((long)y * w + x);
    return std::fabs(p[0] - ink[0]) < 1e-6f && std::fabs(p[1] - ink[1]) < 1e-6f &&
           std::fabs(p[2] - ink[2]) < 1e-6f;
  });
}

int ocr_cell_rgb(const unsigned char* rgb, int w, int h, int col, int row, const int ink[3],
                 int tolerance) {
  if (!rgb) return OCR_UNKNOWN;
  return read_cell(w, h, col, row, [&](int x, int y) {
    const unsigned char* p = rgb + 3 * ((long)y * w + x);
    for (int k = 0; k < 3; k++)
      if (std::abs((int)p[k] - ink[k]) > tolerance) return false;
    return true;
  });
}

int ocr_canvas_cell(int col, int row) {
  static const float black[3] = {0, 0, 0};
  return ocr_cell(fimage, width, height, col, row, black);
}

int ocr_image_cell(int col, int row) {
  static const float ink[3] = {0.9f, 0.9f, 0.5f};
  if (!loaded_image_valid()) return OCR_UNKNOWN;
  return ocr_cell(img_content, image_xres, image_yres, col, row, ink);
}

std::string ocr_canvas_text(int row, int col0, int n) {
  return as_text(row, col0, n, ocr_canvas_cell);
}

std::string ocr_image_text(int row, int col0, int n) {
  return as_text(row, col0, n, ocr_image_cell);
}
