#include <gtest/gtest.h>

#include "view/zoom.h"

// Reduction, magnification and mode of every step as the table lists them (B box, F five-point,
// C copy, L bilinear, R replicate): derived from num/den they must agree, which catches a
// mistyped row.
TEST(ZoomTable, EveryRowDerivesItsListedMode) {
  static const int reduce[63] = {60, 36, 27, 23, 20, 18, 16, 14, 12, 11, 10, 9, 8, 7, 6, 11,
                                 5,  9,  4,  11, 10, 3,  19, 5,  20, 2,  20, 5, 3, 4, 8, 1,
                                 9,  4,  8,  2,  4,  1,  5,  2,  4,  1,  2,  1, 2, 1, 2, 1,
                                 1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1, 1, 1, 1};
  static const int magnify[63] = {1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  2,
                                  1,  2,  1,  3,  3,  1,  7,  2,  9,  1,  11, 3,  2,  3,  7,  1,
                                  10, 5,  11, 3,  7,  2,  11, 5,  11, 3,  7,  4,  9,  5,  11, 6,
                                  7,  8,  9,  10, 11, 12, 14, 16, 18, 20, 22, 24, 28, 32, 40};
  static const char* modes =
      "BBBBBBBBBBBBBBBFBFBFFBFFFBFFFFF"
      "CLLLLLLLLLLLLLLLLLLLLLLLLLLLLLRR";
  ASSERT_EQ(n_zooms, 63);
  for (int s = 0; s < n_zooms; s++) {
    int r = 0, m = 0;
    zoom_mode mode = zoom_mode_of(s, &r, &m);
    const char letter = "CBLFR"[mode];
    EXPECT_EQ(r, reduce[s]) << "step " << s;
    EXPECT_EQ(m, magnify[s]) << "step " << s;
    EXPECT_EQ(letter, modes[s]) << "step " << s;
    if (s > 0) {
      EXPECT_LT(zooms[s - 1].num * zooms[s].den, zooms[s].num * zooms[s - 1].den)
          << "steps must grow: " << s;
    }
  }
  EXPECT_EQ(zoom_step_1_1(), 31);
  EXPECT_EQ(zooms[61].code, 14);
  EXPECT_EQ(zooms[62].code, 58);
}

TEST(ZoomTable, ShownSizesAndPercentages) {
  struct {
    int step;
    int64_t n, shown;
  } cases[] = {
      {29, 800, 599}, {29, 600, 449}, {31, 800, 800}, {31, 600, 600}, {49, 100, 798},
      {49, 50, 398},  {0, 59, 0},     {0, 60, 1},     {1, 35, 0},     {62, 1, 38},
      {23, 5, 1},     {41, 10, 28},   {27, 10, 5},    {30, 8, 6},
  };
  for (auto& c : cases)
    EXPECT_EQ(zoom_shown(c.n, c.step), c.shown) << "step " << c.step << " n " << c.n;

  struct {
    int step, percent;
  } pct[] = {{0, 1}, {28, 66}, {30, 87}, {31, 100}, {32, 111}, {62, 4000}, {27, 60}, {15, 18}};
  for (auto& p : pct) EXPECT_EQ(zoom_percent(p.step), p.percent) << "step " << p.step;
}

TEST(ZoomTable, FindBestZoom) {
  struct {
    int w, h, cw, ch, step;
  } cases[] = {
      {800, 600, 800, 500, 29},  {1600, 1000, 800, 500, 25}, {800, 500, 800, 500, 31},
      {799, 500, 800, 500, 31},  {801, 500, 800, 500, 30},   {100, 50, 800, 500, 49},
      {1, 1, 800, 500, 62},      {100000, 100, 800, 500, 0}, {799, 499, 800, 500, 31},
      {4000, 3000, 1000, 800, 18}, {400, 250, 800, 500, 37}, {800, 499, 800, 500, 31},
  };
  for (auto& c : cases)
    EXPECT_EQ(find_best_zoom(c.w, c.h, c.cw, c.ch), c.step)
        << c.w << "x" << c.h << " on " << c.cw << "x" << c.ch;
  // The picture shown at the chosen step really fits.
  EXPECT_LE(zoom_shown(100, 49), 800);
  EXPECT_LE(zoom_shown(50, 49), 500);
  EXPECT_GT(zoom_shown(100, 50), 800);
}
