// The text view: raw bytes in 9 x 18 cells, line feeds only, cut at the canvas edges.
#include <FL/Fl_RGB_Image.H>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/picture_box.h"
#include "app/window.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/ocr.h"
#include "view/canvas.h"
#include "view/font.h"
#include "view/screen.h"
#include "view/text_view.h"

namespace {

void show_text(const std::string& bytes) {
  put_file_buffer(bytes);
  set_content_html();
  do_draw();
}

// Every byte walked, with no shortcut: the picture the view must paint.
std::vector<float> walk_every_byte() {
  do_clear_text();
  int col = 0, row = 0;
  for (int i = 0; i < bin_allocated; i++) {
    if (bin_content[i] == 10) {
      col = 0;
      row++;
    } else {
      print_char(col, row, bin_content[i]);
      col++;
    }
  }
  return std::vector<float>(fimage, fimage + 4L * width * height);
}

bool all_text_background() {
  for (long i = 0; i < (long)width * height; i++)
    if (fimage[4 * i] != 0.8f || fimage[4 * i + 1] != 0.85f || fimage[4 * i + 2] != 0.9f ||
        fimage[4 * i + 3] != 1.0f)
      return false;
  return true;
}

}  // namespace

TEST(TextView, BytesAsTheyStand) {
  headless_viewer();
  struct {
    std::string bytes;
    std::vector<std::string> rows;  // read from column 0
  } cases[] = {
      {"<html>\n<b>x</b>", {"<html> ", "<b>x</b> "}},
      {"ab\r\ncd\r\n", {"ab  ", "cd  "}},  // the CR takes a blank cell
      {"ab\rcd", {"ab cd", "     "}},      // and starts no line
      {"a\tb c", {"a b c"}},               // no tab expansion
      {std::string("\x7f\x80\xff|\x01", 5), {"\x7f  | "}},
      {"caf\xc3\xa9!", {"caf  !"}},  // two bytes, two blank cells
      {"\n\nthird", {" ", " ", "third"}},
  };
  for (auto& c : cases) {
    show_text(c.bytes);
    for (size_t r = 0; r < c.rows.size(); r++) {
      const std::string& want = c.rows[r];
      EXPECT_EQ(ocr_canvas_text((int)r, 0, (int)want.size()), want) << c.bytes;
    }
  }
}

// 800 x 500: 88 whole glyphs and 7 columns of the 89th; 27 whole rows and 13 pixel rows of the
// 28th; the text past an edge is dropped, and the next line still starts at column 0.
TEST(TextView, CutAtTheRightAndBottomEdges) {
  headless_viewer(800, 500);
  std::string text(100, 'M');
  text += "\nnext\n";
  for (int i = 2; i < 30; i++) text += "L" + std::to_string(i) + "\n";
  show_text(text);
  EXPECT_EQ(ocr_canvas_text(0, 0, 88), std::string(88, 'M'));
  EXPECT_EQ(ocr_canvas_cell(88, 0), 'M');
  EXPECT_EQ(ocr_canvas_text(1, 0, 5), "next ");
  EXPECT_EQ(ocr_canvas_text(26, 0, 4), "L26 ");
  EXPECT_EQ(ocr_canvas_cell(0, 27), 'L');  // cut, still the only glyph that fits
}

// The view stops at the canvas edges; the picture must be the one a walk over every byte gives,
// for long lines, many lines, control bytes and canvases of odd sizes.
TEST(TextView, SameAsWalkingEveryByte) {
  std::mt19937 rng(7);
  std::string text;
  for (int line = 0; line < 400; line++) {
    int len = line % 7 == 0 ? 300 : (int)(rng() % 120);
    for (int i = 0; i < len; i++) text += (char)(rng() % 5 == 0 ? rng() % 256 : 33 + rng() % 94);
    text += '\n';
  }
  text += std::string(5000, 'x');  // no line end at the end
  for (auto size : {std::pair<int, int>{800, 500}, {803, 497}, {1000, 800}, {20, 19}}) {
    headless_viewer(size.first, size.second);
    show_text(text);
    std::vector<float> shown(fimage, fimage + 4L * width * height);
    EXPECT_TRUE(shown == walk_every_byte()) << size.first << " x " << size.second;
  }
  headless_viewer(800, 500);
}

TEST(TextView, NoBytesShowsThePlainBackground) {
  headless_viewer();
  show_text("");
  EXPECT_TRUE(all_text_background());
  bin_allocated = -1;
  free(bin_content);
  bin_content = nullptr;
  set_content_html();
  do_draw();
  EXPECT_TRUE(all_text_background());
}

TEST(TextView, QuantisesAndShowsTheCanvas) {
  headless_viewer();
  show_text("#");
  p_image_box->image(nullptr);
  do_textview();
  EXPECT_EQ(p_image_box->image(), fl_temp);
  // a pixel of the glyph's ink and one of the background, in the shown bytes
  int ink = -1;
  for (int i = 0; i < width * height && ink < 0; i++)
    if (fimage[4 * i] == 0) ink = i;
  ASSERT_GE(ink, 0);
  EXPECT_EQ(uimage[3 * ink], 0);
  EXPECT_NEAR(uimage[3 * (width * 300 + 400) + 0], 204, 1);
  EXPECT_NEAR(uimage[3 * (width * 300 + 400) + 2], 230, 1);
}
