// Fakes the toolkit's event state and hands one event to the picture widget, as the toolkit
// would, without a display.
#pragma once
#include <FL/Fl.H>

#include <cstdio>
#include <cstdlib>

#include <FL/Fl_Text_Buffer.H>

#include "support/headless.h"
#include "app/picture_box.h"
#include "app/window.h"

// Sends `event` with the pointer at canvas position (x, y); `button` is FL_LEFT_MOUSE etc. for
// pushes (0 keeps the last), `state` the modifier keys.
inline int send_event(int event, int x, int y, int button = 0, int state = 0) {
  Fl::e_x = x + 104;
  Fl::e_y = y + 24;
  Fl::e_state = state;
  if (button) Fl::e_keysym = FL_Button + button;
  return p_image_box->handle(event);
}

inline int push(int x, int y, int button) { return send_event(FL_PUSH, x, y, button); }
inline int drag(int x, int y, int state = 0) { return send_event(FL_DRAG, x, y, 0, state); }
inline int release(int x, int y) { return send_event(FL_RELEASE, x, y); }
inline int move(int x, int y) { return send_event(FL_MOVE, x, y); }

