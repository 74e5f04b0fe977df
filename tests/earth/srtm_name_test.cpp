// A tile's kind and corner from its name and size.
#include <gtest/gtest.h>

#include "earth/srtm.h"

namespace {

TEST(SrtmClassify, NamesAndSizes) {
  struct {
    const char* name;
    int64_t size;
    int cols, rows, theta, phi, srtm30, srtm1;
  } cases[] = {
      {"N47E008.hgt", 2884802, 1201, 1201, 47, 8, 0, 0},
      {"S33W071.hgt", 2884802, 1201, 1201, -33, 289, 0, 0},
      {"N47E008.hgt", 25934402, 3601, 3601, 47, 8, 0, 1},
      {"N47E008.hgt", 4999999, 1201, 1201, 47, 8, 0, 0},
      {"N47E008.hgt", 5000000, 3601, 3601, 47, 8, 0, 1},
      {"n47e008.hgt.zip", 1000, 1201, 1201, 47, 8, 0, 0},
      {"N00W001.hgt", 2884802, 1201, 1201, 0, 359, 0, 0},
      {"S01E000.HGT", 2884802, 1201, 1201, -1, 0, 0, 0},
      {"/data/tiles/N27E086.hgt", 2884802, 1201, 1201, 27, 86, 0, 0},
      {"C:\\tiles\\S54W070.hgt", 2884802, 1201, 1201, -54, 290, 0, 0},
      {"W020N90.DEM", 57600000, 4800, 6000, 40, 340, 1, 0},
      {"w020n90.dem.zip", 1000, 4800, 6000, 40, 340, 1, 0},
      {"E020N40.dem", 57600000, 4800, 6000, -10, 20, 1, 0},
      {"E100S10.dem", 57600000, 4800, 6000, -60, 100, 1, 0},
      {"/srtm30/W180N90.Dem", 57600000, 4800, 6000, 40, 180, 1, 0},
      // Longer than 8 characters and ending in ".dem": a thirty-arc-second name, read as one;
      // ".dem" names of 8 characters or fewer are one- or three-arc-second tiles.
      {"N47E8.dem", 2884802, 4800, 6000, -58, 47, 1, 0},
      {"N4E8.dem", 2884802, 1201, 1201, 4, 8, 0, 0},
      // Missing numbers read as 0; endless digits stop growing instead of overflowing.
      {"tile.hgt", 2884802, 1201, 1201, 0, 0, 0, 0},
      {"", 0, 1201, 1201, 0, 0, 0, 0},
      {"N99999999999999999999E1.hgt", 2884802, 1201, 1201, 999999, 1, 0, 0},
  };
  for (const auto& c : cases) {
    SrtmTile t = srtm_classify(c.name, c.size);
    EXPECT_EQ(t.n_cols, c.cols) << c.name;
    EXPECT_EQ(t.n_rows, c.rows) << c.name;
    EXPECT_EQ(t.theta_ext, c.theta) << c.name;
    EXPECT_EQ(t.phi_ext, c.phi) << c.name;
    EXPECT_EQ(t.is_srtm30, c.srtm30) << c.name;
    EXPECT_EQ(t.is_srtm1, c.srtm1) << c.name;
  }
}

TEST(SrtmClassify, ClassifyingTouchesNoState) {
  const int theta = theta_ext, phi = phi_ext, s30 = is_srtm30, cols = n_cols;
  srtm_classify("W020N90.DEM", 57600000);
  EXPECT_EQ(theta_ext, theta);
  EXPECT_EQ(phi_ext, phi);
  EXPECT_EQ(is_srtm30, s30);
  EXPECT_EQ(n_cols, cols);
}

}  // namespace
