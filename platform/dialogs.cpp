#include "platform/dialogs.h"

#include <FL/Fl_Color_Chooser.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>

#include <cstdio>
#include <cstring>

void (*plat_message_sink)(const char* text) = nullptr;
int (*plat_chooser_script)(const char* title, const char* filter, char* name, int size) = nullptr;
int (*plat_save_chooser_script)(const char* title, const char* filter, const char* suggested,
                                char* name, int size) = nullptr;
int (*plat_choice_script)(const char* question, const char* first, const char* second) = nullptr;
int (*plat_color_script)(const char* title, double* r, double* g, double* b, int mode) = nullptr;

void plat_message(const char* text) {
  if (plat_message_sink) {
    plat_message_sink(text);
    return;
  }
  fl_message("%s", text);
}

int plat_choose_file(const char* title, const char* filter, char* name, int size) {
  if (plat_chooser_script) return plat_chooser_script(title, filter, name, size);
  Fl_Native_File_Chooser chooser;
  chooser.type(Fl_Native_File_Chooser::BROWSE_FILE);
  chooser.title(title);
  chooser.filter(filter);
  int r = chooser.show();
  if (r == 0) {
    const char* f = chooser.filename();
    snprintf(name, size, "%s", f ? f : "");
  }
  return r;
}

int plat_choose_save_file(const char* title, const char* filter, const char* suggested, char* name,
                          int size) {
  if (plat_save_chooser_script) return plat_save_chooser_script(title, filter, suggested, name, size);
  Fl_Native_File_Chooser chooser;
  chooser.type(Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
  chooser.title(title);
  chooser.filter(filter);
  chooser.preset_file(suggested);
  int r = chooser.show();
  if (r == 0) {
    const char* f = chooser.filename();
    snprintf(name, size, "%s", f ? f : "");
  }
  return r;
}

int plat_choice(const char* question, const char* first, const char* second) {
  if (plat_choice_script) return plat_choice_script(question, first, second);
  return fl_choice("%s", first, second, nullptr, question) == 1 ? 1 : 0;
}

int plat_color_chooser(const char* title, double* r, double* g, double* b, int mode) {
  if (plat_color_script) return plat_color_script(title, r, g, b, mode);
  return fl_color_chooser(title, *r, *g, *b, mode);
}
