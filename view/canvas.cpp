#include "view/canvas.h"

#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Widget.H>

#include <cstdio>
#include <cstdlib>

#include "platform/bands.h"
#include "view/compose.h"
#include "view/font.h"
#include "view/hex_view.h"
#include "view/quantise.h"
#include "view/screen.h"
#include "view/text_view.h"
#include "view/zoom.h"

// The shown image is replaced before the bytes it wraps are freed, so the widget never draws
// from a freed block.
void replace_shown_image() {
  Fl_RGB_Image* old = fl_temp;
  fl_temp = new Fl_RGB_Image(uimage, width, height, 3, 0);
  if (picture_widget) picture_widget->image(fl_temp);
  delete old;
}

int realloc_canvas(int w, int h) {
  float* f = (float*)malloc((size_t)w * h * 16);
  unsigned char* u = (unsigned char*)malloc((size_t)w * h * 3);
  unsigned char* old_u = uimage;
  free(fimage);
  int failed = !f || !u;
  if (failed) {
    free(f);
    free(u);
    f = nullptr;
    u = nullptr;
    w = h = 0;
  }
  fimage = f;
  uimage = u;
  width = w;
  height = h;
  replace_shown_image();
  free(old_u);
  return failed;
}

long image_posts = 0;

void image_post(int w, int h, char recentre) {
  image_posts++;
  contentview = 1;
  image_xres = w;
  image_yres = h;
  if (recentre) {
    zoom = find_best_zoom(w, h, width, height);
    shiftx = shifty = 0;
  }
  set_status("");
}

void image_post_c(int w, int h, int recentre) { image_post(w, h, (char)(recentre & 0xff)); }

void do_draw() {
  if (view_is_hex()) {
    do_hexview();
  } else if (is_content_html() || is_content_text()) {
    do_textview();
  } else if (contentview == 0) {
    paint_gradient();
    quant_display(uimage, 0);
  } else if (contentview == 1) {
    // A reader that failed after sizing leaves no picture to compose: show the background.
    if (loaded_image_valid())
      image2frame(zoom);
    else
      paint_gradient();
    quant_display(uimage, 0);
  } else if (contentview == 3) {
    if (get_view_val() == 2) do_hexview();
  }
}

void upd_rgb(int new_size) {
  do_draw();
  if (new_size)
    replace_shown_image();
  else if (fl_temp)
    fl_temp->uncache();
  if (picture_widget) picture_widget->redraw();
}

void upd_rgb_as_made(int piece_rows, int workers, const std::function<void(int, int)>& make) {
  const int rows = image_yres, piece = piece_rows < 1 ? 1 : piece_rows;
  if (workers < 1) workers = 1;
  const bool follow = contentview == 1 && !view_is_hex() && !view_is_text() && uimage &&
                      image2frame_begin(zoom) && frame_rows_are_image_rows();
  if (!follow) {
    run_pieces(rows, piece, workers, make);
    upd_rgb(0);
    return;
  }
  RowPieces made(rows, piece, [&](int y0, int y1) {
    make(y0, y1);
    image2frame_rows(y0, y1);
  });
  run_bands(workers + 1, [&](int k) {
    if (k == workers)
      quant_display_following(uimage, 0, [&](int y) { made.wait(y); });
    else
      made.work();
  });
  if (fl_temp) fl_temp->uncache();
  if (picture_widget) picture_widget->redraw();
}

void bluescreen(const char* message) {
  int W = width > 800 ? width : 800, H = height > 600 ? height : 600;
  if (resize_loaded_image(W, H) != 0) {
    printf("memory error (blue)\n");
    return;
  }
  fill_pixels(img_content, (int64_t)W * H, 0.3f, 0.3f, 0.4f, 1.0f);
  image_post(W, H, 1);
  const char* word = "Error";
  for (int k = 0; word[k]; k++) print_char_img(1 + k, 1, (unsigned char)word[k]);
  for (int i = 0; message && message[i]; i++) print_char_img(1 + i, 3, (unsigned char)message[i]);
  do_draw();
  if (fl_temp) fl_temp->uncache();
  if (picture_widget) picture_widget->redraw();
}

void test_image(int mode) {
  if (resize_loaded_image(width, height) != 0) {
    printf("memory error (init img)\n");
    return;
  }
  if (mode == -1) {
    paint_gradient();
    return;
  }
  if (mode != 0 && mode != 1) return;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      double along = mode == 0 ? (double)y / height : (double)x / width;
      float f = (float)(mode == 0 ? (double)x / width : (double)y / height);
      float* p = img_content + 4L * (y * width + x);
      p[0] = p[1] = p[2] = 0;
      p[3] = 1;
      if (along < 0.33)
        p[2] = f;
      else if (along > 0.66)
        p[0] = f;
      else
        p[1] = f;
    }
}
