// The posting of a finished picture and the redraw of the current view, over the shared stores
// (view/stores.h).
#pragma once
#include <functional>

#include "view/stores.h"

// Counts the pictures posted (image_post, and so bluescreen): a reader that draws onto what it
// showed before (GIF frames) checks that nothing else was posted in between.
extern long image_posts;

void image_post(int w, int h, char recentre);
void image_post_c(int w, int h, int recentre);
void upd_rgb(int new_size);

// upd_rgb(0) for a posted picture whose rows are still to be made: make(y0, y1) writes rows
// y0 .. y1-1 of the loaded image, pieces of piece_rows rows handed out to `workers` band
// workers. Where each canvas row shows the picture's row of the same number (the picture fills
// the canvas at 1:1), the rows are composed as they are made and quantised in order as they come,
// all at once; otherwise the picture is made first and redrawn after. The canvas is the same
// either way.
void upd_rgb_as_made(int piece_rows, int workers, const std::function<void(int, int)>& make);
void do_draw();
void bluescreen(const char* message);
void test_image(int mode);

// Wraps uimage in a new fl_temp for the picture widget and deletes the old one: whoever
// reallocates uimage calls this (directly or through upd_rgb(1)) before the widget draws again.
void replace_shown_image();

// Reallocates fimage and uimage for a new canvas size. Returns 0, or 1 when either allocation
// failed; then both are null, width and height are 0 and nothing will draw until a later resize
// succeeds. The shown image is replaced before the old uimage is freed.
int realloc_canvas(int w, int h);
