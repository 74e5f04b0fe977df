// The X3F probe.
#include <gtest/gtest.h>

#include <cstring>

#include "formats/reader.h"
#include "formats/x3f.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

// The first 40 bytes of an X3F file: signature, version, identifier, marks, then the columns and
// rows as 32-bit little-endian values.
Bytes x3f(const char* signature, uint32_t w, uint32_t h) {
  Bytes b(40, 0);
  memcpy(b.data(), signature, 4);
  b[4] = 0, b[5] = 0, b[6] = 2, b[7] = 0;
  for (int i = 0; i < 4; i++) {
    b[28 + i] = (unsigned char)(w >> (8 * i));
    b[32 + i] = (unsigned char)(h >> (8 * i));
  }
  return b;
}

int load(const Bytes& file, std::string* printed = nullptr) {
  put_file_buffer(file);
  start_stdout_capture();
  int r = load_x3f();
  std::string out = stop_stdout_capture();
  if (printed) *printed = out;
  return r;
}

}  // namespace

TEST(X3f, ASignedFileReportsItsSizeAndEndsAsUnreadable) {
  headless_viewer();
  EXPECT_EQ(load(x3f("FOVb", 2640, 1760)), 1);
  EXPECT_EQ(image_xres, 2640);
  EXPECT_EQ(image_yres, 1760);
  EXPECT_TRUE(loaded_image_valid());
  // The pixels are set (grey), never left as they were.
  EXPECT_EQ(loaded_px(2639, 1759), (Px{128, 128, 128, 255}));
}

TEST(X3f, RefusesOtherFilesAndSizesPastTheCapsWithoutAllocating) {
  headless_viewer();
  struct Case {
    const char* what;
    Bytes file;
    const char* printed;
  } cases[] = {
      {"a TIFF", x3f("II*\0", 10, 10), "expected F\n"},
      {"second letter", x3f("FxVb", 10, 10), "expected O\n"},
      {"third letter", x3f("FOxb", 10, 10), "expected V\n"},
      {"fourth letter", x3f("FOVB", 10, 10), "expected b\n"},
      {"empty", Bytes{}, "expected F\n"},
      {"2^24 - 1 a side", x3f("FOVb", 0xFFFFFF, 0xFFFFFF), "X3F size not supported: 16777215 x 16777215\n"},
      {"a header cut short", Bytes{'F', 'O', 'V', 'b', 0, 0}, "X3F size not supported: 0 x 0\n"},
  };
  put_file_buffer(x3f("FOVb", 30, 20));
  load_x3f();
  int allocated = img_allocated;
  for (const Case& k : cases) {
    std::string out;
    EXPECT_EQ(load(k.file, &out), 1) << k.what;
    EXPECT_EQ(out, k.printed) << k.what;
    EXPECT_EQ(img_allocated, allocated) << k.what;  // nothing allocated or released
  }
}

TEST(X3f, TheFileOpenerReportsItUnreadableAndShowsTheEmptyView) {
  headless_viewer();
  std::string path = fixture("camera.x3f");
  write_file(path, x3f("FOVb", 2640, 1760));
  open_as_user(path);
  EXPECT_EQ(status_text(), "error reading " + path + "\n");
  EXPECT_EQ(contentview, 0);
  EXPECT_FALSE(is_content_image());
}
