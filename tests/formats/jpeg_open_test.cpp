// The JPEG reader behind the file opener, as a user meets it: a phone photo shows upright at the
// fitting zoom with its name as the title; a damaged or fake JPEG says so and the next file opens.
#include <gtest/gtest.h>

#include <cstring>

#include "app/open_file.h"
#include "app/window.h"
#include "jpeg_fixtures.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/zoom.h"

namespace {

void open_file(const std::string& path) {
  snprintf(openfilename, sizeof openfilename, "%s", path.c_str());
  testing::internal::CaptureStdout();
  do_open(1);
  testing::internal::GetCapturedStdout();
}

TEST(JpegOpen, PhonePhotoDamagedFileAndFakeFile) {
  headless_viewer();
  if (!have_tool("cjpeg") || !have_tool("exiftool") || photo_ppm().empty())
    GTEST_SKIP() << "cjpeg, exiftool or Go's picture missing";
  std::string phone = fixture_dir() + "/phone.jpg", damaged = fixture_dir() + "/damaged.jpg",
              fake = fixture_dir() + "/fake.jpg";
  // Portrait, as a phone writes it: Motorola-order Exif, Make and Model before Orientation 6.
  ASSERT_EQ(sh("cjpeg -quality 85 " + photo_ppm() + " > " + phone +
               " && exiftool -q -overwrite_original -n -Make=Phone -Model=One -Orientation=6 " + phone), 0);
  ASSERT_EQ(sh("cjpeg -quality 85 -restart 1 " + photo_ppm() + " > " + damaged), 0);
  Bytes d = read_file(damaged);
  for (size_t i = d.size() / 2, found = 0; i + 1 < d.size() && !found; i++)
    if (d[i] == 0xFF && d[i + 1] >= 0xD0 && d[i + 1] <= 0xD7) d[i + 1] = 0xD0 + (d[i + 1] - 0xD0 + 3) % 8, found = 1;
  write_file(damaged, d);
  std::string ppm = "P6\n150 103\n255\n" + std::string(150 * 103 * 3, '\x40');
  write_file(fake, Bytes(ppm.begin(), ppm.end()));

  open_file(phone);
  EXPECT_EQ(std::string(window->label()), phone);
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(image_xres, 103);
  EXPECT_EQ(image_yres, 150);
  EXPECT_EQ(zoom, find_best_zoom(103, 150, width, height));
  EXPECT_EQ(status_text(), "");

  open_file(damaged);
  EXPECT_EQ(std::string(window->label()), damaged);
  EXPECT_EQ(image_xres, 150);
  EXPECT_EQ(status_text().rfind("the file is damaged: ", 0), 0u) << status_text();

  open_file(fake);
  EXPECT_EQ(status_text(), "error reading " + fake + "\n");
  EXPECT_EQ(std::string(window->label()), fake);

  open_file(phone);
  EXPECT_EQ(image_yres, 150);
  EXPECT_EQ(status_text(), "");
}

}  // namespace
