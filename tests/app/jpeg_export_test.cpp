// The JPEG export with a scripted save chooser and overwrite question: the names it writes, the
// file as djpeg and ImageMagick read it, the viewer's state afterwards, and failures that must
// leave no file behind and an overwritten one as it was.
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Widget.H>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/jpeg_export.h"
#include "app/open_file.h"
#include "app/startup.h"
#include "formats/jpeg.h"
#include "platform/bands.h"
#include "platform/dialogs.h"
#include "platform/display.h"
#include "platform/folders.h"
#include "platform/sleep.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "support/temp_dir.h"
#include "view/canvas.h"
#include "view/compose.h"
#include "view/quantise.h"
#include "view/screen.h"

namespace {

// The scripted dialogs: what the chooser answers and what it was asked, the answer to the
// overwrite question and how often it was asked.
struct Dialogs {
  static int chooser_result, chooser_calls, choice_answer, questions;
  static std::string chosen, title, filter, suggested, question, first, second;
  static int chooser(const char* t, const char* f, const char* s, char* name, int size) {
    chooser_calls++;
    title = t;
    filter = f;
    suggested = s;
    if (chooser_result == 0) snprintf(name, size, "%s", chosen.c_str());
    return chooser_result;
  }
  static int choice(const char* q, const char* a, const char* b) {
    questions++;
    question = q;
    first = a;
    second = b;
    return choice_answer;
  }
};
int Dialogs::chooser_result, Dialogs::chooser_calls, Dialogs::choice_answer, Dialogs::questions;
std::string Dialogs::chosen, Dialogs::title, Dialogs::filter, Dialogs::suggested,
    Dialogs::question, Dialogs::first, Dialogs::second;

// A w x h picture as the loaded image: smooth gradients in every channel, or noise.
void post_picture(int w, int h, bool noise = false) {
  ASSERT_EQ(resize_loaded_image(w, h), 0);
  uint32_t seed = 11;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      float* p = img_content + 4 * ((size_t)y * w + x);
      seed = seed * 1664525u + 1013904223u;
      p[0] = noise ? (seed >> 24) / 255.0f : (float)x / (w > 1 ? w - 1 : 1);
      p[1] = noise ? (seed >> 16 & 255) / 255.0f : (float)y / (h > 1 ? h - 1 : 1);
      p[2] = noise ? (seed >> 8 & 255) / 255.0f : 0.3f + 0.4f * (float)(x + y) / (w + h);
      p[3] = 1.0f;
    }
  image_post(w, h, 1);
}

class JpegExport : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer();
    plat_skip_sleep = 1;
    plat_slept_ms = 0;
    Dialogs::chooser_result = 0;
    Dialogs::chooser_calls = Dialogs::questions = 0;
    Dialogs::choice_answer = 0;
    Dialogs::chosen = "out.jpg";
    plat_save_chooser_script = Dialogs::chooser;
    plat_choice_script = Dialogs::choice;
    tmp_.reset(new TempDir("export"));
    ASSERT_TRUE(plat_getcwd(&old_cwd_));
    ASSERT_EQ(plat_chdir(tmp_->path.c_str()), 0);
    snprintf(openfilename, sizeof openfilename, "photo.bmp");
    post_picture(64, 48);
  }
  void TearDown() override {
    plat_chdir(old_cwd_.c_str());
    plat_save_chooser_script = nullptr;
    plat_choice_script = nullptr;
    plat_skip_sleep = 0;
    col_high = 0;
    fail_err_rows_alloc = 0;
    is9xline = 0;
    plat_fail_thread_starts = 0;
    jpeg_busy = 0;
    set_open_busy(0);
  }

  // The files in the test's folder, sorted (temporary files included, folders not).
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    plat_list_files(".", [&](const char* n) {
      names.push_back(n);
      return 0;
    });
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<TempDir> tmp_;
  std::string old_cwd_;
};

// What the viewer shows and keeps, to compare before and after an export.
struct ViewState {
  int width, height, zoom, shiftx, shifty, err_alloc;
  std::vector<float> canvas;
  std::vector<unsigned char> shown;
  Fl_RGB_Image* shown_image;
  std::string status;
  static ViewState now() {
    ViewState s{::width, ::height, ::zoom, ::shiftx, ::shifty, ::err_alloc, {}, {}, fl_temp,
                status_text()};
    s.canvas.assign(fimage, fimage + 4L * ::width * ::height);
    s.shown.assign(uimage, uimage + 3L * ::width * ::height);
    return s;
  }
};

// Rows the error diffusion keeps after an export: the screen's or the canvas's, whichever is
// wider, with the margin.
int rows_after_export() {
  int sw, sh;
  plat_screen_size(&sw, &sh);
  return 3 * (std::max(sw, width) + 80);
}

// djpeg's decoding of a file.
Rgba djpeg(const std::string& name) {
  std::string ppm = sh_out("djpeg -pnm '" + name + "' 2>/dev/null");
  return pnm_rgba(Bytes(ppm.begin(), ppm.end()));
}

std::string folder_of_length(size_t n) {
  std::string d(n, 'd');
  mkdir(d.c_str(), 0755);
  return d;
}

}  // namespace

TEST_F(JpegExport, TheChosenNameDecidesWhatIsWritten) {
  const std::string long_folder = folder_of_length(200);
  const std::string name400 = long_folder + "/" + std::string(195, 'f') + ".jpg";
  ASSERT_EQ(name400.size(), 400u);
  struct Case {
    const char* what;
    std::string chosen;
    int chooser_result;
    std::vector<std::string> written;  // in the test's folder
  };
  const std::vector<Case> cases = {
      {"no extension", "out", 0, {"out.jpg"}},
      {"four characters", "abcd", 0, {"abcd.jpg"}},
      {"ends in .jpg", "photo.jpg", 0, {"photo.jpg"}},
      {"dot elsewhere", "my.picture", 0, {"my.picture.jpg"}},
      {"another extension", "out.png", 0, {}},
      {"capital extension", "OUT.JPG", 0, {}},
      {"400 characters", name400, 0, {}},  // written inside the folder, checked below
      {"401 characters", long_folder + "/" + std::string(196, 'f') + ".jpg", 0, {}},
      {"cancelled", "out", 1, {}},
      {"chooser failed", "out", -1, {}},
  };
  for (const Case& c : cases) {
    Dialogs::chosen = c.chosen;
    Dialogs::chooser_result = c.chooser_result;
    Dialogs::chooser_calls = 0;
    cb_save_jpeg();
    EXPECT_EQ(Dialogs::chooser_calls, 1) << c.what;
    EXPECT_EQ(files(), c.written) << c.what;
    for (const std::string& f : c.written) unlink(f.c_str());
  }
  struct stat st;
  EXPECT_EQ(stat(name400.c_str(), &st), 0);
  EXPECT_EQ(Dialogs::questions, 0);
  EXPECT_EQ(Dialogs::title, "Choose file");
  EXPECT_EQ(Dialogs::filter, " \t*.jpg");
  EXPECT_EQ(Dialogs::suggested, "photo.jpg");
}

TEST_F(JpegExport, TheSuggestedNameTakesTheJpegExtension) {
  const char* cases[][2] = {{"photo.bmp", "photo.jpg"},
                            {"/tmp/a/scan.GIF", "/tmp/a/scan.jpg"},
                            {"notes", "notes"},
                            {"a.tiff", "a.tiff"},
                            {"", ""}};
  for (auto& c : cases) {
    snprintf(openfilename, sizeof openfilename, "%s", c[0]);
    Dialogs::chooser_result = 1;
    cb_save_jpeg();
    EXPECT_EQ(Dialogs::suggested, c[1]) << c[0];
  }
}

TEST_F(JpegExport, AnExistingFileIsReplacedOnlyAfterYes) {
  write_file("old.jpg", Bytes{'o', 'l', 'd'});
  chmod("old.jpg", 0640);
  Dialogs::chosen = "old.jpg";
  Dialogs::choice_answer = 1;  // "No"
  cb_save_jpeg();
  EXPECT_EQ(Dialogs::questions, 1);
  EXPECT_EQ(Dialogs::question, "file exists, overwrite?");
  EXPECT_EQ(Dialogs::first, "Yes");
  EXPECT_EQ(Dialogs::second, "No");
  EXPECT_EQ(read_file("old.jpg"), (Bytes{'o', 'l', 'd'}));

  Dialogs::choice_answer = 0;  // "Yes"
  cb_save_jpeg();
  EXPECT_EQ(Dialogs::questions, 2);
  Bytes now = read_file("old.jpg");
  ASSERT_GT(now.size(), 100u);
  EXPECT_EQ(now[0], 0xFF);
  EXPECT_EQ(now[1], 0xD8);
  struct stat st;
  ASSERT_EQ(stat("old.jpg", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the replaced file's permissions stay
  EXPECT_EQ(files(), std::vector<std::string>{"old.jpg"});
}

TEST_F(JpegExport, TheFileHoldsThePictureAsTheLibraryWroteIt) {
  zoom = 40;
  shiftx = 9;
  shifty = -4;
  image2frame(zoom);
  const ViewState before = ViewState::now();
  picture_widget->clear_damage();
  const Rgba picture = loaded_rgba();

  cb_save_jpeg();

  ASSERT_EQ(files(), std::vector<std::string>{"out.jpg"});
  Rgba decoded = djpeg("out.jpg");

  ASSERT_EQ(decoded.w, 64);
  ASSERT_EQ(decoded.h, 48);
  double sum = 0;
  int worst = 0;
  for (size_t i = 0; i < picture.px.size(); i++) {
    if (i % 4 == 3) continue;
    int d = std::abs(decoded.px[i] - picture.px[i]);
    sum += d;
    worst = std::max(worst, d);
  }
  EXPECT_LT(sum / (64 * 48 * 3), 1.5);
  EXPECT_LE(worst, 8);

  std::string info = sh_out("identify -verbose out.jpg 2>/dev/null");
  EXPECT_NE(info.find("Quality: 92"), std::string::npos) << info;
  EXPECT_NE(info.find("Interlace: None"), std::string::npos);
  EXPECT_NE(info.find("sampling-factor: 2x2,1x1,1x1"), std::string::npos);
  EXPECT_NE(info.find("Geometry: 64x48+0+0"), std::string::npos);

  const ViewState after = ViewState::now();
  EXPECT_EQ(after.width, before.width);
  EXPECT_EQ(after.height, before.height);
  EXPECT_EQ(after.zoom, before.zoom);
  EXPECT_EQ(after.shiftx, before.shiftx);
  EXPECT_EQ(after.shifty, before.shifty);
  EXPECT_TRUE(after.canvas == before.canvas);
  EXPECT_TRUE(after.shown == before.shown);
  EXPECT_EQ(after.shown_image, before.shown_image);
  EXPECT_EQ(after.status, before.status);
  EXPECT_EQ(picture_widget->damage(), 0);
  EXPECT_EQ(err_alloc, rows_after_export());
  EXPECT_EQ(jpeg_busy, 0);
}

TEST_F(JpegExport, ARefusedPictureLeavesNoFileAndTheOldOneIntact) {
  write_file("big.jpg", Bytes{'o', 'l', 'd'});
  Dialogs::chosen = "big.jpg";
  post_picture(65501, 1);
  const ViewState before = ViewState::now();
  testing::internal::CaptureStderr();
  cb_save_jpeg();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Maximum supported image dimension is 65500 pixels"), std::string::npos)
      << err;
  EXPECT_EQ(plat_slept_ms, 1300);
  EXPECT_EQ(read_file("big.jpg"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(files(), std::vector<std::string>{"big.jpg"});
  EXPECT_EQ(status_text(), "error saving jpeg");
  EXPECT_EQ(width, before.width);
  EXPECT_EQ(height, before.height);
  EXPECT_EQ(jpeg_busy, 0);

  // The next export works.
  post_picture(64, 48);
  cb_save_jpeg();
  EXPECT_GT(read_file("big.jpg").size(), 100u);
}

// The picture as cjpeg reads it: the loaded image's levels (noise pictures hold whole levels,
// which the quantiser passes through unchanged on a true-colour display) as a PPM.
Bytes loaded_as_ppm() {
  std::string head = "P6\n" + std::to_string(image_xres) + " " + std::to_string(image_yres) + "\n255\n";
  Bytes ppm(head.begin(), head.end());
  for (size_t i = 0; i < (size_t)image_xres * image_yres; i++)
    for (int c = 0; c < 3; c++) ppm.push_back((unsigned char)std::lround(img_content[4 * i + c] * 255));
  return ppm;
}

// Rows are compressed while later ones are still composed and quantised on band workers. Whatever
// the split (workers that cannot start, or all of it one step after another on the caller), the
// file is the one the steps give in turn; for whole levels it is cjpeg's on the same pixels with
// the same settings, byte for byte.
TEST_F(JpegExport, RowsCompressedAsTheyAreMadeGiveTheBytesOfOneStepAfterAnother) {
  struct Size {
    int w, h;
  } sizes[] = {{1, 1}, {13, 7}, {64, 48}, {517, 371}};
  struct Split {
    const char* what;
    int sequential, failing;
  } splits[] = {{"threads", 0, 0},
                {"the compressor's companion cannot start", 0, 1},
                {"a composer cannot start", 0, 2},
                {"nothing can start", 0, 1000}};
  for (const Size& z : sizes)
    for (bool levels : {false, true}) {
      SCOPED_TRACE(std::to_string(z.w) + "x" + std::to_string(z.h) + (levels ? " levels" : ""));
      post_picture(z.w, z.h, levels);
      is9xline = 1;
      cb_save_jpeg();
      is9xline = 0;
      const Bytes in_turn = read_file("out.jpg");
      ASSERT_GT(in_turn.size(), 100u);
      for (const Split& s : splits) {
        unlink("out.jpg");
        plat_fail_thread_starts = s.failing;
        cb_save_jpeg();
        plat_fail_thread_starts = 0;
        EXPECT_TRUE(read_file("out.jpg") == in_turn) << s.what;
      }
      if (!levels) continue;
      write_file("in.ppm", loaded_as_ppm());
      ASSERT_EQ(sh("cjpeg -quality 92 -baseline -dct float -optimize -smooth 5 -outfile cjpeg.jpg in.ppm"), 0);
      EXPECT_TRUE(read_file("cjpeg.jpg") == in_turn);
      unlink("cjpeg.jpg");
      unlink("in.ppm");
    }
  EXPECT_EQ(files(), std::vector<std::string>{"out.jpg"});
}

// The library refuses the picture as soon as compression starts, while the workers are still
// composing and quantising it into the canvas and buffers that the export then frees.
TEST_F(JpegExport, ARefusalWhileRowsAreStillMadeWaitsForTheWorkers) {
  const ViewState before = ViewState::now();
  post_picture(65501, 40, true);
  testing::internal::CaptureStderr();
  cb_save_jpeg();
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(status_text(), "error saving jpeg");
  EXPECT_TRUE(files().empty());
  EXPECT_EQ(width, before.width);
  EXPECT_EQ(height, before.height);
  EXPECT_EQ(err_alloc, rows_after_export());
}

// A disk that fills up: the export runs in a child process whose files may not grow past 4 kB
// (the signal that would end it ignored, so writes just fail).
TEST_F(JpegExport, AFailedWriteLeavesNoFileAndTheOldOneIntact) {
  write_file("full.jpg", Bytes{'o', 'l', 'd'});
  Dialogs::chosen = "full.jpg";
  post_picture(256, 256, true);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    struct rlimit limit = {4096, 4096};
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    freopen("/dev/null", "w", stderr);
    cb_save_jpeg();
    std::string status = status_text();
    if (write(fds[1], status.data(), status.size()) < 0) _exit(2);
    _exit(0);
  }
  close(fds[1]);
  char buf[256] = {};
  ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  int wstatus = 0;
  waitpid(child, &wstatus, 0);
  ASSERT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0);
  EXPECT_EQ(std::string(buf, n > 0 ? n : 0), "error saving jpeg");
  EXPECT_EQ(read_file("full.jpg"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(files(), std::vector<std::string>{"full.jpg"});
}

TEST_F(JpegExport, AFileThatCannotBeMadeIsReported) {
  Dialogs::chosen = "no/such/folder/out.jpg";
  cb_save_jpeg();
  EXPECT_EQ(status_text(), "error saving jpeg");
  EXPECT_TRUE(files().empty());
}

TEST_F(JpegExport, ErrorRowsThatCannotBeHadAbandonTheExport) {
  const ViewState before = ViewState::now();
  float* rows = err_lines_r;
  fail_err_rows_alloc = 1;
  start_stdout_capture();
  cb_save_jpeg();
  EXPECT_NE(stop_stdout_capture().find("mem error"), std::string::npos);
  EXPECT_TRUE(files().empty());
  EXPECT_EQ(err_lines_r, rows);
  EXPECT_EQ(err_alloc, before.err_alloc);
  EXPECT_TRUE(ViewState::now().canvas == before.canvas);
  EXPECT_EQ(width, before.width);
}

// A picture wider than the screen needs longer error rows than the screen's; afterwards the rows
// are the screen's again, or the canvas's when that is wider, and say how long they are.
TEST_F(JpegExport, ErrorRowsFitThePictureAndThenTheCanvas) {
  post_picture(3000, 20, true);
  cb_save_jpeg();
  EXPECT_GT(read_file("out.jpg").size(), 1000u);
  EXPECT_EQ(err_alloc, rows_after_export());
  headless_viewer(1500, 300);  // a canvas wider than the 1280-pixel test screen
  post_picture(64, 48);
  unlink("out.jpg");
  cb_save_jpeg();
  EXPECT_EQ(err_alloc, 3 * (1500 + 80));
  headless_viewer();
}

// On a 15/16-bit display the quantiser keeps to 32 levels a channel even for the file: a flat
// grey between two of them (128 and 136) is dithered from those two, coarse grain that the JPEG
// keeps in part, where a true-colour display dithers 132 and 133.
TEST_F(JpegExport, A16BitDisplaysLevelsReachTheFile) {
  ASSERT_EQ(resize_loaded_image(64, 48), 0);
  for (size_t i = 0; i < 64 * 48; i++) {
    float* p = img_content + 4 * i;
    p[0] = p[1] = p[2] = 132.5f / 256;
    p[3] = 1.0f;
  }
  image_post(64, 48, 1);
  auto spread = [&](const char* name) {  // mean and standard deviation of the samples
    Rgba d = djpeg(name);
    double sum = 0, sum2 = 0;
    int n = 0;
    for (size_t i = 0; i < d.px.size(); i++)
      if (i % 4 != 3) sum += d.px[i], sum2 += (double)d.px[i] * d.px[i], n++;
    double mean = sum / n;
    return std::make_pair(mean, std::sqrt(sum2 / n - mean * mean));
  };
  Dialogs::chosen = "true_colour.jpg";
  cb_save_jpeg();
  col_high = 1;
  Dialogs::chosen = "high_colour.jpg";
  cb_save_jpeg();
  auto true_colour = spread("true_colour.jpg"), high_colour = spread("high_colour.jpg");
  EXPECT_NEAR(true_colour.first, 132.5, 1.0);
  EXPECT_NEAR(high_colour.first, 132.5, 1.5);
  EXPECT_LT(true_colour.second, 1.0);
  EXPECT_GT(high_colour.second, 2.0);
}

TEST_F(JpegExport, NothingRunsWhileAJpegOperationOrTheOpenerDoes) {
  jpeg_busy = 1;
  cb_save_jpeg();
  jpeg_busy = 0;
  set_open_busy(1);
  cb_save_jpeg();
  set_open_busy(0);
  EXPECT_EQ(Dialogs::chooser_calls, 0);
  EXPECT_TRUE(files().empty());
}

TEST_F(JpegExport, TheArchivePlaceholderWrites7373) {
  cb_save_tiff_archive();
  EXPECT_EQ(read_file("test.tif"), (Bytes{'7', '3', '7', '3'}));
  unlink("test.tif");
  mkdir("test.tif", 0755);  // cannot be created as a file: nothing happens
  cb_save_tiff_archive();
  struct stat st;
  ASSERT_EQ(stat("test.tif", &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}
