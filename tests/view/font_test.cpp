// The built-in font against an independent copy of the code page 437 shapes, glyph placement in
// text cells, cutting at the canvas edge, and the error canvas read back cell by cell.
#include "view/font.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/headless.h"
#include "support/ocr.h"
#include "view/canvas.h"

namespace {

// The console's 8 x 16 font (Debian console-data, PSF1), whose rows have the leftmost pixel in
// the high bit.
std::vector<unsigned char> console_font() {
  const char* path = "/usr/share/consolefonts/default8x16.psf.gz";
  gzFile f = gzopen(path, "rb");
  if (!f) return {};
  std::vector<unsigned char> d(4 + 256 * 16);
  int n = gzread(f, d.data(), (unsigned)d.size());
  gzclose(f);
  if (n != (int)d.size() || d[0] != 0x36 || d[1] != 0x04 || d[3] != 16) return {};
  return std::vector<unsigned char>(d.begin() + 4, d.end());
}

unsigned char reversed(unsigned char b) {
  unsigned char r = 0;
  for (int i = 0; i < 8; i++)
    if (b & (1 << i)) r |= (unsigned char)(0x80 >> i);
  return r;
}

int ink_pixels(int c) {
  int n = 0;
  for (int r = 0; r < 16; r++) n += __builtin_popcount(bx_vgafont[16 * c + r]);
  return n;
}

// Canvas pixels that differ from the text background.
int changed_pixels() {
  int n = 0;
  for (long i = 0; i < (long)width * height; i++)
    if (fimage[4 * i] != 0.8f || fimage[4 * i + 1] != 0.85f || fimage[4 * i + 2] != 0.9f) n++;
  return n;
}

bool is_black(int x, int y) {
  const float* p = fimage + 4L * (y * width + x);
  return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 1;
}

}  // namespace

TEST(Font, MatchesTheConsoleFontOfTheSameCodePage) {
  std::vector<unsigned char> ref = console_font();
  ASSERT_EQ(ref.size(), 4096u) << "needs Debian's console-data (tools/deps.sh)";
  // The two fonts draw these differently: '-' wider, '0' dotted, '@', and 244 (upper integral).
  const int differ[] = {45, 48, 64, 244};
  for (int c = 0; c < 256; c++) {
    bool same = true;
    for (int r = 0; r < 16; r++) same &= bx_vgafont[16 * c + r] == reversed(ref[16 * c + r]);
    bool expected_same = std::find(std::begin(differ), std::end(differ), c) == std::end(differ);
    EXPECT_EQ(same, expected_same) << "glyph " << c;
  }
}

TEST(Font, KnownGlyphsAndDistinctDrawableShapes) {
  EXPECT_EQ(sizeof bx_vgafont, 4096u);
  for (int r = 0; r < 16; r++) {
    EXPECT_EQ(bx_vgafont[r], 0) << "glyph 0 is blank";
    EXPECT_EQ(bx_vgafont[16 * 219 + r], 0xFF) << "glyph 219 is a full block";
  }
  EXPECT_GT(ink_pixels(1), 20) << "glyph 1 is a face";
  // Read-back relies on every drawable glyph being unique.
  for (int a = 33; a <= 127; a++)
    for (int b = a + 1; b <= 127; b++)
      EXPECT_NE(memcmp(bx_vgafont + 16 * a, bx_vgafont + 16 * b, 16), 0) << a << " " << b;
}

TEST(Font, GlyphSitsInItsCellWithTheSpacingUntouched) {
  headless_viewer();
  do_clear_text();
  print_char(3, 2, 'L');
  EXPECT_EQ(changed_pixels(), ink_pixels('L'));
  EXPECT_EQ(ocr_canvas_cell(3, 2), 'L');
  EXPECT_EQ(ocr_canvas_text(2, 2, 3), " L ");
  EXPECT_EQ(ocr_canvas_cell(3, 1), OCR_BLANK);
  EXPECT_EQ(ocr_canvas_cell(3, 3), OCR_BLANK);
  // 'L': its stroke on the left, its foot reaching right (leftmost pixel in bit 0)
  const int x0 = 9 * 3 + 1, y0 = 18 * 2 + 1;
  EXPECT_TRUE(is_black(x0 + 1, y0 + 5));
  EXPECT_FALSE(is_black(x0 + 6, y0 + 5));
  EXPECT_TRUE(is_black(x0 + 6, y0 + 11));
}

TEST(Font, OnlyCodes33To127AreDrawn) {
  headless_viewer();
  for (int c : {-1, 0, 1, 9, 10, 32, 128, 176, 219, 255, 256}) {
    do_clear_text();
    print_char(1, 1, c);
    EXPECT_EQ(changed_pixels(), 0) << c;
  }
  for (int c : {33, (int)'A', 126, 127}) {
    do_clear_text();
    print_char(1, 1, c);
    EXPECT_EQ(changed_pixels(), ink_pixels(c)) << c;
    EXPECT_EQ(ocr_canvas_cell(1, 1), c);
  }
}

// On 800 x 500, cell column 88 keeps 7 of its 8 glyph columns and text row 27 its top 13 rows;
// what falls outside is dropped, never wrapped or moved.
TEST(Font, GlyphsAreCutAtTheCanvasEdgePixelByPixel) {
  headless_viewer(800, 500);
  struct {
    int col, row;
    int visible_cols, visible_rows;
  } cases[] = {{88, 0, 7, 16}, {0, 27, 8, 13}, {88, 27, 7, 13}, {89, 0, 0, 0},
               {0, 28, 0, 0},  {-1, 0, 0, 0},  {0, -1, 0, 0}};
  for (auto& c : cases) {
    do_clear_text();
    print_char(c.col, c.row, 'M');
    int want = 0;
    for (int r = 0; r < c.visible_rows; r++)
      for (int b = 0; b < c.visible_cols; b++) want += (bx_vgafont[16 * 'M' + r] >> b) & 1;
    EXPECT_EQ(changed_pixels(), want) << c.col << "," << c.row;
  }
  do_clear_text();
  print_char(88, 0, 'M');
  EXPECT_EQ(ocr_canvas_cell(88, 0), 'M');
}

TEST(Font, IntoTheLoadedImageInItsOwnInk) {
  headless_viewer();
  ASSERT_EQ(resize_loaded_image(30, 20), 0);
  image_xres = 30;
  image_yres = 20;
  for (int i = 0; i < 30 * 20 * 4; i++) img_content[i] = 0;
  print_char_img(1, 0, 'A');
  print_char_img(3, 0, 'W');  // cut: x = 28 .. 35 of a 30 wide picture
  EXPECT_EQ(ocr_image_cell(1, 0), 'A');
  const float* p = nullptr;
  for (int i = 0; i < 30 * 20 && !p; i++)
    if (img_content[4 * i + 3] != 0) p = img_content + 4 * i;
  ASSERT_NE(p, nullptr);
  EXPECT_FLOAT_EQ(p[0], 0.9f);
  EXPECT_FLOAT_EQ(p[1], 0.9f);
  EXPECT_FLOAT_EQ(p[2], 0.5f);
  EXPECT_FLOAT_EQ(p[3], 1.0f);
}

TEST(ErrorCanvas, ReadsBackAsErrorAndItsMessage) {
  headless_viewer(800, 500);
  const std::string message = "bad header: x\t\xb0y";
  bluescreen(message.c_str());
  ASSERT_EQ(image_xres, 800);
  ASSERT_EQ(image_yres, 600);
  EXPECT_EQ(ocr_image_text(1, 0, 7), " Error ");
  EXPECT_EQ(ocr_image_text(3, 0, 18), " bad header: x  y ");
  EXPECT_EQ(ocr_image_text(2, 0, 20), std::string(20, ' '));
  EXPECT_EQ(ocr_image_text(4, 0, 20), std::string(20, ' '));

  bluescreen("");
  EXPECT_EQ(ocr_image_text(1, 1, 5), "Error");
  EXPECT_EQ(ocr_image_text(3, 0, 20), std::string(20, ' '));
}

TEST(ErrorCanvas, LongMessageIsCutNotWrapped) {
  headless_viewer(800, 500);
  std::string message(120, 'Z');
  bluescreen(message.c_str());
  // cells 1 .. 87 whole, 88 cut at the picture's right edge, nothing on the next rows
  EXPECT_EQ(ocr_image_text(3, 1, 87), std::string(87, 'Z'));
  EXPECT_EQ(ocr_image_cell(88, 3), 'Z');
  EXPECT_EQ(ocr_image_text(4, 0, 88), std::string(88, ' '));
  EXPECT_EQ(ocr_image_text(5, 0, 88), std::string(88, ' '));
}
