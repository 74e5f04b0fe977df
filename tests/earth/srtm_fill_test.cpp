// The height copy of a terrain tile: which samples are voids, how voids are filled, and taking a
// tile in as a whole.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "earth/srtm.h"

namespace {

const int16_t V = kHgtVoid;

struct FillCase {
  const char* what;
  int cols, rows, mean;
  std::vector<int16_t> grid, expected;
};

TEST(SrtmFill, HandMadeGrids) {
  const FillCase cases[] = {
      {"left, averaged with two to the left", 3, 1, 0, {100, 200, V}, {100, 200, 150}},
      {"then with the upper one, rounding down", 3, 2, 0, {10, 20, 30, 40, 50, V},
       {10, 20, 30, 40, 50, 37}},
      {"left at column 1 has no second", 2, 2, 0, {1, 2, 7, V}, {1, 2, 7, 4}},
      {"upper, averaged with two up", 1, 3, 0, {100, 300, V}, {100, 300, 200}},
      {"right when there is no left or upper", 2, 1, 0, {V, 8}, {8, 8}},
      {"north-west corner with a void right takes the lower", 2, 2, 0, {V, V, 5, 6}, {5, 5, 5, 6}},
      {"nothing valid around: the mean", 2, 2, 3, {V, V, V, 12}, {3, 3, 3, 12}},
      {"the right neighbour is taken as read, not filled", 3, 1, 2, {V, V, 8}, {2, 2, 8}},
      {"filled neighbours on the left count", 4, 1, 0, {10, V, V, 90}, {10, 10, 10, 90}},
      {"heights below sea level halve downwards", 3, 1, 0, {-3, -4, V}, {-3, -4, -4}},
      {"9000 is no valid neighbour, 8999 is", 3, 1, 5, {9000, V, 0}, {9000, 0, 0}},
      {"8999 is a valid neighbour", 2, 1, 5, {8999, V}, {8999, 8999}},
      {"a tile without valid samples", 2, 2, 0, {V, V, V, V}, {0, 0, 0, 0}},
  };
  for (const FillCase& c : cases) {
    std::vector<int16_t> g = c.grid;
    srtm_fill_voids(g.data(), c.cols, c.rows, c.mean);
    EXPECT_EQ(g, c.expected) << c.what;
  }
}

std::vector<unsigned char> big_endian(const std::vector<int>& v) {
  std::vector<unsigned char> b;
  for (int x : v) {
    b.push_back((unsigned char)((x >> 8) & 0xFF));
    b.push_back((unsigned char)(x & 0xFF));
  }
  return b;
}

TEST(SrtmRead, OnlyNoDataAndImpossibleHeightsAreVoids) {
  // -32768 is SRTM's no-data value and nothing above 9000 m exists; land below sea level (the
  // Dead Sea shore at -430, -1 m in a polder) is a height like any other.
  // -9999 is the sea of thirty-arc-second tiles: 0 m, and counted into the mean as such.
  std::vector<unsigned char> b =
      big_endian({-32768, 9001, 9000, -1, -430, 32767, 0, 9999, -9999, -9998});
  std::vector<int16_t> out(10);
  int mean = -99;
  EXPECT_EQ(srtm_read_heights(b.data(), (int64_t)b.size(), 10, 1, out.data(), &mean), 10);
  EXPECT_EQ(out, (std::vector<int16_t>{V, V, 9000, -1, -430, V, 0, V, 0, -9998}));
  EXPECT_EQ(mean, (9000 - 1 - 430 + 0 + 0 - 9998) / 6);
  for (int16_t v : {(int16_t)-32768, (int16_t)9001, (int16_t)32767})
    EXPECT_TRUE(srtm_is_void(v)) << v;
  for (int16_t v : {(int16_t)-32767, (int16_t)-430, (int16_t)-1, (int16_t)0, (int16_t)9000})
    EXPECT_FALSE(srtm_is_void(v)) << v;
}

TEST(SrtmRead, ShortBufferAndMean) {
  std::vector<unsigned char> b = big_endian({-3, -4, 7});
  std::vector<int16_t> out(4);
  int mean = 0;
  // Five bytes hold two whole samples; the rest of the grid is void and nothing past the bytes
  // is read.
  EXPECT_EQ(srtm_read_heights(b.data(), 5, 2, 2, out.data(), &mean), 2);
  EXPECT_EQ(out, (std::vector<int16_t>{-3, -4, V, V}));
  EXPECT_EQ(mean, -3);  // -3.5 truncated
  EXPECT_EQ(srtm_read_heights(nullptr, 0, 2, 2, out.data(), &mean), 0);
  EXPECT_EQ(mean, 0);
}

// Takes in the tile named `name` from bytes b (sized by their length).
int take(const char* name, const std::vector<unsigned char>& b) {
  return srtm_take_tile(srtm_classify(name, (int64_t)b.size()), b.data(), (int64_t)b.size());
}

class SrtmTake : public ::testing::Test {
 protected:
  void TearDown() override { have_hgt = 0; }
};

std::vector<int> pattern1201() {
  std::vector<int> v(1201 * 1201);
  for (int r = 0; r < 1201; r++)
    for (int c = 0; c < 1201; c++) v[r * 1201 + c] = (3 * r + c) % 2000 - 500;
  return v;
}

TEST_F(SrtmTake, AllValidSamplesAreCopiedUnchanged) {
  std::vector<int> v = pattern1201();
  std::vector<unsigned char> b = big_endian(v);
  ASSERT_EQ(take("N31E035.hgt", b), 0);
  ASSERT_TRUE(srtm_tile_usable());
  EXPECT_EQ(have_hgt, 1);
  EXPECT_EQ(n_cols, 1201);
  EXPECT_EQ(theta_ext, 31);
  EXPECT_EQ(phi_ext, 35);
  EXPECT_EQ(is_srtm1, 0);
  int diffs = 0;
  for (size_t i = 0; i < v.size(); i++) diffs += height_hgt[i] != v[i];
  EXPECT_EQ(diffs, 0);
}

TEST_F(SrtmTake, VoidsAreFilledAndDepthsKept) {
  std::vector<int> v(1201 * 1201, 120);
  v[600 * 1201 + 600] = -430;
  v[10 * 1201 + 10] = -32768;
  v[0] = -32768;
  v[1] = -32768;
  std::vector<unsigned char> b = big_endian(v);
  ASSERT_EQ(take("N31E035.hgt", b), 0);
  EXPECT_EQ(height_hgt[600 * 1201 + 600], -430);
  EXPECT_EQ(height_hgt[10 * 1201 + 10], 120);
  EXPECT_EQ(height_hgt[0], 120);
  EXPECT_EQ(height_hgt[1], 120);
}

TEST_F(SrtmTake, ShortFileIsFilledAndReported) {
  std::vector<unsigned char> b = big_endian(std::vector<int>(1201 * 600, 42));
  SrtmTile t = srtm_classify("N10E010.hgt", 2884802);
  EXPECT_EQ(srtm_take_tile(t, b.data(), (int64_t)b.size()), 1);
  EXPECT_EQ(height_hgt[1201 * 1201 - 1], 42);  // from the rows above
  EXPECT_EQ(theta_ext, 10);
}

TEST_F(SrtmTake, CopyIsReusedWhileItIsLargeEnough) {
  std::vector<unsigned char> big(3601 * 3601 * 2, 0);
  ASSERT_EQ(take("N01E001.hgt", big), 0);
  EXPECT_EQ(is_srtm1, 1);
  EXPECT_GE(alloc_hgt, 3601 * 3601);
  const int16_t* block = height_hgt;
  const int cap = alloc_hgt;
  std::vector<unsigned char> small = big_endian(pattern1201());
  ASSERT_EQ(take("N02E002.hgt", small), 0);
  EXPECT_EQ(height_hgt, block);
  EXPECT_EQ(alloc_hgt, cap);
  EXPECT_EQ(is_srtm1, 0);
  EXPECT_EQ(n_cols, 1201);
}

TEST_F(SrtmTake, UnknownGridIsRefusedAndTheTileStays) {
  std::vector<unsigned char> b = big_endian(pattern1201());
  ASSERT_EQ(take("N05E005.hgt", b), 0);
  const int16_t* block = height_hgt;
  SrtmTile odd = {100, 100, 1, 1, 0, 0};
  EXPECT_EQ(srtm_take_tile(odd, b.data(), (int64_t)b.size()), -1);
  SrtmTile mixed = {3601, 3601, 1, 1, 0, 0};  // one-arc-second grid not marked as such
  EXPECT_EQ(srtm_take_tile(mixed, b.data(), (int64_t)b.size()), -1);
  EXPECT_EQ(theta_ext, 5);
  EXPECT_EQ(n_cols, 1201);
  EXPECT_EQ(height_hgt, block);
  EXPECT_TRUE(srtm_tile_usable());
  // The copy is sampled only while the tile globals still describe it.
  theta_ext = 6;
  EXPECT_FALSE(srtm_tile_usable());
  EXPECT_TRUE(std::isnan(elevation_extern(5.5, 6.5)));
  theta_ext = 5;
  EXPECT_TRUE(srtm_tile_usable());
}

}  // namespace
