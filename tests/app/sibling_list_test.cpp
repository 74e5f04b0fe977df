// The sibling list: natural order against GNU sort's version order on a real folder, the rules
// for the bytes where the two part ways, and the list's storage.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/sibling_list.h"
#include "platform/folders.h"
#include "support/image_fixtures.h"
#include "support/temp_dir.h"

namespace {

class SiblingList : public ::testing::Test {
 protected:
  void TearDown() override {
    free_dir_list();
    fail_dir_growth = 0;
  }
};

std::vector<std::string> sorted_list() {
  sort_dir_list();
  std::vector<std::string> out;
  for (int i = 0; i < dir_n; i++) out.push_back(get_dir_entry(i));
  return out;
}

// Names of letters and digit runs (some with leading zeros, some 20 digits long) ending in ".jpg".
// No run is all zeros: version sort takes "img0" for "img" and then ranks the '.' after digits.
std::vector<std::string> random_names(int n) {
  std::mt19937 rng(1108);
  const std::string letters = "aAbBxyzZ";
  std::vector<std::string> names;
  while ((int)names.size() < n) {
    std::string s;
    int parts = 1 + rng() % 4;
    bool digits = rng() % 2;
    for (int p = 0; p < parts; p++, digits = !digits) {
      if (digits) {
        s += std::string(rng() % 4 == 0 ? rng() % 3 + 1 : 0, '0');
        int len = rng() % 5 == 0 ? 20 : 1 + rng() % 3;
        for (int k = 0; k < len; k++) s += (char)('0' + (k == 0 ? 1 + rng() % 9 : rng() % 10));
      } else {
        int len = 1 + rng() % 2;
        for (int k = 0; k < len; k++) s += letters[rng() % letters.size()];
      }
    }
    s += ".jpg";
    if (std::find(names.begin(), names.end(), s) == names.end()) names.push_back(s);
  }
  // Near twins: the same value with and without leading zeros, and runs around 2^31 and 2^64.
  for (const char* s : {"img1.jpg", "img01.jpg", "img001a.jpg", "img1a.jpg", "img2.jpg",
                        "img10.jpg", "img2147483647.jpg", "img2147483648.jpg",
                        "img4294967296.jpg", "img18446744073709551615.jpg",
                        "img18446744073709551616.jpg", "img99999999999999999999.jpg",
                        "img100000000000000000000.jpg", "img.jpg", "img3x.jpg"})
    names.push_back(s);
  return names;
}

TEST_F(SiblingList, FolderOrderMatchesVersionSort) {
  TempDir t("siblings_");
  ASSERT_FALSE(t.path.empty());
  for (const std::string& n : random_names(300)) {
    int fd = open((t.path + "/" + n).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0) << n;
    close(fd);
  }
  ASSERT_EQ(plat_list_files(t.path.c_str(), add_dir_entry), 0);
  std::vector<std::string> ours = sorted_list();

  std::istringstream lines(sh_out("cd '" + t.path + "' && ls -1 | LC_ALL=C sort -V"));
  std::vector<std::string> theirs;
  std::string line;
  while (std::getline(lines, line)) theirs.push_back(line);
  ASSERT_EQ(theirs.size(), ours.size());
  for (size_t k = 0; k < ours.size(); k++) ASSERT_EQ(ours[k], theirs[k]) << "position " << k;
}

TEST_F(SiblingList, OrderRules) {
  struct Case {
    const char *a, *b;
    int sign;
  } cases[] = {
      {"a2", "a10", -1},
      {"a9b", "a10b", -1},
      {"x9.jpg", "x10.jpg", -1},
      {"img2.jpg", "img999999999999.jpg", -1},  // past 32 bits
      {"img4294967297.jpg", "img4294967296.jpg", 1},
      {"a12", "a13", -1},
      {"a05", "a0x", 1},
      {"a1", "a12", -1},
      {"a1b", "a12", -1},
      {"abc", "abcd", -1},  // a name that ends first sorts first
      {"abc", "ab", 1},
      {"same.jpg", "same.jpg", 0},
      // A digit facing another byte counts as a digit among the bytes.
      {"a1", "ab", -1},
      {"a1", "a.", 1},
      {"a 1", "a1", -1},
      {"a_1", "a-1", 1},
      {"a~", "a1", 1},
      {"a-2", "a-10", -1},
      {"a.9.jpg", "a.10.jpg", -1},
      {"img.jpg", "img0.jpg", -1},
      // Bytes above 127 are unsigned and sort after ASCII.
      {"a\xe9", "az", 1},
      {"\xc3\xa9t\xc3\xa9", "ete", 1},
      {"\xff", "\x7f", 1},
      // Equal values with other zeros: ordered by their bytes, and consistently.
      {"x01", "x1", -1},
      {"x01", "x1a", -1},
      {"x1", "x1a", -1},
      {"a0", "a00", -1},
      {"a00b", "a0b", -1},
      {"x01y", "x1z", -1},  // after equal runs the rest still decides
      {"x001z", "x1y", 1},
  };
  for (const Case& c : cases) {
    int r = natural_compare(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    int back = natural_compare(c.b, c.a);
    EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
  }
}

TEST_F(SiblingList, OrderIsConsistentOnNamesWithPunctuation) {
  // A sort must never meet a < b < c with c < a: check every pair of a sorted set.
  std::mt19937 rng(7);
  const std::string alphabet = "0012a9-._ ~\xe9";
  std::vector<std::string> names;
  for (int k = 0; k < 300; k++) {
    std::string s;
    for (int n = 1 + rng() % 6; n > 0; n--) s += alphabet[rng() % alphabet.size()];
    names.push_back(s);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) {
              return natural_compare(a.c_str(), b.c_str()) < 0;
            });
  for (size_t i = 0; i < names.size(); i++)
    for (size_t j = i + 1; j < names.size(); j++)
      ASSERT_LE(natural_compare(names[i].c_str(), names[j].c_str()), 0)
          << names[i] << " before " << names[j];
}

TEST_F(SiblingList, StorageGrowsBy64AndKeepsNamesWhole) {
  EXPECT_EQ(dir_alloc, -1);
  EXPECT_STREQ(get_dir_entry(0), "");
  std::string longest(300, 'n');
  for (int k = 0; k < 64; k++) ASSERT_EQ(add_dir_entry(("f" + std::to_string(k)).c_str()), 0);
  EXPECT_EQ(dir_alloc, 64);
  ASSERT_EQ(add_dir_entry(longest.c_str()), 0);
  EXPECT_EQ(dir_alloc, 128);
  EXPECT_EQ(dir_n, 65);
  EXPECT_EQ(get_dir_entry(64), longest);
  // Positions outside the list name slot 0, never a slot past the names.
  EXPECT_STREQ(get_dir_entry(65), "f0");
  EXPECT_STREQ(get_dir_entry(127), "f0");
  EXPECT_STREQ(get_dir_entry(-1), "f0");
  free_dir_list();
  EXPECT_EQ(dir_n, 0);
  EXPECT_EQ(dir_alloc, -1);
  EXPECT_EQ(dir_s, nullptr);
  EXPECT_EQ(dir_sort, nullptr);
}

TEST_F(SiblingList, FailedGrowthRefusesTheNameAndKeepsTheList) {
  for (int k = 0; k < 64; k++) ASSERT_EQ(add_dir_entry(("f" + std::to_string(k)).c_str()), 0);
  fail_dir_growth = 1;
  testing::internal::CaptureStdout();
  EXPECT_EQ(add_dir_entry("one more"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "mem err\n");
  EXPECT_EQ(dir_n, 64);
  EXPECT_EQ(dir_alloc, 64);
  EXPECT_STREQ(get_dir_entry(63), "f63");
  fail_dir_growth = 0;
  EXPECT_EQ(add_dir_entry("one more"), 0);
  EXPECT_EQ(dir_n, 65);
}

}  // namespace
