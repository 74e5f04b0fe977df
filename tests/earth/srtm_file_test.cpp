// Terrain tile files: unpacking (bare, zipped, refused) and the height copy of real tiles against
// gdal's reading of the same files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "earth/elevation.h"
#include "earth/srtm.h"
#include "earth/srtm_file.h"
#include "support/image_fixtures.h"
#include "support/terrain_fixtures.h"

namespace {

const double kDeg = 57.29577951308232;

Bytes fixture_bytes(const std::string& set, const std::string& name) {
  std::string dir = terrain_fixtures(set);
  EXPECT_FALSE(dir.empty()) << set;
  Bytes b = read_file(dir + "/" + name);
  EXPECT_FALSE(b.empty()) << name;
  return b;
}

// The offset of the first central directory record of a zip archive without a comment, as its
// end record says.
size_t central_record(const Bytes& zip) {
  const unsigned char* end = zip.data() + zip.size() - 22;
  return end[16] | end[17] << 8 | end[18] << 16 | (size_t)end[19] << 24;
}

void put_le32(Bytes& b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; k++) b[at + k] = (unsigned char)(v >> (8 * k));
}

TEST(SrtmUnpack, RefusalsSayWhich) {
  const Bytes zip = fixture_bytes("real", "N57E011.hgt.zip");
  Bytes large = zip;  // entry 0 declares 100 MB in the directory
  put_le32(large, central_record(large) + 24, 100000000);
  Bytes damaged = zip;  // a byte of the deflated samples flipped
  damaged[30 + strlen("N57E011.hgt") + 5000] ^= 0x55;
  Bytes empty = {'P', 'K', 5, 6};
  empty.resize(22, 0);
  Bytes text(3000000, 'a');
  memcpy(text.data(), "# heights\n1 2 3\n", 16);
  Bytes gzip(2884802, 0);
  gzip[0] = 0x1F, gzip[1] = 0x8B;
  Bytes short_tile(2884800, 0);
  struct Case {
    const char* what;
    const char* name;
    const Bytes* bytes;
    SrtmFileResult result;
    const char* reason;
  } cases[] = {
      {"gzip data", "N57E011.hgt", &gzip, SRTM_FILE_GZIP, "gzip data"},
      {"no archive after PK", "N57E011.hgt.zip", nullptr, SRTM_FILE_BAD_ARCHIVE,
       "unreadable archive"},
      {"archive without entries", "N57E011.hgt.zip", &empty, SRTM_FILE_EMPTY_ARCHIVE,
       "empty archive"},
      {"entry declaring 100 MB", "N57E011.hgt.zip", &large, SRTM_FILE_LARGE_ENTRY,
       "archive entry of 100000000 bytes"},
      {"damaged entry", "N57E011.hgt.zip", &damaged, SRTM_FILE_BAD_ENTRY, "damaged archive entry"},
      {"text named .hgt", "/tmp/x/N57E011.hgt", &text, SRTM_FILE_NOT_TILE, "not a terrain tile"},
      {"one sample short", "N57E011.hgt", &short_tile, SRTM_FILE_SHORT,
       "short file: 2884800 bytes, a 1201 x 1201 tile needs 2884802"},
      {"a one-degree tile named .dem", "E020N40.DEM", &zip, SRTM_FILE_SHORT,
       "a 4800 x 6000 tile needs 57600000"},
  };
  Bytes not_zip = {'P', 'K', 3, 4, 0, 0, 0, 0};
  for (const Case& c : cases) {
    const Bytes& b = c.bytes ? *c.bytes : not_zip;
    SrtmFile f;
    start_stdout_capture();
    SrtmFileResult r = srtm_unpack(c.name, b.data(), (int64_t)b.size(), &f);
    std::string console = stop_stdout_capture();
    EXPECT_EQ(r, c.result) << c.what;
    EXPECT_NE(std::string(f.reason).find(c.reason), std::string::npos) << c.what << ": " << f.reason;
    const char* base = strrchr(c.name, '/') ? strrchr(c.name, '/') + 1 : c.name;
    EXPECT_NE(std::string(f.reason).find(base), std::string::npos) << c.what;
    if (c.result == SRTM_FILE_BAD_ENTRY)
      EXPECT_EQ(console, "mz_zip_reader_extract_file_to_heap() failed!\n") << c.what;
  }
}

TEST(SrtmUnpack, ZippedTilesGiveTheirEntryAndTheGridFollowsIt) {
  const Bytes bare = fixture_bytes("real", "N57E011.hgt");
  const Bytes zip = fixture_bytes("real", "N57E011.hgt.zip");
  SrtmFile a, b;
  ASSERT_EQ(srtm_unpack("N57E011.hgt", bare.data(), (int64_t)bare.size(), &a), SRTM_FILE_OK);
  ASSERT_EQ(srtm_unpack("dir/N57E011.hgt.zip", zip.data(), (int64_t)zip.size(), &b), SRTM_FILE_OK);
  EXPECT_EQ(a.samples, bare.data());
  EXPECT_EQ(a.entry, nullptr);
  ASSERT_EQ(b.length, (int64_t)bare.size());
  EXPECT_EQ(b.samples, b.entry);
  EXPECT_EQ(memcmp(a.samples, b.samples, bare.size()), 0);
  for (const SrtmFile* f : {&a, &b}) {
    EXPECT_EQ(f->tile.n_cols, 1201);
    EXPECT_EQ(f->tile.theta_ext, 57);
    EXPECT_EQ(f->tile.phi_ext, 11);
  }
  // A one-arc-second tile of sea packs into far less than 5 MB and is still a 3601 grid.
  const Bytes s1 = fixture_bytes("s1", "s1/N57E011.hgt.zip");
  ASSERT_LT(s1.size(), 1000000u);
  SrtmFile c;
  ASSERT_EQ(srtm_unpack("N57E011.hgt.zip", s1.data(), (int64_t)s1.size(), &c), SRTM_FILE_OK);
  EXPECT_EQ(c.length, 3601LL * 3601 * 2);
  EXPECT_EQ(c.tile.n_cols, 3601);
  EXPECT_EQ(c.tile.n_rows, 3601);
  EXPECT_EQ(c.tile.is_srtm1, 1);
}

// Every `step`-th sample of a cols x rows tile in both directions, the last row and column, and
// every sample below sea level, as (pixel, line).
std::vector<std::pair<int, int>> spread_and_negatives(const Bytes& b, int cols, int rows, int step) {
  std::vector<std::pair<int, int>> at;
  for (int l = 0; l < rows; l += step)
    for (int p = 0; p < cols; p += step) at.push_back({p, l});
  at.push_back({cols - 1, rows - 1});
  for (int l = 0; l < rows; l++)
    for (int p = 0; p < cols; p++) {
      size_t k = 2 * ((size_t)l * cols + p);
      int16_t v = (int16_t)(b[k] << 8 | b[k + 1]);
      if (v < 0 && v != -9999) at.push_back({p, l});
    }
  return at;
}

class TerrainCopy : public ::testing::Test {
 protected:
  void TearDown() override { have_hgt = 0; }

  void take(const std::string& name, const Bytes& b) {
    SrtmFile f;
    ASSERT_EQ(srtm_unpack(name.c_str(), b.data(), (int64_t)b.size(), &f), SRTM_FILE_OK) << f.reason;
    ASSERT_EQ(srtm_take_tile(f.tile, f.samples, f.length), 0);
  }
};

TEST_F(TerrainCopy, HeightsEqualGdalsIncludingThoseBelowSeaLevel) {
  struct {
    const char* set;
    const char* name;
    int cols, rows, step;
    int negatives_at_least;
  } tiles[] = {
      {"real", "N57E011.hgt", 1201, 1201, 37, 525},
      {"etopo", "N31E035.hgt", 1201, 1201, 37, 300000},
      {"etopo", "N46E007.hgt", 1201, 1201, 37, 0},
      {"dem", "E020N40.DEM", 4800, 6000, 149, 0},
  };
  for (const auto& t : tiles) {
    const Bytes b = fixture_bytes(t.set, t.name);
    take(t.name, b);
    ASSERT_EQ(n_cols, t.cols);
    std::vector<std::pair<int, int>> at = spread_and_negatives(b, t.cols, t.rows, t.step);
    EXPECT_GE((int)at.size() - (t.rows / t.step + 1) * (t.cols / t.step + 1) - 1,
              t.negatives_at_least)
        << t.name;
    std::vector<int> ref = gdal_values(terrain_fixtures(t.set) + "/" + t.name, at);
    ASSERT_EQ(ref.size(), at.size()) << t.name;
    int diffs = 0, sea = 0;
    for (size_t k = 0; k < at.size(); k++) {
      int expected = ref[k];
      if (expected == -9999) expected = 0, sea++;  // the sea of thirty-arc-second tiles
      int got = height_hgt[(size_t)at[k].second * t.cols + at[k].first];
      if (got != expected && diffs++ < 5)
        ADD_FAILURE() << t.name << " pixel " << at[k].first << " line " << at[k].second << ": "
                      << got << ", gdal " << ref[k];
    }
    EXPECT_EQ(diffs, 0) << t.name;
    if (!strcmp(t.set, "dem")) EXPECT_GT(sea, 100) << "the fixture has sea";
  }
}

// Bilinear mixes of gdal's values around each (pixel x, line y).
std::vector<double> gdal_bilinear(const std::string& path,
                                  const std::vector<std::pair<double, double>>& xy) {
  std::vector<std::pair<int, int>> at;
  for (const auto& p : xy) {
    int i = (int)p.first, j = (int)p.second;
    at.insert(at.end(), {{i, j}, {i + 1, j}, {i, j + 1}, {i + 1, j + 1}});
  }
  std::vector<int> v = gdal_values(path, at);
  std::vector<double> out;
  for (size_t k = 0; k < xy.size() && v.size() == at.size(); k++) {
    double fx = xy[k].first - (int)xy[k].first, fy = xy[k].second - (int)xy[k].second;
    const int* q = &v[4 * k];
    out.push_back((1 - fy) * (q[0] * (1 - fx) + q[1] * fx) + fy * (q[2] * (1 - fx) + q[3] * fx));
  }
  return out;
}

TEST_F(TerrainCopy, TheGlobeAnswersFromTheTileInsideAndFromTheModelOutside) {
  struct Point {
    double lat, lon;
  };
  const Point outside[] = {{56.9, 11.5}, {58.1, 11.5}, {57.5, 10.9}, {57.5, 12.1}, {47.37, 8.54}};
  std::vector<double> before;
  for (const Point& p : outside) before.push_back(geographic2altitude(p.lon / kDeg, p.lat / kDeg));

  const Bytes zip = fixture_bytes("real", "N57E011.hgt.zip");
  take("N57E011.hgt.zip", zip);
  const std::string bare = terrain_fixtures("real") + "/N57E011.hgt";
  // Points spread over the tile, the coast among them (heights vary there), and near its edges.
  unsigned s = 12345;
  auto next = [&s] { return (s = s * 1103515245u + 12345u) % 100000 / 100000.0; };
  std::vector<Point> inside = {{57.3571, 11.9042}, {57.99999, 11.00001}, {57.00001, 11.99999}};
  for (int k = 0; k < 200; k++) inside.push_back({57.0005 + 0.999 * next(), 11.0005 + 0.999 * next()});
  std::vector<std::pair<double, double>> xy;
  for (const Point& p : inside) xy.push_back({(p.lon - 11) * 1200, (58 - p.lat) * 1200});
  std::vector<double> expected = gdal_bilinear(bare, xy);
  ASSERT_EQ(expected.size(), inside.size());
  int land = 0;
  for (size_t k = 0; k < inside.size(); k++) {
    land += expected[k] != 0;
    EXPECT_NEAR(geographic2altitude(inside[k].lon / kDeg, inside[k].lat / kDeg), expected[k], 1e-3)
        << inside[k].lat << " " << inside[k].lon;
  }
  EXPECT_GT(land, 10);
  for (size_t k = 0; k < before.size(); k++)
    EXPECT_EQ(geographic2altitude(outside[k].lon / kDeg, outside[k].lat / kDeg), before[k]) << k;
}

TEST_F(TerrainCopy, SeaOfThirtyArcSecondTilesIsZeroMetres) {
  const Bytes b = fixture_bytes("dem", "E020N40.DEM");
  take("E020N40.DEM", b);
  ASSERT_EQ(is_srtm30, 1);
  ASSERT_EQ(theta_ext, -10);
  ASSERT_EQ(phi_ext, 20);
  // The Arabian Sea at 15 N 58 E and the Red Sea at 20 N 38.5 E, where the file says -9999.
  const std::string path = terrain_fixtures("dem") + "/E020N40.DEM";
  for (const auto& p : {std::pair<double, double>{15, 58}, {20, 38.5}}) {
    double x = (p.second - 20) * 120, y = (40 - p.first) * 120;
    ASSERT_EQ(gdal_values(path, {{(int)x, (int)y}}), std::vector<int>{-9999});
    EXPECT_EQ(elevation_extern(p.second, p.first), 0) << p.first << " " << p.second;
  }
}

}  // namespace
