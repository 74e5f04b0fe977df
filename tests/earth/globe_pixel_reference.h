// The globe's pixel colour computed the plain way, step by step as the renderer's definition
// reads, for one pixel at a time: the heights by three calls of the elevation cascade, the
// position's trigonometry per pixel, the Sun's direction from the render state. The renderer's
// faster road must give the same picture.
#pragma once

// The RGBA pixel (x, y) of an xres x yres globe for the current view and render state.
void globe_pixel_reference(int x, int y, float* out);
