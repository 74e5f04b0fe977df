// What every step of a frame reads beside the scene store: the camera and render settings, the
// rotation, the frame geometry, the frame buffers that the rasteriser fills and the lighting
// reads, and the band count of the worker steps. The frame driver (frame.h), the navigation and
// the readers set it.
#pragma once
#include <cstdint>

namespace scene3d {

// Camera and render settings. A point at depth d is seen at distance d - camera_pos; the frame's
// projection factor is new_magn / distance, in cells of the 2 x 2 supersampled frame. dispX,
// dispY pan the picture centre in cells.
extern float magn, new_magn, camera_pos, ClipDist;
extern float fog_start, fog_delta, fog_offset, fog_decay, ViewRange;
extern int aa_mode, have_persp, fog_method, stereo_mode, Height3D;
extern float stereo_angle;
extern int show_surface, show_triangles;
extern int dispX, dispY;

// The zoom range: magn stays within these, so projected sizes stay far inside int.
constexpr float kMagnMin = 2.7f / 1000, kMagnMax = 2.7f * 1000;

// Rotation: degrees, radians and the sines and cosines that the rotation workers read.
extern float rot_x, rot_y, rot_z;
extern float alpha, beta, gamm;
extern float sa, ca, sb, cb, sg, cg;

// Frame geometry. ClientX x ClientY is the frame size (the canvas size, set by the scene entry
// and the resize); screen_x x screen_y the area copied into the loaded image. A frame of W x H
// pixels leaves use_x, use_y = W, H, xcenter, ycenter = W / 2, H / 2 (the picture centre before
// panning, in pixels), full_x = 2 W and Axres x Ayres = 2 W x 2 H cells.
extern int ClientX, ClientY, screen_x, screen_y, ClientXzoom, ClientYzoom, ClientX24;
extern int use_x, use_y, full_x, xcenter, ycenter, use_x24, use_x24_3, Axres, Ayres;

// The frame is drawn, lit and copied out in chunks of this many cell rows from the top (a whole
// number of pixel rows), handed to the cores as they come free: small enough that a busy part of
// the picture is shared out, large enough that most objects fall within one or two.
constexpr int kChunkRows = 32;

// Frame buffers, kept from frame to frame. Abuffer: object id per cell, 2W x 2H, rows first (0
// background, k scene object k - 1, -k the cut face of sphere k - 1); Dbuffer: the depth per
// cell. gimage: the lit image, H + 2 rows of use_x24_3 unsigned 16-bit values, lit row y in row
// y + 2 (4080 full intensity). A2buffer and tbuffer are the second halves of Abuffer and Dbuffer.
// allocated: the cell count of the blocks (-1 before the first frame); gimage_values: the values
// gimage holds.
extern int* Abuffer;
extern int* A2buffer;
extern float* Dbuffer;
extern float* tbuffer;
extern uint16_t* gimage;
extern int64_t allocated, allocated24, gimage_values;

// Test and benchmark seams: a band count for every worker step (0: the counts the steps choose),
// and the number of frames UpdatePaint has painted.
extern int force_bands;
extern long frames_painted;

// The band count of a worker step that would choose `part_count` by itself: force_bands when
// set, every core for the steps that split four ways, else part_count.
int bands_for(int part_count);
// The bands every step of a frame hands its chunks to: force_bands when set, else every core.
inline int frame_bands() { return bands_for(4); }

// sa .. cg and alpha, beta, gamm from the rotation in degrees rot_x, rot_y, rot_z.
void UpdateAngles();

// The state a frame of the current scene is drawn from beyond the store and the colour map:
// kept by the shared opener while a new scene is read, put back when that fails.
// One list of its fields serves the struct, the copy and the put-back, so a field cannot be left
// out of one of them.
#define VIEW_STATE_FIELDS(X)                                                                  \
  X(magn) X(camera_pos) X(ClipDist) X(fog_start) X(fog_delta) X(fog_offset) X(fog_decay)      \
  X(show_surface) X(show_triangles) X(dispX) X(dispY)                                         \
  X(rot_x) X(rot_y) X(rot_z) X(alpha) X(beta) X(gamm) X(sa) X(ca) X(sb) X(cb) X(sg) X(cg)
struct ViewState {
#define X(name) decltype(::scene3d::name) name;
  VIEW_STATE_FIELDS(X)
#undef X
};
ViewState view_state();
void set_view_state(const ViewState& s);

}  // namespace scene3d
