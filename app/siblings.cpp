#include "app/siblings.h"

#include <FL/Fl.H>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/open_file.h"
#include "app/sibling_list.h"
#include "platform/folders.h"
#include "view/canvas.h"
#include "view/screen.h"

int do_navigate = 0;

int get_dir_name(const char* path, char* dir, size_t size) {
  const char* slash = strrchr(path, '/');
  std::string folder(path, slash ? (size_t)(slash - path + 1) : 0);
  std::string cwd;
  // A folder relative to a current folder that is gone stays relative; it will not be found.
  if (folder.empty() || folder[0] != '/')
    folder = plat_getcwd(&cwd) ? cwd + (cwd.back() == '/' ? "" : "/") + folder
                               : (folder.empty() ? "./" : folder);
  if (size == 0) return -1;
  dir[0] = 0;
  if (folder.size() >= size) return -1;
  memcpy(dir, folder.c_str(), folder.size() + 1);
  return 0;
}

namespace {

void refuse_long_name(size_t length) {
  char text[96];
  snprintf(text, sizeof text, "file name too long (%zu characters): not opened", length);
  printf("%s\n", text);
  set_status(text);
}

// The name of the file after `own` (before it when !next) in the folder just listed, "" when
// `own` is not there; at an end, `own` itself.
std::string neighbour(const char* own, bool next) {
  int p = -1;
  for (int i = 0; i < dir_n; i++)
    if (strcmp(get_dir_entry(i), own) == 0) p = i;
  if (p < 0) return "";
  int t = next ? p + 1 : p - 1;
  if (t < 0) t = 0;
  if (t > dir_n - 1) t = dir_n - 1;
  return get_dir_entry(t);
}

}  // namespace

void navigate_file(bool next) {
  // A reader that lets the toolkit run owns openfilename until it is done.
  if (do_open_busy()) return;
  show_wait_cursor(true);
  Fl::check();

  char dir[sizeof openfilename];
  if (get_dir_name(openfilename, dir, sizeof dir) != 0) {
    refuse_long_name(strlen(openfilename));
    show_wait_cursor(false);
    return;
  }
  const char* slash = strrchr(openfilename, '/');
  const std::string own = slash ? slash + 1 : openfilename;

  free_dir_list();
  plat_chdir(dir);
  bool short_of_memory = false;
  plat_list_files(dir, [&](const char* name) {
    if (add_dir_entry(name) == 0) return 0;
    short_of_memory = true;
    return 1;
  });
  if (short_of_memory) {
    // A partial list would step to the wrong file.
    free_dir_list();
    set_status("mem err");
    show_wait_cursor(false);
    return;
  }
  sort_dir_list();
  const std::string target = neighbour(own.c_str(), next);
  free_dir_list();

  const size_t length = strlen(dir) + target.size();
  if (length >= sizeof openfilename) {
    refuse_long_name(length);
    show_wait_cursor(false);
    return;
  }
  snprintf(openfilename, sizeof openfilename, "%s%s", dir, target.c_str());
  shiftx = shifty = 0;
  do_open(0);
  show_wait_cursor(false);
  Fl::flush();
}

void cb_prev(Fl_Widget*, void*) {
  if (do_navigate) return;
  do_navigate = 1;
  navigate_file(false);
  do_navigate = 0;
}

void cb_next(Fl_Widget*, void*) {
  if (do_navigate) return;
  do_navigate = 1;
  navigate_file(true);
  do_navigate = 0;
}
