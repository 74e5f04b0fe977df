#include <gtest/gtest.h>

#include "support/headless.h"
#include "view/canvas.h"

TEST(Canvas, HeadlessWindowBuilds) {
  headless_viewer();
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 500);
}
