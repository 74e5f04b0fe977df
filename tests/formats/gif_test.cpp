// GIF decoder against giflib's dump of the exact colour indices, and the frame loader against
// ImageMagick's composed frames, on files written by Pillow, ImageMagick and giflib.
#include <gtest/gtest.h>

#include <FL/Fl_Text_Buffer.H>

#include <array>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "app/open_file.h"
#include "app/window.h"
#include "formats/gif.h"
#include "formats/reader.h"
#include "gif_dump.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("gif", "gif_fixtures.sh");
  return d;
}

std::string path(const std::string& name) { return name[0] == '/' ? name : dir() + "/" + name; }

// What ReadGIF must leave in gif_frame for image k of a dump.
Bytes expected_frame(const Dump& d, const DumpImage& im) {
  const Map& m = im.map.empty() ? d.map : im.map;
  Bytes out;
  for (int i : im.index) {
    std::array<int, 3> rgb = i < (int)m.size() ? m[i] : std::array<int, 3>{0, 0, 0};
    out.insert(out.end(), {(unsigned char)rgb[0], (unsigned char)rgb[1], (unsigned char)rgb[2],
                           (unsigned char)(i == im.transparent ? 0 : 255)});
  }
  return out;
}

const char* EXACT_FILES[] = {
    "pil_anim.gif",
    "pil_interlaced.gif",
    "pil_noise.gif",
    "pil_two_colours.gif",
    "pil_last_delay0.gif",
    "pil_no_delays.gif",
    "pil_transparent.gif",
    "im_anim.gif",
    "im_87a.gif",
    "offset_beyond.gif",
    "offset_outside.gif",
    "zero_screen.gif",
    "aspect49.gif",
    "aspect50.gif",
    "transparency_scope.gif",
    "disposals.gif",
    "interlaced_h1.gif",
    "interlaced_h2.gif",
    "interlaced_h3.gif",
    "interlaced_h4.gif",
    "interlaced_h5.gif",
    "interlaced_h6.gif",
    "interlaced_h7.gif",
    "interlaced_h8.gif",
    "interlaced_h9.gif",
    "/usr/libexec/installed-tests/SDL2_image/palette.gif",
    "/usr/lib/python3.11/test/imghdrdata/python.gif",
};

// Opens the file as the file opener does: reset, frame 1, count, frame 1 again.
int open_like_the_opener(const std::string& file, int* count) {
  put_file_buffer(read_file(path(file)));
  load_gif(1, 1, 1);
  int r = load_gif(1, 1, 0);
  if (r != 0) return r;
  *count = load_gif(-1, 0, 0);
  return load_gif(1, 1, 0);
}

}  // namespace

TEST(ReadGif, EveryImageMatchesGiflibsIndicesExactly) {
  for (const char* f : EXACT_FILES) {
    std::string p = path(f);
    if (p[0] == '/' && read_file(p).empty() && strstr(f, "/usr/")) {
      ADD_FAILURE() << f << " is missing (packages libsdl2-image-tests, libpython3.11-testsuite)";
      continue;
    }
    std::string dump_file = p + ".dump";
    if (strstr(f, "/usr/")) {
      dump_file = fixture(std::string("real_") + (strrchr(f, '/') + 1) + ".dump");
      sh("gifbuild -d '" + p + "' > '" + dump_file + "'");
    }
    Dump d = read_dump(dump_file);
    ASSERT_FALSE(d.images.empty()) << f;
    Bytes file = read_file(p);
    auto read = [&](int n, int* left, int* top, int* w, int* h, int* delay) {
      start_stdout_capture();
      int r = ReadGIF(nullptr, n, left, top, w, h, delay, (int)file.size(), file.data());
      stop_stdout_capture();
      return r;
    };
    for (size_t k = 0; k < d.images.size(); k++) {
      const DumpImage& im = d.images[k];
      int left = -1, top = -1, w = -1, h = -1, delay = -1;
      ASSERT_EQ(read((int)k + 1, &left, &top, &w, &h, &delay), 0) << f << " image " << k + 1;
      EXPECT_EQ(left, im.left) << f;
      EXPECT_EQ(top, im.top) << f;
      EXPECT_EQ(w, im.w) << f;
      EXPECT_EQ(h, im.h) << f;
      EXPECT_EQ(delay, 10 * d.last_delay) << f;  // the file's last delay, in ms
      ASSERT_NE(gif_frame, nullptr);
      Bytes got(gif_frame, gif_frame + (size_t)4 * w * h);
      EXPECT_EQ(got, expected_frame(d, im)) << f << " image " << k + 1;
      free(gif_frame);
      gif_frame = nullptr;
    }
    int left, top, w, h, delay;
    EXPECT_EQ(read(0, &left, &top, &w, &h, &delay), 0) << f;
    EXPECT_EQ(w, d.w) << f;
    EXPECT_EQ(h, d.h) << f;
    EXPECT_EQ(read((int)d.images.size() + 1, &left, &top, &w, &h, &delay), -1) << f;
    free(gif_frame);
    gif_frame = nullptr;
  }
}

TEST(ReadGif, ReadsFromAStreamWhenNoLengthIsGiven) {
  std::string p = path("disposals.gif");
  FILE* f = fopen(p.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  int left, top, w, h, delay;
  EXPECT_EQ(ReadGIF(f, 3, &left, &top, &w, &h, &delay, 0, nullptr), 0);
  fclose(f);
  EXPECT_EQ(left, 3);
  EXPECT_EQ(w, 4);
  free(gif_frame);
  gif_frame = nullptr;
}

TEST(ReadGif, RefusesWhatIsNoGif) {
  struct Case {
    const char* what;
    std::string data;
    int result;
    const char* printed;
  } cases[] = {
      {"another file", "PNG\r\n\x1a\n", 1, "not a gif file.\n"},
      {"a wrong version", "GIF88a\x01\0\x01\0\0\0\0;", 1,
       "gif: bad version number, not 87a or 89a\n"},
      {"a cut screen descriptor", "GIF89a\x01\0", -1, ""},
      {"no image", std::string("GIF89a\x01\0\x01\0\0\0\0;", 14), -1, ""},
  };
  for (const Case& k : cases) {
    int left, top, w, h, delay;
    start_stdout_capture();
    int r = ReadGIF(nullptr, 1, &left, &top, &w, &h, &delay, (int)k.data.size(),
                    (const unsigned char*)k.data.data());
    EXPECT_EQ(stop_stdout_capture(), k.printed) << k.what;
    EXPECT_EQ(r, k.result) << k.what;
    free(gif_frame);
    gif_frame = nullptr;
  }
}

TEST(LoadGif, FramesStepLikeImageMagicksComposedFrames) {
  headless_viewer();
  // Stepping forward from frame 1 shows what ImageMagick's coalesced frames show: offsets, local
  // tables, transparency over the frame before, and every disposal method. (Where a first frame
  // leaves part of the screen uncovered, that part is transparent here, as a disposal to the
  // background leaves it in ImageMagick too; ImageMagick paints it in the background colour on the
  // first frame, Pillow even on later ones. Those files are checked on their own below.)
  for (const char* f : {"disposals.gif", "im_anim.gif", "pil_anim.gif", "pil_transparent.gif",
                        "transparency_scope.gif", "pil_last_delay0.gif", "aspect50.gif",
                        "/usr/libexec/installed-tests/SDL2_image/palette.gif",
                        "/usr/lib/python3.11/test/imghdrdata/python.gif"}) {
    int count = 0;
    start_stdout_capture();
    int r = open_like_the_opener(f, &count);
    stop_stdout_capture();
    ASSERT_EQ(r, 0) << f;
    int frames = (int)read_dump(strstr(f, "/usr/") ? "/dev/null" : path(f) + ".dump").images.size();
    if (!strstr(f, "/usr/")) EXPECT_EQ(count, frames) << f;
    for (int k = 1; k <= count; k++) {
      if (k > 1) ASSERT_EQ(load_gif(k, 0, 0), 0) << f;
      EXPECT_EQ(compare_loaded(imagemagick_rgba(path(f), k - 1), 0), "") << f << " frame " << k;
      EXPECT_EQ(status_text(), "") << f;
    }
    // Page Down from the last frame comes back to frame 1 as it first showed.
    if (count > 1) {
      ASSERT_EQ(load_gif(1, 0, 0), 0);
      EXPECT_EQ(compare_loaded(imagemagick_rgba(path(f), 0), 0), "") << f << " back to frame 1";
    }
  }
}

TEST(LoadGif, FramesWithoutDelaysMakeALayeredStill) {
  headless_viewer();
  int count = 0;
  ASSERT_EQ(open_like_the_opener("pil_no_delays.gif", &count), 0);
  EXPECT_EQ(count, 1);
  // Every frame drawn over the one before: ImageMagick's last composed frame.
  EXPECT_EQ(compare_loaded(imagemagick_rgba(path("pil_no_delays.gif"), 2), 0), "");
}

TEST(LoadGif, OpeningDecodesOneFrameAndEachStepOneMore) {
  headless_viewer();
  // An animation of 40 frames, each a band of a new colour.
  std::string anim = fixture("forty.gif");
  ASSERT_EQ(sh(std::string(python()) +
               " -c \"from PIL import Image; f=[Image.new('P',(16,16),k) for k in range(40)]; "
               "[x.putpalette([k*6,255-k*6,k]*256) for k,x in enumerate(f)]; "
               "f[0].save('" +
               anim + "',save_all=True,append_images=f[1:],duration=50,disposal=1)\""),
            0);
  int before = gif_images_decoded, count = 0;
  ASSERT_EQ(open_like_the_opener(anim, &count), 0);
  EXPECT_EQ(count, 40);
  EXPECT_EQ(gif_images_decoded - before, 1);
  before = gif_images_decoded;
  for (int k = 2; k <= 40; k++) ASSERT_EQ(load_gif(k, 0, 0), 0);
  EXPECT_EQ(gif_images_decoded - before, 39);
}

TEST(LoadGif, AStepAfterAnotherPictureDoesNotDrawOverIt) {
  headless_viewer();
  // Two 16 x 16 frames: a full one, then a 4 x 4 patch kept over it.
  std::string anim = fixture("patch.gif");
  ASSERT_EQ(sh(std::string(python()) +
               " -c \"from PIL import Image; a=Image.new('P',(16,16),1); b=Image.new('P',(16,16),0); "
               "b.paste(2,(0,0,4,4)); [x.putpalette([0,0,0, 255,0,0, 0,0,255]+[0]*759) for x in (a,b)]; "
               "a.save('" +
               anim + "',save_all=True,append_images=[b],duration=50,disposal=1,transparency=0)\""),
            0);
  int count = 0;
  ASSERT_EQ(open_like_the_opener(anim, &count), 0);
  ASSERT_EQ(count, 2);
  // Something else is shown in the same block at the same size (the globe after a start-up file).
  for (int i = 0; i < 16 * 16 * 4; i++) img_content[i] = 0.125f;
  image_post(16, 16, 1);
  ASSERT_EQ(load_gif(2, 0, 0), 0);
  Rgba got = loaded_rgba();
  EXPECT_EQ(got.at(1, 1)[2], 255);  // the patch
  EXPECT_NE(got.at(10, 10)[0], 32) << "frame 2 was drawn over the other picture";
}

TEST(LoadGif, FirstFrameAtAnOffsetStaysInsideTheScreen) {
  headless_viewer();
  // An 8 x 5 frame at (6, 6) of a 10 x 10 screen: the part inside is shown, the rest clipped.
  int count = 0;
  ASSERT_EQ(open_like_the_opener("offset_beyond.gif", &count), 0);
  Rgba got = loaded_rgba();
  ASSERT_EQ(got.w, 10);
  ASSERT_EQ(got.h, 10);
  EXPECT_EQ(got.at(6, 6)[0], 255);  // index a: red
  EXPECT_EQ(got.at(7, 6)[1], 255);  // b: green
  EXPECT_EQ(got.at(9, 9)[1], 255);  // row 3 of the frame: index d, white
  EXPECT_EQ(got.at(0, 0)[3], 0);    // outside the frame: transparent

  // A frame entirely outside the screen draws nothing; a screen of size 0 takes the frame's extent.
  ASSERT_EQ(open_like_the_opener("offset_outside.gif", &count), 0);
  got = loaded_rgba();
  ASSERT_EQ(got.w, 10);
  ASSERT_EQ(got.h, 10);
  for (int i = 0; i < 100; i++) EXPECT_EQ(got.px[4 * i + 3], 0) << i;
  ASSERT_EQ(open_like_the_opener("zero_screen.gif", &count), 0);
  got = loaded_rgba();
  ASSERT_EQ(got.w, 6);
  ASSERT_EQ(got.h, 4);
  EXPECT_EQ(got.at(2, 1)[0], 255);
  EXPECT_EQ(got.at(1, 1)[3], 0);
}

TEST(LoadGif, CountsAndMissingFrames) {
  headless_viewer();
  int count = 0;
  ASSERT_EQ(open_like_the_opener("pil_last_delay0.gif", &count), 0);
  EXPECT_EQ(count, 3);  // a last frame without delay leaves it an animation
  Bytes before = loaded_rgba().px;
  EXPECT_EQ(load_gif(4, 0, 0), -1);
  EXPECT_EQ(loaded_rgba().px, before);  // nothing shown is lost
  put_file_buffer(std::string("not a gif"));
  load_gif(1, 1, 1);
  start_stdout_capture();
  EXPECT_EQ(load_gif(1, 1, 0), 1);
  EXPECT_EQ(stop_stdout_capture(), "not a gif file.\n");
  EXPECT_EQ(load_gif(-1, 0, 0), 1);
}

TEST(LoadGif, PageDownAndUpStepAndTitle) {
  headless_viewer();
  int count = 0;
  ASSERT_EQ(open_like_the_opener("disposals.gif", &count), 0);
  snprintf(openfilename, sizeof openfilename, "disposals.gif");
  gif_extension = 1;
  n_img = count;
  current_subimage = 0;
  step_gif_frame(1);
  EXPECT_STREQ(window->label(), "disposals.gif (2 of 5)");
  EXPECT_EQ(compare_loaded(imagemagick_rgba(path("disposals.gif"), 1), 0), "");
  step_gif_frame(-1);
  step_gif_frame(-1);
  EXPECT_STREQ(window->label(), "disposals.gif (5 of 5)");
  EXPECT_EQ(current_subimage, 4);
  gif_extension = 0;
}

TEST(LoadGif, ScreensTooLargeAreRefused) {
  headless_viewer();
  // 65535 x 65535: far over the pixel cap; refused before anything is allocated.
  std::string big("GIF89a\xFF\xFF\xFF\xFF\0\0\0,\0\0\0\0\1\0\1\0\0\2\2D\1\0;", 30);
  put_file_buffer(big);
  load_gif(1, 1, 1);
  size_loaded_image(4, 4);
  float* block = img_content;
  start_stdout_capture();
  EXPECT_EQ(load_gif(1, 1, 0), 3);
  EXPECT_EQ(stop_stdout_capture(), "gif: screen of 65535 x 65535 not supported\n");
  EXPECT_EQ(img_content, block);
}

namespace {

// A one-image GIF of a w x h screen and image, 4-colour global table, with the given LZW minimum
// code size and raw data bytes (split into sub-blocks).
Bytes gif_with_data(int w, int h, int min_size, const Bytes& lzw, bool trailer = true) {
  Bytes b = {'G',
             'I',
             'F',
             '8',
             '9',
             'a',
             (unsigned char)w,
             (unsigned char)(w >> 8),
             (unsigned char)h,
             (unsigned char)(h >> 8),
             0x81,
             0,
             0,
             255,
             0,
             0,
             0,
             255,
             0,
             0,
             0,
             255,
             255,
             255,
             255,
             ',',
             0,
             0,
             0,
             0,
             (unsigned char)w,
             (unsigned char)(w >> 8),
             (unsigned char)h,
             (unsigned char)(h >> 8),
             0,
             (unsigned char)min_size};
  for (size_t i = 0; i < lzw.size(); i += 255) {
    size_t n = lzw.size() - i < 255 ? lzw.size() - i : 255;
    b.push_back((unsigned char)n);
    b.insert(b.end(), lzw.begin() + i, lzw.begin() + i + n);
  }
  b.push_back(0);
  if (trailer) b.push_back(';');
  return b;
}

// Packs codes LSB first with the decoder's growing code size (starting at min_size + 1).
Bytes pack_codes(const std::vector<int>& codes, int min_size, bool grow = true) {
  Bytes out;
  uint64_t acc = 0;
  int bits = 0, size = min_size + 1, next = (1 << min_size) + 2;
  bool first = true;
  for (int c : codes) {
    acc |= (uint64_t)c << bits;
    bits += size;
    while (bits >= 8) {
      out.push_back((unsigned char)acc);
      acc >>= 8;
      bits -= 8;
    }
    if (c == 1 << min_size) {
      size = min_size + 1;
      next = (1 << min_size) + 2;
      first = true;
      continue;
    }
    if (!first && next < 4096 && grow) {
      next++;
      if (next >= 1 << size && size < 12) size++;
    }
    first = false;
  }
  if (bits) out.push_back((unsigned char)acc);
  return out;
}

}  // namespace

TEST(LoadGif, HostileDataEndsTheFrameNotTheProgram) {
  headless_viewer();
  struct Case {
    const char* what;
    Bytes file;
    const char* printed;
    bool damaged;
  } cases[] = {
      {"minimum code size 12 (tables of 4096)", gif_with_data(4, 4, 12, Bytes(20, 0xFF)),
       "gif: LZW minimum code size 12 not supported\n", true},
      {"minimum code size 255", gif_with_data(4, 4, 255, Bytes(20, 0x55)),
       "gif: LZW minimum code size 255 not supported\n", true},
      {"minimum code size 0", gif_with_data(4, 4, 0, Bytes(20, 0x55)),
       "gif: LZW minimum code size 0 not supported\n", true},
      {"first code is the end code", gif_with_data(2, 2, 2, pack_codes({4, 5}, 2)), "", true},
      {"first code not yet in the table", gif_with_data(2, 2, 2, pack_codes({4, 7, 1}, 2)),
       "error: circular table entry\n", true},
      {"a code past the next free entry", gif_with_data(2, 2, 2, pack_codes({4, 1, 7}, 2)),
       "error: circular table entry\n", true},
      {"data ends inside the codes", gif_with_data(4, 4, 2, pack_codes({4, 1, 2}, 2)),
       "ran off the end of my bits\n", true},
      {"no trailer, complete picture", gif_with_data(2, 1, 2, pack_codes({4, 1, 2, 5}, 2), false),
       "EOF  / read error on image data\n", false},
      {"more data than pixels", gif_with_data(1, 1, 2, pack_codes({4, 1, 2, 3, 5}, 2)),
       "too much input data, ignoring extra...\n", false},
  };
  for (const Case& k : cases) {
    put_file_buffer(k.file);
    load_gif(1, 1, 1);
    set_status("Ready");
    start_stdout_capture();
    int r = load_gif(1, 1, 0);
    std::string out = stop_stdout_capture();
    EXPECT_EQ(r, 0) << k.what;
    EXPECT_NE(out.find(k.printed), std::string::npos) << k.what << ": " << out;
    EXPECT_EQ(status_text(), k.damaged ? DAMAGED_TEXT : "") << k.what;
    EXPECT_TRUE(loaded_image_valid()) << k.what;
  }
}

TEST(LoadGif, MinimumCodeSizesUpTo11DecodeLikePillow) {
  headless_viewer();
  for (const char* f : {"wide_code9.gif", "wide_code10.gif", "wide_code11.gif"}) {
    int count = 0;
    start_stdout_capture();
    EXPECT_EQ(open_like_the_opener(f, &count), 0) << f;
    EXPECT_EQ(stop_stdout_capture(), "") << f;
    EXPECT_EQ(count, 1) << f;
    EXPECT_EQ(compare_loaded(pillow_rgba(path(f)), 0), "") << f;
  }
  // A literal code past the colour indices (possible from size 9 on) stands for its low byte.
  put_file_buffer(gif_with_data(2, 1, 9, pack_codes({512, 257, 3, 513}, 9)));
  load_gif(1, 1, 1);
  EXPECT_EQ(load_gif(1, 1, 0), 0);
  Rgba got = loaded_rgba();
  EXPECT_EQ(got.at(0, 0)[1], 255);  // index 1 of the table: green
  EXPECT_EQ(got.at(1, 0)[0], 255);  // index 3: white
  EXPECT_EQ(got.at(1, 0)[2], 255);
}

TEST(LoadGif, CodeFloodsFillOneFrameAndStop) {
  headless_viewer();
  // 200000 codes that each repeat the longest string built so far, for a 64 x 64 frame: the
  // output is cut at the frame's end and the rest is reported as extra data.
  std::vector<int> codes = {256, 0};
  int next = 258;
  for (int i = 0; i < 200000; i++) codes.push_back(next < 4096 ? next++ : 4095);
  Bytes file = gif_with_data(64, 64, 8, pack_codes(codes, 8));
  file[10] = 0x87;  // a global table of 256 entries
  file.insert(file.begin() + 13 + 12, 256 * 3 - 12, 7);
  put_file_buffer(file);
  load_gif(1, 1, 1);
  start_stdout_capture();
  EXPECT_EQ(load_gif(1, 1, 0), 0);
  EXPECT_NE(stop_stdout_capture().find("too much input data"), std::string::npos);
  Rgba got = loaded_rgba();
  EXPECT_EQ(got.at(63, 63)[0], 255);  // index 0 of the table: red, to the last pixel
}

TEST(LoadGif, EveryTruncationOfAnAnimationIsHandled) {
  headless_viewer();
  Bytes whole = read_file(path("disposals.gif"));
  ASSERT_GT(whole.size(), 100u);
  start_stdout_capture();
  for (size_t n = 0; n < whole.size(); n++) {
    put_file_buffer(Bytes(whole.begin(), whole.begin() + n));
    load_gif(1, 1, 1);
    int count = 0;
    if (load_gif(1, 1, 0) == 0) {
      count = load_gif(-1, 0, 0);
      for (int k = 1; k <= count; k++) ASSERT_EQ(load_gif(k, 0, 0), 0) << "cut at " << n;
      ASSERT_TRUE(loaded_image_valid()) << "cut at " << n;
    }
  }
  stop_stdout_capture();
}
