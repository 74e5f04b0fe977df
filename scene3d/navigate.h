// Navigation of the 3D view: turning by a drag or in steps, zooming, and following a resize of
// the canvas; each renders one new frame into the loaded image and shows it.
#pragma once

namespace scene3d {

// Turns by a pointer movement of (dx, dy) canvas pixels: rot_x += 0.15 dy, rot_z -= 0.15 dx.
void srtm3_rotate(int dx, int dy);
// rot_z += 5, rot_z -= 5, rot_x += 5, rot_x -= 5 degrees.
void srtm3_left();
void srtm3_right();
void srtm3_up();
void srtm3_down();
// magn x 1.05, x 0.95 (within kMagnMin .. kMagnMax), and magn = 1.
void srtm3_zoom_in();
void srtm3_zoom_out();
void srtm3_zoom_1_1();

// Follows a new canvas size w x h (the canvas itself is already resized): nothing for a size of 0
// or the size already recorded; otherwise records it, renders and shows the frame. When memory
// is short the shown picture stays and the status line says so.
void old_resize(int w, int h);

}  // namespace scene3d
