// The 3D view driver.
#pragma once

// Follows a change of the canvas size with a new frame of the 3D scene.
void old_resize(int w, int h);

// Navigation of the 3D view from the panel and the mouse: zoom, pan and rotation by a pointer
// movement of (dx, dy) pixels.
void srtm3_zoom_1_1();
void srtm3_zoom_in();
void srtm3_zoom_out();
void srtm3_left();
void srtm3_right();
void srtm3_up();
void srtm3_down();
void srtm3_rotate(int dx, int dy);
