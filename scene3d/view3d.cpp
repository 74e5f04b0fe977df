// Placeholder until the 3D renderer lands.
#include "scene3d/view3d.h"

#include "view/canvas.h"

void old_resize(int, int) { upd_rgb(1); }

void srtm3_zoom_1_1() {}
void srtm3_zoom_in() {}
void srtm3_zoom_out() {}
void srtm3_left() {}
void srtm3_right() {}
void srtm3_up() {}
void srtm3_down() {}
void srtm3_rotate(int, int) {}
