#include "app/http_dialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>

#include <cstring>

#include "app/http_fetch.h"
#include "view/screen.h"

char http_address[256];
Fl_Window* http_window = nullptr;
Fl_Input* http_inp = nullptr;
Fl_Return_Button* close_but = nullptr;

static int do_cancel = 0;

// The window goes once the toolkit is back in its loop, not under the callback that asked.
static void close_dialog() {
  if (!http_window) return;
  http_window->hide();
  Fl::delete_widget(http_window);
  http_window = nullptr;
  http_inp = nullptr;
  close_but = nullptr;
}

void close_http_cb(Fl_Widget*, void*) {
  const char* typed = http_inp ? http_inp->value() : "";
  if (strlen(typed) < sizeof http_address) strcpy(http_address, typed);
  close_dialog();
}

void cancel_http_cb(Fl_Widget*, void*) {
  do_cancel = 1;
  close_dialog();
}

void handle_inp_cb(Fl_Widget*, void*) {}

void cb_open_http() {
  http_address[0] = 0;
  http_window = new Fl_Window(640, 320, "http address");
  http_window->set_modal();
  http_inp = new Fl_Input(80, 100, 300, 25, "http://");
  http_inp->value(http_address);
  http_inp->callback(handle_inp_cb);
  close_but = new Fl_Return_Button(50, 270, 110, 25, "Ok");
  close_but->callback(close_http_cb);
  Fl_Button* cancel = new Fl_Button(200, 270, 110, 25, "Cancel");
  cancel->callback(cancel_http_cb);
  http_window->end();
  do_cancel = 0;
  http_window->show();
  while (http_window && http_window->shown()) Fl::wait();
  // Closed through its frame: hidden, but still there.
  close_dialog();
  if (do_cancel) return;

  ContentState before = save_content();
  set_content_text();
  int count = 0;
  char path[] = ".";
  if (OpenURL(http_address, path, nullptr, &count) != 0) {
    restore_content(before);
    return;
  }
  set_content_html();
}
