// The zip adapter over archives that Python's zipfile wrote (tests/platform/zip_fixtures.py).
#include "platform/zip_archive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/image_fixtures.h"

namespace {

const std::string& zips() {
  static std::string d;
  if (d.empty()) {
    d = fixture("zips");
    const char* src = getenv("SUNCALC_SOURCE_DIR");
    std::string script = std::string(src && *src ? src : ".") + "/tests/platform/zip_fixtures.py";
    sh("mkdir -p '" + d + "'");
    EXPECT_EQ(sh(std::string(python()) + " '" + script + "' '" + d + "'"), 0);
  }
  return d;
}

Bytes entry_data() {
  Bytes b(5000);
  for (int i = 0; i < 5000; i++) b[i] = (unsigned char)(i * 7);
  return b;
}

struct Outcome {
  bool opened;
  int stat;
  int64_t size;
  bool extracted;
  Bytes data;
};

// The four steps on one archive, as a caller runs them; the block has a guard byte past the
// declared size.
Outcome run(const Bytes& archive) {
  Outcome o{};
  ZipArchive* z = zip_archive_open(archive.data(), (int64_t)archive.size());
  o.opened = z != nullptr;
  ZipEntry e;
  o.stat = zip_archive_stat_first(z, &e);
  o.size = e.size;
  if (o.stat == 1 && e.size >= 0) {
    Bytes block((size_t)e.size + 1, 0xA5);
    o.extracted = zip_archive_extract_first(z, block.data(), e.size);
    EXPECT_EQ(block.back(), 0xA5) << "written past the declared size";
    block.pop_back();
    o.data = block;
  }
  zip_archive_close(z);
  return o;
}

TEST(ZipArchive, FirstEntryOfEachKindOfArchive) {
  const Bytes data = entry_data();
  struct Case {
    const char* file;
    bool opened;
    int stat;
    int64_t size;
    bool extracted;
  } cases[] = {
      {"stored.zip", true, 1, 5000, true},
      {"deflated.zip", true, 1, 5000, true},
      {"two.zip", true, 1, 5000, true},
      {"empty.zip", true, 0, -1, false},
      {"bad_crc.zip", true, 1, 5000, false},
      {"short_declared.zip", true, 1, 4000, false},
  };
  for (const Case& c : cases) {
    Bytes archive = read_file(zips() + "/" + c.file);
    ASSERT_FALSE(archive.empty()) << c.file;
    Outcome o = run(archive);
    EXPECT_EQ(o.opened, c.opened) << c.file;
    EXPECT_EQ(o.stat, c.stat) << c.file;
    EXPECT_EQ(o.size, c.size) << c.file;
    EXPECT_EQ(o.extracted, c.extracted) << c.file;
    if (c.extracted) EXPECT_EQ(o.data, data) << c.file;
  }
}

TEST(ZipArchive, WhatIsNoArchiveIsNotOpened) {
  Bytes archive = read_file(zips() + "/deflated.zip");
  const Bytes cases[] = {
      {},
      {'P', 'K'},
      Bytes(archive.begin(), archive.begin() + (long)archive.size() / 2),  // directory cut off
      Bytes(2000, 0),
  };
  for (const Bytes& b : cases) {
    ZipArchive* z = zip_archive_open(b.data(), (int64_t)b.size());
    EXPECT_EQ(z, nullptr) << b.size() << " bytes";
    ZipEntry e;
    EXPECT_EQ(zip_archive_stat_first(z, &e), -1);
    zip_archive_close(z);
  }
}

}  // namespace
