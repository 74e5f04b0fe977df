// The PDB picture placeholder.
#include <gtest/gtest.h>

#include <string>

#include "formats/pdb_placeholder.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"
#include "view/screen.h"

TEST(Pdb, PlaceholderPostsAGreyPictureOfTheCanvasSize) {
  headless_viewer(640, 400);
  put_file_buffer(std::string("HEADER    not read"));
  load_pdb();
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(image_xres, 640);
  EXPECT_EQ(image_yres, 400);
  Rgba got = loaded_rgba();
  for (size_t i = 0; i < got.px.size(); i += 4) ASSERT_EQ(got.px[i], 128) << i / 4;
  headless_viewer();
}
