// Opening a file: the whole file into the file buffer, then the reader its extension names.
#pragma once
#include "app/current_file.h"
#include "view/file_endings.h"

class Fl_Widget;

// Titles the window with `name`, followed by " (k of n)" for the frame shown when the GIF has
// more than one.
void title_gif_frame(const char* name);

// What the opener makes of a row's reader and its result.
enum open_action {
  OPEN_IMAGE,           // the reader's result is not used; image kind with one frame
  OPEN_IMAGE_OR_FAIL,   // 0: image kind with one frame; otherwise the failure path
  OPEN_IMAGE_OR_ERROR,  // non-zero: the error canvas with no message; image kind either way
  OPEN_GIF_FRAMES,      // the GIF sequence over the row's frame reader
  OPEN_SCENE,           // 0: the row's set_kind; otherwise the reader has put its reason on the
                        // status line, and the picture, the title, the kind, the file
                        // buffer, openfilename and the extension flags stay
  OPEN_NOTHING,         // no reader; the kind stays
  OPEN_HTML,            // no reader; the text view shows the buffer
};

// One row of the dispatch table. The first row whose flag the name sets wins; a name no row
// takes is shown as a hex dump. Tests may replace `read` and `frames` to see which row ran.
struct open_entry {
  const char* name;            // what the row opens ("jpeg", "gif", ...)
  char* flag;                  // its extension flag
  const FileEndings* endings;  // the names it takes
  open_action action;
  int (*read)(int fit);  // the reader, for the rows that have one (not the GIF row)
  int (*frames)(int frame, int fit, int reset);  // the GIF row's reader
  void (*set_kind)();                            // the kind an OPEN_SCENE row sets
};
extern open_entry open_table[];
extern const int open_table_rows;

// Does nothing: zip files are recognised by name only, and their row reads nothing. No command
// calls it.
void load_zip();

// Reads the RGBE picture named by openfilename into the loaded image (formats/hdr.h). Nothing
// calls it: no row takes ".hdr" names, so such files show as a hex dump.
void load_hdr();

// Opens openfilename; fit is passed to the readers that choose a fitting zoom step. While one
// open is running (a reader lets the toolkit handle events part-way), further opens are ignored
// and the running open's name is put back.
void do_open(int fit);

// The empty view, where an open that fails leaves the window: background canvas, the empty
// kind's items (the kind itself stays), title "Preview", status "Ready".
void cb_close(Fl_Widget* w = nullptr, void* data = nullptr);

// The kind shown before the menu's opener put the hex kind in force (-1: none): an OPEN_SCENE row
// whose file cannot be read shows it again. The next open resets it.
extern int open_kind_before;

// Test hook: when set, the allocation of the file buffer fails.
extern int fail_bin_alloc;

// Largest file the opener reads; its length must fit the buffer's int count.
constexpr long long MAX_OPEN_BYTES = 2147483647LL;
