// PCX reader against netpbm's ppmtopcx in every mode, Pillow's and ImageMagick's files, decoded by
// pcxtoppm and Pillow.
#include <gtest/gtest.h>

#include "app/window.h"
#include "formats/pcx.h"
#include "formats/reader.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("pcx", "pcx_fixtures.sh");
  return d;
}

std::string load(const Bytes& file) {
  put_file_buffer(file);
  start_stdout_capture();
  load_pcx();
  return stop_stdout_capture();
}

// A 128-byte header (version 5, run-length coded) for w x h with the given layout, then data.
Bytes pcx(int w, int h, int bits, int planes, int bpl, const Bytes& data) {
  Bytes b(128, 0);
  b[0] = 10, b[1] = 5, b[2] = 1, b[3] = (unsigned char)bits;
  b[8] = (unsigned char)(w - 1), b[9] = (unsigned char)((w - 1) >> 8);
  b[10] = (unsigned char)(h - 1), b[11] = (unsigned char)((h - 1) >> 8);
  b[65] = (unsigned char)planes, b[66] = (unsigned char)bpl, b[67] = (unsigned char)(bpl >> 8);
  b[68] = 1;
  for (unsigned char v : data) b.push_back(v);
  return b;
}

}  // namespace

TEST(Pcx, MatchesNetpbmAndPillowOnEveryLayout) {
  headless_viewer();
  enum { BOTH, NETPBM };
  struct Case {
    const char* file;
    int refs;
  } cases[] = {
      {"nb_24.pcx", BOTH},
      {"nb_8.pcx", BOTH},
      {"nb_c100_24.pcx", BOTH},
      {"nb_16.pcx", BOTH},
      {"nb_c12_8.pcx", BOTH},
      {"nb_c4_planes2.pcx", BOTH},
      {"nb_c4_planes4.pcx", BOTH},
      {"nb_bits.pcx", BOTH},
      {"pil_rgb.pcx", BOTH},
      {"pil_p.pcx", BOTH},
      {"pil_l.pcx", BOTH},
      {"pil_1.pcx", BOTH},
      {"im_rgb.pcx", BOTH},
      {"im_palette.pcx", BOTH},
      // Packed pixels of 2 and 4 bits and three planes of 1 bit: Pillow has no such modes.
      {"nb_c12_packed.pcx", NETPBM},
      {"nb_c4_packed.pcx", NETPBM},
      {"nb_c4_planes3.pcx", NETPBM},
  };
  for (const Case& k : cases) {
    std::string path = dir() + "/" + k.file;
    set_status("Ready");
    load(read_file(path));
    EXPECT_EQ(status_text(), "") << k.file;
    Rgba netpbm = netpbm_rgba("pcxtoppm", path);
    ASSERT_GT(netpbm.w, 0) << k.file;
    EXPECT_EQ(compare_loaded(netpbm, 0), "") << k.file << " against pcxtoppm";
    if (k.refs == BOTH) EXPECT_EQ(compare_loaded(pillow_rgba(path), 0), "") << k.file << " against Pillow";
  }
}

TEST(Pcx, DebiansSample) {
  headless_viewer();
  std::string f = copy_of("/usr/libexec/installed-tests/SDL2_image/sample.pcx");
  ASSERT_NE(f, "") << "package libsdl2-image-tests";
  load(read_file(f));
  EXPECT_EQ(compare_loaded(pillow_rgba(f), 0), "");
  EXPECT_EQ(compare_loaded(netpbm_rgba("pcxtoppm", f), 0), "");
}

TEST(Pcx, RunsAndLinePadding) {
  headless_viewer();
  // 2 x 1, three planes of 3 bytes a line (one more than the width): the extra byte of each
  // plane is decoded and dropped; a run (0xC4: 4 bytes) carries on from the green plane into blue.
  load(pcx(2, 1, 8, 3, 3, {0xC2, 10, 99, 0xC4, 20, 30, 99}));
  EXPECT_EQ(loaded_px(0, 0), (Px{10, 20, 20, 255}));
  EXPECT_EQ(loaded_px(1, 0), (Px{10, 20, 30, 255}));
  // A run byte of 0xC0 repeats nothing; a literal byte below 0xC0 stands for itself.
  load(pcx(1, 1, 8, 3, 1, {0xC0, 77, 1, 2, 3}));
  EXPECT_EQ(loaded_px(0, 0), (Px{1, 2, 3, 255}));
  // A run longer than what is left of the picture is cut off.
  set_status("Ready");
  load(pcx(1, 2, 8, 3, 1, {0xFF, 5}));
  EXPECT_EQ(loaded_px(0, 1), (Px{5, 5, 5, 255}));
  EXPECT_EQ(status_text(), "");
}

TEST(Pcx, RefusesInSilenceOverTheErrorCanvas) {
  headless_viewer();
  Bytes backwards = pcx(4, 4, 8, 3, 4, {});
  backwards[4] = 9;  // xmin beyond xmax
  Bytes raw = pcx(1, 1, 8, 3, 1, {1, 2, 3});
  raw[2] = 0;
  struct Case {
    const char* what;
    Bytes file;
    const char* status;
  } cases[] = {
      {"not a pcx", Bytes{11, 5, 1, 8}, "not a pcx"},
      {"empty", Bytes{}, "not a pcx"},
      {"a header cut short", Bytes{10, 5, 1, 8, 0, 0, 3}, "damaged PCX header"},
      {"xmin beyond xmax", backwards, "PCX size not supported: -5 x 4"},
      {"above the pixel cap", pcx(65535, 65535, 8, 3, 65535, {}), "PCX size not supported: 65535 x 65535"},
      {"two planes of 8 bits", pcx(4, 4, 8, 2, 4, {}), "PCX layout not supported: 2 planes of 8 bits"},
      {"four planes of 4 bits", pcx(4, 4, 4, 4, 2, {}), "PCX layout not supported: 4 planes of 4 bits"},
      {"uncompressed", raw, "not supported"},
  };
  for (const Case& k : cases) {
    load(k.file);
    EXPECT_TRUE(shows_error_canvas()) << k.what;
    EXPECT_EQ(status_text(), k.status) << k.what;
  }
  // An unknown encoding posts the grey picture.
  Bytes other = pcx(3, 2, 8, 3, 3, {});
  other[2] = 2;
  std::string out = load(other);
  EXPECT_EQ(image_xres, 3);
  EXPECT_EQ(loaded_px(2, 1), (Px{128, 128, 128, 255}));
  EXPECT_EQ(status_text(), "compression not supported");
  EXPECT_NE(out.find("compression = 2\n"), std::string::npos) << out;
}

TEST(Pcx, EveryTruncationKeepsWhatWasDecoded) {
  headless_viewer();
  // The palette of 256 colours sits at the end: a cut 8-bit file shows its indices as grey.
  struct {
    const char* file;
    bool palette_last;
  } cases[] = {{"small_24.pcx", false}, {"small_8.pcx", true}};
  for (const auto& c : cases) {
    // Every offset through the header and the coded lines; the 8-bit file's palette more sparsely.
    CutRules rules;
    rules.palette_last = c.palette_last;
    rules.sparse_from = 160;
    rules.sparse_step = 17;
    EXPECT_EQ(first_bad_cut(read_file(dir() + "/" + c.file), load, rules), "") << c.file;
  }
}

TEST(Pcx, OpensThroughTheFileOpener) {
  headless_viewer();
  std::string path = dir() + "/nb_16.pcx";
  open_as_user(path);
  EXPECT_TRUE(is_content_image());
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(compare_loaded(netpbm_rgba("pcxtoppm", path), 0), "");
}
