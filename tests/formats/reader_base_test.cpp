// The reader base: the bounded cursor, the byte readers, the checked sizing and the refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/window.h"
#include "formats/byte_readers.h"
#include "formats/reader.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"
#include "view/screen.h"

#include <FL/Fl_Text_Buffer.H>

TEST(Cursor, ReadsPastTheEndGiveZeroAndMarkTheCursor) {
  const unsigned char bytes[] = {0x12, 0x34, 0x56};
  Cursor c;
  c.data = bytes;
  c.size = 3;
  EXPECT_EQ(c.le16(), 0x3412u);
  EXPECT_FALSE(c.ended);
  // Half of this field lies past the end: the missing byte reads as 0.
  EXPECT_EQ(c.le16(), 0x0056u);
  EXPECT_TRUE(c.ended);
  EXPECT_EQ(c.pos, 3);
  EXPECT_EQ(c.u8(), 0);
  EXPECT_EQ(c.peek(), -1);
}

TEST(Cursor, SeekSkipAndTakeStayInsideTheBlock) {
  const unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  struct Case {
    const char* what;
    int64_t seek, skip, take;
    bool ended;
    int64_t pos;
  } cases[] = {
      {"inside", 2, 1, 4, false, 7},
      {"take to the very end", 0, 0, 8, false, 8},
      {"take one past the end", 0, 0, 9, true, 8},
      {"skip past the end", 0, 9, 0, true, 8},
      {"negative skip", 4, -1, 0, true, 8},
      {"seek before the start", -1, 0, 0, true, 8},
      {"seek past the end", 9, 0, 0, true, 8},
      {"huge skip does not wrap", 1, INT64_MAX, 0, true, 8},
  };
  for (const Case& k : cases) {
    Cursor c;
    c.data = bytes;
    c.size = 8;
    c.seek(k.seek);
    c.skip(k.skip);
    const unsigned char* p = c.take(k.take);
    EXPECT_EQ(c.ended, k.ended) << k.what;
    EXPECT_EQ(c.pos, k.pos) << k.what;
    if (!k.ended) EXPECT_NE(p, nullptr) << k.what;
  }
}

TEST(ByteReaders, FieldsAtAnOffsetOfTheFileBuffer) {
  put_file_buffer(Bytes{0x01, 0x02, 0x03, 0x84, 0xFF});
  EXPECT_EQ(get_int2(0), 0x0201);
  EXPECT_EQ(get_int2o(0), 0x0102);
  EXPECT_EQ(get_int4(0), (int)0x84030201u);
  EXPECT_EQ(get_int4o(0), 0x01020384);
  // Fields that run past the end read the missing bytes as 0; offsets outside read 0.
  EXPECT_EQ(get_int2(4), 0x00FF);
  EXPECT_EQ(get_int4o(3), (int)0x84FF0000u);
  EXPECT_EQ(get_int4(5), 0);
  EXPECT_EQ(get_int2(-1), 0);
  EXPECT_EQ(get_int4(1LL << 40), 0);
  EXPECT_FLOAT_EQ(byte2float(255), 1.0f);
  EXPECT_FLOAT_EQ(byte2float(51), 0.2f);
  EXPECT_FLOAT_EQ(short2float(65535), 1.0f);
}

TEST(ByteReaders, NoFileBufferReadsZero) {
  put_file_buffer(Bytes{});
  EXPECT_EQ(get_int4(0), 0);
  EXPECT_EQ(file_cursor().left(), 0);
}

TEST(SizeLoadedImage, CapsAtTheLimitAndOnePast) {
  struct Case {
    int64_t w, h;
    int result;
  } cases[] = {
      {1, 1, SIZE_OK},
      {MAX_IMAGE_SIDE, 1, SIZE_OK},
      {MAX_IMAGE_SIDE + 1, 1, SIZE_REFUSED},
      {1, MAX_IMAGE_SIDE + 1, SIZE_REFUSED},
      {0, 5, SIZE_REFUSED},
      {5, -5, SIZE_REFUSED},
      {16384, 8192, SIZE_OK},  // 128 megapixels: at the cap (not allocated here, see below)
      {16384, 8193, SIZE_REFUSED},
      {65535, 65535, SIZE_REFUSED},  // the product overflows a 32-bit count
      {INT64_MAX / 2, 4, SIZE_REFUSED},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(image_size_ok(k.w, k.h), k.result == SIZE_OK) << k.w << " x " << k.h;
    if (k.w * 1.0 * k.h < 1e6)
      EXPECT_EQ(size_loaded_image(k.w, k.h), k.result) << k.w << " x " << k.h;
  }
}

TEST(SizeLoadedImage, ARefusedSizeLeavesTheShownPicture) {
  ASSERT_EQ(size_loaded_image(3, 2), SIZE_OK);
  float* block = img_content;
  img_content[0] = 0.25f;
  EXPECT_EQ(size_loaded_image(70000, 1), SIZE_REFUSED);
  EXPECT_EQ(img_content, block);
  EXPECT_EQ(img_allocated, 6);
  EXPECT_EQ(img_content[0], 0.25f);
}

TEST(SizeLoadedImage, TheFuzzCapIsHonoured) {
  int64_t keep = image_pixel_cap;
  image_pixel_cap = 100;
  EXPECT_TRUE(image_size_ok(10, 10));
  EXPECT_FALSE(image_size_ok(10, 11));
  image_pixel_cap = keep;
}

TEST(Refusals, EachFormLeavesItsTrace) {
  headless_viewer();
  refuse_on_canvas("res=%d x %d\n", 50001, 3);
  EXPECT_STREQ(reader_refusal, "res=50001 x 3\n");
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(image_xres, 800);
  EXPECT_FLOAT_EQ(img_content[0], 0.3f);  // the error canvas

  start_stdout_capture();
  int r = refused(1, "expected P");
  std::string out = stop_stdout_capture();
  EXPECT_EQ(r, 1);
  EXPECT_EQ(out, "expected P\n");

  size_loaded_image(3, 3);
  start_stdout_capture();
  refuse_silently("colormap not supported");
  out = stop_stdout_capture();
  EXPECT_EQ(out, "colormap not supported\n");
  EXPECT_EQ(status_text(), "colormap not supported");
  EXPECT_FLOAT_EQ(img_content[0], 0.3f);

  note_damaged();
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

