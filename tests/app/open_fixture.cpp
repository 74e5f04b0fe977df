#include "open_fixture.h"

#include <FL/Fl_Choice.H>
#include <FL/Fl_Text_Buffer.H>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <utility>

#include "app/window.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/screen.h"

std::vector<std::string> OpenTest::ran;
std::function<int(const std::string&)> OpenTest::result;
std::function<void(const std::string&)> OpenTest::during_read;
std::vector<gif_call> OpenTest::gif_calls;
int OpenTest::gif_frames = 1, OpenTest::gif_failing_decode = 0;

namespace {

constexpr int MAX_ROWS = 32;

template <int I>
int record(int) {
  std::string row = open_table[I].name;
  OpenTest::ran.push_back(row);
  if (OpenTest::during_read) OpenTest::during_read(row);
  return OpenTest::result ? OpenTest::result(row) : 0;
}

int record_gif(int frame, int fit, int reset) {
  OpenTest::gif_calls.push_back({frame, fit, reset});
  if (reset) {
    OpenTest::ran.push_back("gif");
    if (OpenTest::during_read) OpenTest::during_read("gif");
    return 0;
  }
  if (frame == -1) return OpenTest::gif_frames;
  int decodes = 0;
  for (const gif_call& c : OpenTest::gif_calls)
    if (c.frame == 1 && !c.reset) decodes++;
  return decodes == OpenTest::gif_failing_decode ? 1 : 0;
}

template <int... I>
void install_recorders(std::integer_sequence<int, I...>) {
  int (*recorders[])(int) = {record<I>...};
  for (int i = 0; i < open_table_rows; i++) {
    if (open_table[i].read) open_table[i].read = recorders[i];
    if (open_table[i].frames) open_table[i].frames = record_gif;
  }
}

}  // namespace

void OpenTest::SetUp() {
  headless_viewer();
  ASSERT_LE(open_table_rows, MAX_ROWS);
  saved_.assign(open_table, open_table + open_table_rows);
  install_recorders(std::make_integer_sequence<int, MAX_ROWS>());
  ran.clear();
  result = nullptr;
  during_read = nullptr;
  gif_calls.clear();
  gif_frames = 1;
  gif_failing_decode = 0;
  choice_empty = 1, choice_image = 3, choice_htm = 4, choice_hex = 2, choice_vglobe = 0;
  choice_pdb = choice_srtm3 = choice_sdf = choice_stl = 3;
  n_img = 1;
  current_subimage = 0;
  openfilename[0] = 0;
  set_title("sun calculator");

  tmp_ = std::make_unique<TempDir>("suncalc-open-");
  ASSERT_FALSE(tmp_->path.empty());
  dir_ = tmp_->path;
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  old_cwd_ = cwd;
  ASSERT_EQ(chdir(dir_.c_str()), 0);
}

void OpenTest::TearDown() {
  for (int i = 0; i < (int)saved_.size(); i++) open_table[i] = saved_[i];
  result = nullptr;
  during_read = nullptr;
  // Later tests of the same program find the window as it was built.
  set_title("sun calculator");
  openfilename[0] = 0;
  if (!old_cwd_.empty() && chdir(old_cwd_.c_str()) != 0) ADD_FAILURE() << "chdir back";
  if (tmp_ && !tmp_->remove()) ADD_FAILURE() << "cleaning " << dir_;
  tmp_.reset();
}

void OpenTest::write(const std::string& name, const std::string& bytes) {
  std::ofstream f(name, std::ios::binary);
  f.write(bytes.data(), (std::streamsize)bytes.size());
  ASSERT_TRUE(f.good()) << name;
}

void OpenTest::open(const std::string& name) {
  ASSERT_LT(name.size(), sizeof openfilename);
  memcpy(openfilename, name.c_str(), name.size() + 1);
  do_open(1);
}

std::string OpenTest::title() const { return window && window->label() ? window->label() : ""; }

std::string OpenTest::status() const { return status_text(); }

std::vector<std::string> choice_items() {
  std::vector<std::string> items;
  const Fl_Menu_Item* m = choice->menu();
  for (int i = 0; m && m[i].label(); i++) items.push_back(m[i].label());
  return items;
}

std::string choice_selected() {
  const Fl_Menu_Item* m = choice->mvalue();
  return m && m->label() ? m->label() : "";
}
