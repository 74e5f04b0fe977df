// The EXIF orientation: files tagged by exiftool in both byte orders, shown as PIL turns them
// upright; and the marker walk on hand-made segments at its limits.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "formats/jpeg_exif.h"
#include "jpeg_fixtures.h"
#include "support/headless.h"
#include "view/canvas.h"

namespace {

// Every orientation, in Intel and Motorola order, with Orientation the first IFD0 entry or
// behind Make and Model as cameras write it: the loaded image must be PIL's upright picture.
TEST(JpegOrientation, TaggedFilesShowUprightAsPilTurnsThem) {
  headless_viewer();
  if (!have_tool("cjpeg") || !have_tool("exiftool") || photo_ppm().empty())
    GTEST_SKIP() << "cjpeg, exiftool or Go's test picture missing";
  std::string base = fixture_dir() + "/upright.jpg";
  ASSERT_EQ(sh("cjpeg -quality 90 -sample 1x1 " + photo_ppm() + " > " + base), 0);
  // All 32 files tagged by one exiftool run and turned upright by one PIL run.
  struct Variant {
    std::string order, extra, file;
    int k;
  };
  std::vector<Variant> variants;
  std::string args, names;
  for (const char* order : {"II", "MM"})
    for (const char* extra : {"", "-Make=Cam\n-Model=One\n"})
      for (int k = 1; k <= 8; k++) {
        std::string f = fixture_dir() + "/tagged" + std::to_string(variants.size()) + ".jpg";
        ASSERT_EQ(sh("cp " + base + " " + f), 0);
        variants.push_back({order, *extra ? "Make, Model, " : "", f, k});
        args += std::string("-q\n-overwrite_original\n-n\n-ExifByteOrder=") + order + "\n" + extra +
                "-Orientation=" + std::to_string(k) + "\n" + f + "\n-execute\n";
        names += " " + f;
      }
  std::string argfile = fixture_dir() + "/tag.args", py = fixture_dir() + "/upright.py";
  write_file(argfile, Bytes(args.begin(), args.end()));
  ASSERT_EQ(sh("exiftool -@ " + argfile + " > /dev/null"), 0);
  std::string script =
      "import sys\nfrom PIL import Image, ImageOps\n"
      "for f in sys.argv[1:]:\n"
      "    ImageOps.exif_transpose(Image.open(f)).convert('RGB').save(f + '.ppm')\n";
  write_file(py, Bytes(script.begin(), script.end()));
  ASSERT_EQ(sh("/usr/bin/python3 " + py + names), 0);
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.order + " " + v.extra + "orientation " + std::to_string(v.k));
    Bytes data = read_file(v.file);
    EXPECT_EQ(jpeg_orientation(data.data(), (int64_t)data.size()), v.k);
    Picture upright;
    ASSERT_TRUE(read_pnm(v.file + ".ppm", upright));
    ASSERT_EQ(open_jpeg(data), 0);
    ASSERT_EQ(image_xres, v.k >= 5 ? 103 : 150);
    ASSERT_EQ(image_yres, v.k >= 5 ? 150 : 103);
    Agreement a = agree(upright, 2.5);
    EXPECT_EQ(a.outside, 0) << a.first;
  }
}

// A JPEG start, one APP1 segment holding an Exif block with the given IFD0 entries, and a DHT
// marker where the walk stops.
struct Entry {
  unsigned tag, type;
  uint32_t value;
};
Bytes exif_file(bool motorola, std::vector<Entry> entries, int64_t ifd_offset = 8,
                int count_override = -1) {
  Bytes tiff;
  auto u16 = [&](Bytes& b, unsigned v) {
    if (motorola) b.push_back(v >> 8), b.push_back(v & 255);
    else b.push_back(v & 255), b.push_back(v >> 8);
  };
  auto u32 = [&](Bytes& b, uint32_t v) {
    if (motorola) u16(b, v >> 16), u16(b, v & 0xFFFF);
    else u16(b, v & 0xFFFF), u16(b, v >> 16);
  };
  tiff.push_back(motorola ? 'M' : 'I');
  tiff.push_back(motorola ? 'M' : 'I');
  u16(tiff, 42);
  u32(tiff, (uint32_t)ifd_offset);
  u16(tiff, count_override >= 0 ? (unsigned)count_override : (unsigned)entries.size());
  for (const Entry& e : entries) {
    u16(tiff, e.tag);
    u16(tiff, e.type);
    u32(tiff, 1);
    if (e.type == 3) u16(tiff, e.value), u16(tiff, 0);
    else u32(tiff, e.value);
  }
  u32(tiff, 0);
  Bytes f = {0xFF, 0xD8, 0xFF, 0xE1};
  size_t len = 2 + 6 + tiff.size();
  f.push_back(len >> 8);
  f.push_back(len & 255);
  for (char c : std::string("Exif\0\0", 6)) f.push_back(c);
  f.insert(f.end(), tiff.begin(), tiff.end());
  Bytes tail = {0xFF, 0xC4, 0x00, 0x02};
  f.insert(f.end(), tail.begin(), tail.end());
  return f;
}

int walk(const Bytes& b, std::string* console = nullptr) {
  testing::internal::CaptureStdout();
  // An exact-size copy on the heap, so that a read past the end is caught by the sanitizers.
  std::vector<unsigned char> copy(b);
  int r = jpeg_orientation(copy.data(), (int64_t)copy.size());
  std::string out = testing::internal::GetCapturedStdout();
  if (console) *console = out;
  return r;
}

TEST(JpegOrientation, MarkerWalkFindsTheTagAndStaysInsideTheData) {
  const unsigned ORIENT = 0x0112, WIDTH = 0x0100, MAKE = 0x010F, SHORT = 3, LONG = 4;
  struct Case {
    const char* name;
    Bytes data;
    int expected;
  } cases[] = {
      {"Intel, first entry", exif_file(false, {{ORIENT, SHORT, 6}}), 6},
      {"Motorola, first entry", exif_file(true, {{ORIENT, SHORT, 8}}), 8},
      {"behind Make and ImageWidth", exif_file(true, {{WIDTH, SHORT, 640}, {MAKE, 2, 0}, {ORIENT, SHORT, 3}}), 3},
      // A first entry whose low value byte happens to lie in 1..8 is not an orientation.
      {"ImageWidth 6 and no orientation", exif_file(false, {{WIDTH, SHORT, 6}}), 1},
      {"value 9", exif_file(false, {{ORIENT, SHORT, 9}}), 1},
      {"value 0", exif_file(true, {{ORIENT, SHORT, 0}}), 1},
      {"stored as LONG", exif_file(true, {{ORIENT, LONG, 5}}), 5},
      {"IFD beyond the segment", exif_file(false, {{ORIENT, SHORT, 6}}, 4000), 1},
      {"IFD offset near 2^32", exif_file(true, {{ORIENT, SHORT, 6}}, 0xFFFFFFF0u), 1},
      {"entry count past the segment", exif_file(false, {{WIDTH, SHORT, 2}}, 8, 0xFFFF), 1},
      {"entry count past the segment, tag present", exif_file(true, {{ORIENT, SHORT, 7}}, 8, 5000), 7},
  };
  for (const Case& c : cases) EXPECT_EQ(walk(c.data), c.expected) << c.name;

  // The APP1 segment cut by the end of the data, before and after the tag.
  Bytes full = exif_file(false, {{WIDTH, SHORT, 2}, {ORIENT, SHORT, 6}});
  EXPECT_EQ(walk(Bytes(full.begin(), full.begin() + 46)), 6);  // the second entry ends at 46
  EXPECT_EQ(walk(Bytes(full.begin(), full.begin() + 45)), 1);
  for (size_t n = 2; n < full.size(); n++) walk(Bytes(full.begin(), full.begin() + n));

  // APP0 before the Exif block is stepped over; the last Exif block decides; an XMP APP1 ends
  // the walk; a DHT first prints its marker byte.
  Bytes app0 = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J', 'F'};
  Bytes e6 = exif_file(false, {{ORIENT, SHORT, 6}}), e3 = exif_file(true, {{ORIENT, SHORT, 3}});
  Bytes seg6(e6.begin() + 2, e6.end() - 4), seg3(e3.begin() + 2, e3.end() - 4);
  Bytes with_app0 = app0;
  with_app0.insert(with_app0.end(), seg6.begin(), seg6.end());
  EXPECT_EQ(walk(with_app0), 6);
  Bytes two = {0xFF, 0xD8};
  two.insert(two.end(), seg6.begin(), seg6.end());
  two.insert(two.end(), seg3.begin(), seg3.end());
  EXPECT_EQ(walk(two), 3);
  std::string xmp_id = "http://ns.adobe.com/xap/1.0/";
  Bytes xmp = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, (unsigned char)(2 + xmp_id.size() + 1)};
  xmp.insert(xmp.end(), xmp_id.begin(), xmp_id.end());
  xmp.push_back(0);
  xmp.insert(xmp.end(), seg6.begin(), seg6.end());
  EXPECT_EQ(walk(xmp), 1);
  std::string console;
  EXPECT_EQ(walk({0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x10, 0, 0}, &console), 1);
  EXPECT_EQ(console, "app ver = 196\n");
  EXPECT_EQ(walk({0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x'}), 1);
}

// A file made by cjpeg starts APP0, DQT, SOF0, DHT: the walk prints the DHT marker and keeps 1.
TEST(JpegOrientation, PlainFileKeepsOrientationOne) {
  if (!have_tool("cjpeg") || photo_ppm().empty()) GTEST_SKIP() << "cjpeg or Go's picture missing";
  std::string f = fixture_dir() + "/plain.jpg";
  ASSERT_EQ(sh("cjpeg -quality 80 " + photo_ppm() + " > " + f), 0);
  std::string console;
  EXPECT_EQ(walk(read_file(f), &console), 1);
  EXPECT_EQ(console, "app ver = 196\n");
}

}  // namespace
