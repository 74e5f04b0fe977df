// The display profile setters switch the composer's colour conversion; the temperature switch
// only stores its flag.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/headless.h"
#include "view/canvas.h"
#include "view/colour.h"
#include "view/display_modes.h"

namespace {

// Telling colours, one a column of a 64 x 48 picture that fills the canvas at 1:1.
const float kColours[][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1},   {1, 1, 1},
                             {0, 0, 0}, {0.5f, 0.5f, 0.5f}, {0.25f, 0.5f, 0.75f}};
const int kN = sizeof kColours / sizeof kColours[0];

class DisplayModes : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer(64, 48);
    ASSERT_EQ(resize_loaded_image(64, 48), 0);
    for (int y = 0; y < 48; y++)
      for (int x = 0; x < 64; x++) {
        float* p = img_content + 4 * (y * 64 + x);
        const float* c = kColours[x % kN];
        p[0] = c[0], p[1] = c[1], p[2] = c[2], p[3] = 1;
      }
    image_post(64, 48, 1);
    rgb_std_cb();
    base.assign(fimage, fimage + 4 * 64 * 48);
  }
  void TearDown() override {
    rgb_mode = 0;
    reduce_blue = 0;
  }
  const float* shown(int colour) const { return fimage + 4 * (10 * 64 + colour); }
  std::vector<float> base;
};

TEST_F(DisplayModes, ProfilesSwitchTheComposersConversion) {
  ASSERT_EQ(shown(6)[2], 0.75f) << "the picture is shown at 1:1";
  struct Setter {
    const char* name;
    void (*cb)(Fl_Widget*, void*);
    int mode;
  } setters[] = {{"std", rgb_std_cb, 0},
                 {"adobe", rgb_adobe_cb, 1},
                 {"mac", rgb_mac_cb, 2},
                 {"adobe original", rgb_adobe_original_cb, 3},
                 {"scratch", rgb_scratch_cb, 4},
                 {"sgi", rgb_sgi_cb, 5},
                 {"cinema", rgb_cinema_cb, 11},
                 {"cinema original", rgb_cinema_original_cb, 13}};
  for (const Setter& s : setters) {
    s.cb(nullptr, nullptr);
    EXPECT_EQ(rgb_mode, s.mode) << s.name;
    std::vector<float> now(fimage, fimage + 4 * 64 * 48);
    for (int i = 0; i < 64 * 48; i++)
      for (int k = 0; k < 3; k++) {
        float b = base[4 * i + k], want = b;
        if (s.mode == 5) want = (float)std::pow((double)b, 1.467);
        if (s.mode == 1 || s.mode == 11) continue;  // checked below
        ASSERT_EQ(now[4 * i + k], want) << s.name << " pixel " << i << " channel " << k;
      }
    if (s.mode == 1) {
      // The adobe table's telling rows: the primaries mix, the grey axis bends.
      const float* red = shown(0);
      EXPECT_NEAR(red[0], 0.8586, 1e-3) << s.name;
      EXPECT_LT(red[1], 0.01) << s.name;
      EXPECT_NEAR(shown(1)[0], 0.565, 1e-3) << s.name;
      EXPECT_NEAR(shown(1)[2], 0.2344, 1e-3) << s.name;
      EXPECT_NEAR(shown(2)[2], 0.9811, 1e-3) << s.name;
      for (int k = 0; k < 3; k++) EXPECT_NEAR(shown(3)[k], 1, 1e-4) << s.name;
      for (int k = 0; k < 3; k++) EXPECT_NEAR(shown(5)[k], 0.4961, 2e-3) << s.name;
    }
    if (s.mode == 11) {
      // The cinema table keeps the primaries and bends each channel by one curve.
      for (int c = 0; c < 5; c++)
        for (int k = 0; k < 3; k++) EXPECT_NEAR(shown(c)[k], kColours[c][k], 2e-4) << s.name;
      for (int k = 0; k < 3; k++) EXPECT_NEAR(shown(5)[k], 0.4502, 2e-4) << s.name;
    }
  }
  // Back to the standard profile, the canvas is as before.
  rgb_std_cb();
  EXPECT_EQ(std::vector<float>(fimage, fimage + 4 * 64 * 48), base);
}

TEST_F(DisplayModes, TemperatureSwitchOnlyStoresItsFlag) {
  temp5000_cb();
  EXPECT_EQ(reduce_blue, 1);
  EXPECT_EQ(std::vector<float>(fimage, fimage + 4 * 64 * 48), base);
  temp6000_cb();
  EXPECT_EQ(reduce_blue, 0);
  EXPECT_EQ(rgb_mode, 0);
}

}  // namespace
