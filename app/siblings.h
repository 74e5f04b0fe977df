// Stepping from the current file to the previous or next file of its folder, in natural order
// (app/sibling_list.h), and opening it. Nothing in the window calls these.
#pragma once
#include <cstddef>

class Fl_Widget;

// Set while a step runs; a step asked for meanwhile is ignored.
extern int do_navigate;

// Step to the previous or the next file, unless a step is running.
void cb_prev(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_next(Fl_Widget* w = nullptr, void* data = nullptr);

// The step: lists the folder of openfilename (files only, no folders), finds the file among
// them and opens the one before or after it; at either end the same file is opened again, and
// a file no longer in its folder leads to the folder itself, which does not open. Afterwards the
// process's current folder is the file's folder and openfilename an absolute path. A path that
// would not fit openfilename is refused with a message, and nothing is opened.
void navigate_file(bool next);

// The absolute folder of `path`, ending in "/": the part up to its last "/" ("." when it has
// none), put after the current folder when it is relative. Returns 0, or -1 when it does not fit
// `size` bytes (dir is then empty).
int get_dir_name(const char* path, char* dir, size_t size);
