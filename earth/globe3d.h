// The buffers and camera of a planned three-dimensional globe. Only these exist; the drawing
// functions are empty.
#pragma once
#include <cstdint>

// State of the planned globe. D holds X x Y doubles and A X x Y 4-byte elements; alloc_size is
// their element count, -1 while none are allocated. The eye sits at (eye_x, eye_y, eye_z) metres
// (Earth-fixed, as earth/wgs84.h) and looks along (look_x, look_y, look_z).
namespace globe3d {
extern double* D;
extern int32_t* A;
extern int alloc_size;
extern int X, Y;
extern double eye_dist;
extern double eye_x, eye_y, eye_z;
extern double look_x, look_y, look_z;
}  // namespace globe3d

// Allocates the buffers for an X x Y picture (freeing earlier ones) and sets the camera 30 km
// above the equator at 0 E, looking north. Returns 0; 1 when a side is not positive or X x Y is
// above the viewer's pixel cap (pixel_count_ok, view/canvas.h; earlier buffers stay) or memory is
// short (then none remain).
int init3d(int X, int Y);
// Frees the buffers; harmless when there are none.
void close3d();

void tesselation();
void draw_globe();
void load_globe3d();
void build_ray(int x, int y, double* dx, double* dy, double* dz);
