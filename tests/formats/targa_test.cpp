// Targa reader against netpbm's and Pillow's files, decoded by tgatoppm and by Pillow.
#include <gtest/gtest.h>

#include "app/window.h"
#include "formats/reader.h"
#include "formats/targa.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("targa", "targa_fixtures.sh");
  return d;
}

void load(const Bytes& file) {
  put_file_buffer(file);
  start_stdout_capture();
  load_targa();
  stop_stdout_capture();
}

// An 18-byte header for a w x h picture of the given type and depth, then the data.
Bytes tga(int type, int w, int h, int bits, int descriptor, const Bytes& data, int id = 0) {
  Bytes b = {(unsigned char)id,
             0,
             (unsigned char)type,
             0,
             0,
             0,
             0,
             0,
             0,
             0,
             0,
             0,
             (unsigned char)w,
             (unsigned char)(w >> 8),
             (unsigned char)h,
             (unsigned char)(h >> 8),
             (unsigned char)bits,
             (unsigned char)descriptor};
  b.insert(b.end(), id, 'i');
  for (unsigned char v : data) b.push_back(v);
  return b;
}

}  // namespace

TEST(Targa, MatchesNetpbmAndPillowOnEveryForm) {
  headless_viewer();
  enum { BOTH, NETPBM, PILLOW };
  struct Case {
    const char* file;
    int refs;
    int tolerance;  // five-bit channels widen to eight bits slightly differently
  } cases[] = {
      {"nb_rgb_rle.tga", BOTH, 0},
      {"nb_rgb.tga", BOTH, 0},
      {"nb_map_rle.tga", BOTH, 0},
      {"nb_map.tga", BOTH, 0},
      {"nb_grey_rle.tga", BOTH, 0},
      {"nb_grey.tga", BOTH, 0},
      {"nb_map16.tga", NETPBM, 1},  // Pillow cannot convert a map of 15-bit entries
      {"pil_rgb.tga", BOTH, 0},
      {"pil_rgb_rle.tga", BOTH, 0},
      {"pil_rgb_top.tga", BOTH, 0},
      {"pil_rgba.tga", BOTH, 0},
      {"pil_rgba_rle.tga", BOTH, 0},
      {"pil_grey.tga", BOTH, 0},
      {"pil_grey_rle.tga", BOTH, 0},
      {"pil_map.tga", BOTH, 0},
      {"pil_map_rle.tga", BOTH, 0},
      {"pil_grey_alpha.tga", PILLOW, 0},  // tgatoppm misreads grey with alpha
      {"hand_rgb16.tga", BOTH, 1},
      // Pillow refuses packets that run on into the next row ("buffer overrun").
      {"hand_rle-across.tga", NETPBM, 0},
      {"hand_rgb16-rle.tga", NETPBM, 1},
      {"hand_top-rle.tga", NETPBM, 0},
  };
  for (const Case& k : cases) {
    std::string path = dir() + "/" + k.file;
    set_status("Ready");
    load(read_file(path));
    EXPECT_EQ(status_text(), "") << k.file;
    if (k.refs != PILLOW) {
      Rgba netpbm = netpbm_rgba("tgatoppm", path);
      ASSERT_GT(netpbm.w, 0) << k.file;
      EXPECT_EQ(compare_loaded(netpbm, k.tolerance, false), "") << k.file << " against tgatoppm";
    }
    if (k.refs != NETPBM) EXPECT_EQ(compare_loaded(pillow_rgba(path), k.tolerance), "") << k.file << " against Pillow";
  }
  // Packets that run on into the next row give the picture they were made from.
  load(read_file(dir() + "/hand_rle-across.tga"));
  EXPECT_EQ(compare_loaded(pnm_rgba(read_file(dir() + "/mix.ppm")), 0), "");
}

TEST(Targa, RowsStoredFromTheRightMatchPillow) {
  headless_viewer();
  std::vector<std::string> files;
  for (const char* kind : {"map8", "rgb16", "rgb24", "rgba32", "grey8", "greya16"})
    for (const char* coding : {"raw", "rle"})
      for (const char* origin : {"bottom", "top"})
        files.push_back(dir() + "/rtl_" + kind + "-" + coding + "-" + origin + ".tga");
  pillow_decode(files);
  for (const std::string& f : files) {
    set_status("Ready");
    load(read_file(f));
    EXPECT_EQ(status_text(), "") << f;
    // five-bit channels widen to eight bits slightly differently
    const int tolerance = f.find("rgb16") != std::string::npos ? 1 : 0;
    EXPECT_EQ(compare_loaded(pillow_rgba(f), tolerance), "") << f;
  }
  // Packets that run on from one row into the next (Pillow refuses those).
  load(read_file(dir() + "/rtl_rgb24-rlex-bottom.tga"));
  EXPECT_EQ(compare_loaded(pnm_rgba(read_file(dir() + "/mix.ppm")), 0), "");
  // Cut short inside the bottom row: what came sits at the right end of that row.
  load(tga(2, 3, 2, 24, 0x10, {1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(loaded_px(2, 1), (Px{3, 2, 1, 255}));
  EXPECT_EQ(loaded_px(1, 1), (Px{6, 5, 4, 255}));
  EXPECT_EQ(loaded_px(0, 1), (Px{128, 128, 128, 255}));
  EXPECT_EQ(loaded_px(0, 0), (Px{128, 128, 128, 255}));
}

TEST(Targa, DebiansSample) {
  headless_viewer();
  std::string f = copy_of("/usr/libexec/installed-tests/SDL2_image/sample.tga");
  ASSERT_NE(f, "") << "package libsdl2-image-tests";
  load(read_file(f));
  EXPECT_EQ(compare_loaded(pillow_rgba(f), 0), "");
  EXPECT_EQ(compare_loaded(netpbm_rgba("tgatoppm", f), 0, false), "");
}

TEST(Targa, PacketsAndOrigins) {
  headless_viewer();
  // 2 x 2, bottom row first: the first file pixel shows at the bottom left.
  load(tga(2, 2, 2, 24, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(loaded_px(0, 1), (Px{3, 2, 1, 255}));
  EXPECT_EQ(loaded_px(1, 0), (Px{12, 11, 10, 255}));
  // Top row first.
  load(tga(2, 2, 2, 24, 0x20, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(loaded_px(0, 0), (Px{3, 2, 1, 255}));
  // A repeat packet of 130 writes 3 pixels; a raw packet of 2 reads three pixels.
  load(tga(10, 3, 2, 24, 0x20, {130, 10, 20, 30, 2, 1, 1, 1, 2, 2, 2, 3, 3, 3}));
  for (int x = 0; x < 3; x++) EXPECT_EQ(loaded_px(x, 0), (Px{30, 20, 10, 255})) << x;
  EXPECT_EQ(loaded_px(2, 1), (Px{3, 3, 3, 255}));
  // 32 bits run-length coded: four bytes a pixel in both kinds of packet.
  load(tga(10, 2, 1, 32, 0x28, {0, 1, 2, 3, 200, 128, 9, 8, 7, 100}));
  EXPECT_EQ(loaded_px(0, 0), (Px{3, 2, 1, 200}));
  EXPECT_EQ(loaded_px(1, 0), (Px{7, 8, 9, 100}));
  // 32 bits whose alpha bytes are all 0 carry no alpha.
  load(tga(2, 1, 1, 32, 0, {1, 2, 3, 0}));
  EXPECT_EQ(loaded_px(0, 0), (Px{3, 2, 1, 255}));
  // The identification field is skipped.
  load(tga(3, 1, 1, 8, 0, {77}, 5));
  EXPECT_EQ(loaded_px(0, 0), (Px{77, 77, 77, 255}));
}

TEST(Targa, RefusesInSilenceOverTheErrorCanvas) {
  headless_viewer();
  Bytes mapped = tga(1, 1, 1, 8, 0, {0});
  mapped[1] = 1;   // a colour map
  mapped[5] = 1;   // of one entry
  mapped[7] = 12;  // of 12 bits
  struct Case {
    const char* what;
    Bytes file;
    const char* status;
  } cases[] = {
      {"no picture (type 0)", tga(0, 1, 1, 24, 0, {1, 2, 3}), "Targa type not supported: type 0, 24 bits"},
      {"Huffman coded (type 32)", tga(32, 1, 1, 24, 0, {1, 2, 3}), "Targa type not supported: type 32, 24 bits"},
      {"true colour of 8 bits", tga(2, 1, 1, 8, 0, {1}), "Targa depth not supported: type 2, 8 bits"},
      {"grey of 24 bits", tga(3, 1, 1, 24, 0, {1, 2, 3}), "Targa depth not supported: type 3, 24 bits"},
      {"indices without a map", tga(1, 1, 1, 8, 0, {0}), "Targa colour map not supported: type 1, 8 bits"},
      {"a map of 12 bits", mapped, "Targa colour map not supported: type 1, 8 bits"},
      {"zero width", tga(2, 0, 4, 24, 0, {}), "Targa size not supported: 0 x 4"},
      {"above the pixel cap", tga(2, 65535, 65535, 24, 0, {}), "Targa size not supported: 65535 x 65535"},
      {"a header cut short", Bytes{0, 0, 2, 0, 0}, "damaged Targa header"},
      {"empty", Bytes{}, "damaged Targa header"},
  };
  for (const Case& k : cases) {
    load(k.file);
    EXPECT_TRUE(shows_error_canvas()) << k.what;
    EXPECT_EQ(status_text(), k.status) << k.what;
  }
}

TEST(Targa, EveryTruncationKeepsWhatWasDecoded) {
  headless_viewer();
  for (const char* f : {"small_rle.tga", "small_map_rle.tga", "small_rgba.tga", "small_rgb16-rle.tga"})
    EXPECT_EQ(first_bad_cut(read_file(dir() + "/" + f), load), "") << f;
}

TEST(Targa, OpensThroughTheFileOpener) {
  headless_viewer();
  std::string path = dir() + "/nb_map_rle.tga";
  open_as_user(path);
  EXPECT_TRUE(is_content_image());
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(compare_loaded(netpbm_rgba("tgatoppm", path), 0), "");
}
