#include "view/pan.h"

#include <cstdint>

#include "view/canvas.h"
#include "view/zoom.h"

// Scales a pan offset by new/old shown size; a picture that was shown 0 pixels wide has no
// position to carry over, so it starts centred.
static int rescale(int shift, int64_t now, int64_t before) {
  if (before == 0) return 0;
  return (int)((int64_t)shift * now / before);
}

static int within_overflow(int shift, int64_t shown, int canvas) {
  int64_t half = (shown - canvas) / 2;
  if (half > 0) {
    if (shift > half) return (int)half;
    if (shift < -half) return (int)-half;
  }
  return shift;
}

void zoom_to_step(int to, bool recentre_fitting) {
  int64_t ow = zoom_shown(image_xres, zoom), oh = zoom_shown(image_yres, zoom);
  zoom = to;
  int64_t nw = zoom_shown(image_xres, zoom), nh = zoom_shown(image_yres, zoom);
  if (recentre_fitting) {
    if (nw <= width) shiftx = 0;
    if (nh <= height) shifty = 0;
  }
  shiftx = within_overflow(rescale(shiftx, nw, ow), nw, width);
  shifty = within_overflow(rescale(shifty, nh, oh), nh, height);
}

int limit_pan(int shift, int image_side, int canvas_side) {
  const zoom_step& z = zooms[zoom];
  int64_t m = (canvas_side - (int64_t)image_side * z.num / z.den) / 2;
  if (m >= 0) return 0;
  if (shift < m - 10) return (int)(m - 10);
  if (shift > 10 - m) return (int)(10 - m);
  return shift;
}
