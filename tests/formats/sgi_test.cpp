// SGI reader against files from ImageMagick, netpbm and Pillow, and Python's test image.
#include <gtest/gtest.h>

#include <FL/Fl_Text_Buffer.H>

#include <cstring>

#include "app/window.h"
#include "formats/reader.h"
#include "formats/sgi.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("sgi", "sgi_fixtures.sh");
  return d;
}

bool is_error_canvas() {
  return contentview == 1 && image_xres >= 800 && img_content[0] == 0.3f && img_content[2] == 0.4f;
}

// A header of width x height with `channels`, storage and bytes a sample.
Bytes sgi_header(int w, int h, int channels, int storage = 1, int bpc = 1) {
  Bytes b(512, 0);
  b[0] = 0x01, b[1] = 0xDA, b[2] = (unsigned char)storage, b[3] = (unsigned char)bpc;
  b[5] = 3;
  b[6] = (unsigned char)(w >> 8), b[7] = (unsigned char)w;
  b[8] = (unsigned char)(h >> 8), b[9] = (unsigned char)h;
  b[11] = (unsigned char)channels;
  return b;
}

void put_be32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back((unsigned char)(v >> s));
}

}  // namespace

TEST(Sgi, MatchesIndependentDecoders) {
  headless_viewer();
  struct Case {
    const char* file;
    bool imagemagick;  // else Pillow
    int tolerance;
  } cases[] = {
      {"im_rle.sgi", false, 0},
      {"im_verbatim.sgi", false, 0},
      {"netpbm_rle.sgi", false, 0},
      {"netpbm_verbatim.sgi", false, 0},
      {"netpbm_grey.sgi", false, 0},
      {"netpbm_grey_verbatim.sgi", false, 0},
      {"im_rgba.sgi", false, 0},
      {"im_16bit.sgi", false, 1},
      {"rle_16bit.sgi", false, 1},
      {"rle_grey_two_channels.sgi", true, 0},
      {"/usr/lib/python3.11/test/imghdrdata/python.sgi", false, 0},
  };
  for (const Case& k : cases) {
    std::string path = k.file[0] == '/' ? k.file : dir() + "/" + k.file;
    Bytes b = read_file(path);
    ASSERT_FALSE(b.empty()) << path;
    put_file_buffer(b);
    load_rgb();
    EXPECT_EQ(status_text(), "") << k.file;
    Rgba ref = k.imagemagick ? imagemagick_rgba(path) : pillow_rgba(path);
    EXPECT_EQ(compare_loaded(ref, k.tolerance), "") << k.file;
  }
}

TEST(Sgi, RefusesInSilenceOverTheErrorCanvas) {
  headless_viewer();
  Bytes colormap = sgi_header(2, 2, 3, 0);
  colormap[107] = 1;
  Bytes not_sgi = sgi_header(2, 2, 3, 0);
  not_sgi[1] = 0xDB;
  struct Case {
    const char* what;
    Bytes file;
    const char* status;
  } cases[] = {
      {"another file", not_sgi, "not an SGI image"},
      {"a colour map", colormap, "colormap not supported"},
      {"unknown storage", sgi_header(2, 2, 3, 2), "SGI storage not supported"},
      {"three bytes a sample", sgi_header(2, 2, 3, 0, 3), "SGI storage not supported"},
      {"no channels", sgi_header(2, 2, 0, 0), "SGI storage not supported"},
      {"zero width", sgi_header(0, 2, 3, 0), "SGI size not supported: 0 x 2"},
      {"above the pixel cap", sgi_header(65535, 65535, 3, 0), "SGI size not supported: 65535 x 65535"},
      {"a header cut short", Bytes{0x01, 0xDA, 0, 1, 0, 3, 0, 9}, "damaged SGI header"},
  };
  for (const Case& k : cases) {
    put_file_buffer(k.file);
    start_stdout_capture();
    load_rgb();
    stop_stdout_capture();
    EXPECT_TRUE(is_error_canvas()) << k.what;
    EXPECT_EQ(status_text(), k.status) << k.what;
  }
}

TEST(Sgi, AZeroCountEndsTheRunLengthRow) {
  headless_viewer();
  // One grey row of 4: two literal samples, the end marker, then bytes that belong to no row.
  Bytes b = sgi_header(4, 1, 1);
  put_be32(b, 520);
  put_be32(b, 6);
  for (int v : {0x82, 10, 20, 0x00, 0x81, 99}) b.push_back((unsigned char)v);
  put_file_buffer(b);
  load_rgb();
  Rgba got = loaded_rgba();
  ASSERT_EQ(got.w, 4);
  EXPECT_EQ(got.at(0, 0)[1], 10);
  EXPECT_EQ(got.at(1, 0)[2], 20);
  EXPECT_EQ(got.at(2, 0)[0], 128);  // not given: the grey fill
  EXPECT_EQ(got.at(3, 0)[0], 128);
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

TEST(Sgi, OffsetsOutsideTheFileLeaveTheirRowsGrey) {
  headless_viewer();
  // Rows from the bottom: row 0 points past the end, row 1 is a run of 3 x 200.
  Bytes b = sgi_header(3, 2, 1);
  put_be32(b, 0xFFFFFFF0u);
  put_be32(b, 528);
  put_be32(b, 0);
  put_be32(b, 0);
  for (int v : {0x03, 200, 0x00}) b.push_back((unsigned char)v);
  put_file_buffer(b);
  load_rgb();
  Rgba got = loaded_rgba();
  ASSERT_EQ(got.h, 2);
  EXPECT_EQ(got.at(2, 0)[0], 200);  // the top row is row 1
  EXPECT_EQ(got.at(0, 1)[0], 128);
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

TEST(Sgi, EveryTruncationOfASmallFileIsHandled) {
  headless_viewer();
  for (const char* f : {"small_rle.sgi", "small_verbatim.sgi"}) {
    Bytes whole = read_file(dir() + "/" + f);
    ASSERT_GT(whole.size(), 512u);
    start_stdout_capture();
    // Cuts in the fields of the header, then at every offset from the end of its padding on.
    for (size_t n = 0; n < whole.size(); n = n == 16 ? 100 : n == 112 ? 508 : n + 1) {
      put_file_buffer(Bytes(whole.begin(), whole.begin() + n));
      load_rgb();
      ASSERT_TRUE(loaded_image_valid()) << f << " cut at " << n;
    }
    stop_stdout_capture();
  }
}
