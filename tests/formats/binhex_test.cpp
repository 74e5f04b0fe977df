// BinHex reader against macutils' binhex files of pbmtomacp pictures, decoded by macptopbm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/window.h"
#include "formats/binhex.h"
#include "formats/reader.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("binhex", "macpaint_fixtures.sh");
  return d;
}

std::string load(const Bytes& file) {
  put_file_buffer(file);
  start_stdout_capture();
  load_hqx();
  return stop_stdout_capture();
}

// The BinHex text that macutils' binhex writes for a MacPaint file made of these coded rows.
Bytes binhex_of_rows(const Bytes& rows, const std::string& name) {
  Bytes mac = rows;
  mac.insert(mac.begin(), 512, 0);
  std::string path = dir() + "/" + name + ".mac";
  write_file(path, mac);
  std::string hqx = dir() + "/" + name + ".hqx";
  EXPECT_EQ(sh("cd '" + dir() + "' && binhex -d -t PNTG -c MPNT '" + name + ".mac' > '" + hqx + "'"), 0);
  return read_file(hqx);
}

// Six-bit decoding of the text between the first two colons, written independently of the reader.
Bytes six_bit_decode(const Bytes& text) {
  const std::string alphabet = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
  Bytes out;
  size_t a = std::find(text.begin(), text.end(), ':') - text.begin();
  size_t b = std::find(text.begin() + a + 1, text.end(), ':') - text.begin();
  unsigned acc = 0;
  int bits = 0;
  for (size_t i = a + 1; i < b; i++) {
    size_t v = alphabet.find((char)text[i]);
    if (v == std::string::npos) continue;
    acc = acc << 6 | (unsigned)v;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back((unsigned char)(acc >> bits));
    }
  }
  return out;
}

}  // namespace

TEST(BinHex, MacPaintPicturesMatchNetpbm) {
  headless_viewer();
  struct Case {
    const char* hqx;
    const char* mac;
  } cases[] = {
      {"random.hqx", "random.mac"}, {"random_norun.hqx", "random.mac"},
      {"small.hqx", "small.mac"},   {"small_norun.hqx", "small.mac"},
      {"white.hqx", "white.mac"},   {"longname.hqx", "small.mac"},  // a name of 38 characters
  };
  for (const Case& k : cases) {
    Rgba ref = netpbm_rgba("macptopbm", dir() + "/" + k.mac);
    ASSERT_EQ(ref.w, 576) << k.mac;
    set_status("Ready");
    load(read_file(dir() + "/" + k.hqx));
    EXPECT_EQ(compare_loaded(ref, 0), "") << k.hqx;
    EXPECT_EQ(status_text(), "") << k.hqx;
  }
}

TEST(BinHex, TheFileBufferHoldsTheDecodedBytesThenZeros) {
  headless_viewer();
  for (const char* f : {"small.hqx", "note.hqx"}) {
    Bytes text = read_file(dir() + "/" + f);
    Bytes want = six_bit_decode(text);
    load(text);
    ASSERT_EQ(bin_allocated, (int)text.size());
    EXPECT_EQ(Bytes(bin_content, bin_content + want.size()), want) << f;
    for (size_t i = want.size(); i < text.size(); i++) ASSERT_EQ(bin_content[i], 0) << f << " byte " << i;
  }
}

TEST(BinHex, LayoutBetweenTheColonsDoesNotMatter) {
  headless_viewer();
  Bytes text = read_file(dir() + "/small.hqx");
  load(text);
  Rgba plain = loaded_rgba();
  // Tabs, spaces, CR LF and Ctrl-Z between the characters.
  Bytes spread;
  bool inside = false;
  int k = 0;
  for (unsigned char ch : text) {
    if (ch == ':') inside = !inside;
    if (inside && ch != ':' && ch != '\n' && (++k % 5) == 0) spread.insert(spread.end(), {' ', '\t', '\r', '\n', 26});
    spread.push_back(ch);
  }
  load(spread);
  EXPECT_EQ(loaded_rgba().px, plain.px);
}

TEST(BinHex, TheHeaderByte128RepeatsItsByte129Times) {
  headless_viewer();
  // 129 white bytes (1032 pixels: row 0 and 456 pixels of row 1), then a black byte.
  load(binhex_of_rows({128, 0, 0, 255}, "run128"));
  ASSERT_EQ(image_xres, 576);
  EXPECT_EQ(img_content[4 * (576 + 455)], 1.0f);
  EXPECT_EQ(img_content[4 * (576 + 456)], 0.0f);
  EXPECT_EQ(img_content[4 * (576 + 464)], 0.5f);
}

TEST(BinHex, RefusesInSilenceOverTheErrorCanvas) {
  headless_viewer();
  Bytes note_file = read_file(dir() + "/note.hqx");
  std::string note(note_file.begin(), note_file.end());
  struct Case {
    const char* what;
    std::string file;
    const char* status;
    const char* printed;  // part of what is printed
  } cases[] = {
      {"a text file in BinHex", note, "not a MacPaint picture in BinHex", "decoded size after ascii to bin: "},
      {"a third colon", ":!!!!:!!!!:", "error: too many :", ""},
      {"a character outside the alphabet", ":!!7!!:", "error decoding 7", "coded text size: 5\n"},
      {"one colon", "(This file...)\n:!!!!", "BinHex text has no closing colon", "coded text size: 4\n"},
      {"no colon", "just text", "not a MacPaint picture in BinHex", ""},
      {"empty", "", "not a MacPaint picture in BinHex", ""},
  };
  for (const Case& k : cases) {
    std::string out = load(Bytes(k.file.begin(), k.file.end()));
    EXPECT_TRUE(shows_error_canvas()) << k.what;
    EXPECT_EQ(status_text(), k.status) << k.what;
    EXPECT_NE(out.find(k.printed), std::string::npos) << k.what << ": " << out;
  }
}

TEST(BinHex, EveryTruncationIsHandled) {
  headless_viewer();
  Bytes whole = read_file(dir() + "/small.hqx");
  // Every offset through the BinHex header and the first rows, then every 11th.
  for (size_t n = 0; n < whole.size(); n += n < 300 ? 1 : 11) {
    Bytes cut(whole.begin(), whole.begin() + n);
    cut.push_back(':');  // the closing colon a cut file lacks
    load(cut);
    ASSERT_TRUE(loaded_image_valid()) << n;
  }
}

TEST(BinHex, OpensThroughTheFileOpener) {
  headless_viewer();
  open_as_user(dir() + "/small.hqx");
  EXPECT_TRUE(is_content_image());
  EXPECT_EQ(compare_loaded(netpbm_rgba("macptopbm", dir() + "/small.mac"), 0), "");
  // A BinHex file of text shows the error canvas, and the status line says why.
  open_as_user(dir() + "/note.hqx");
  EXPECT_TRUE(is_content_image());
  EXPECT_TRUE(shows_error_canvas());
  EXPECT_EQ(status_text(), "not a MacPaint picture in BinHex");
}
