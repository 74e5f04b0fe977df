#include "scene3d/frame_state.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace scene3d {

float magn = 2.5f, new_magn = 0, camera_pos = -80, ClipDist = 30;
float fog_start = 20, fog_delta = 10, fog_offset = 60, fog_decay = 0.0001f, ViewRange = 2000;
int aa_mode = 1, have_persp = 1, fog_method = 1, stereo_mode = 0, Height3D = 0;
float stereo_angle = 0.8f;
int show_surface = 1, show_triangles = 0;
int dispX = 0, dispY = 0;

float rot_x = 0, rot_y = 0, rot_z = 0;
float alpha = 0, beta = 0, gamm = 0;
float sa = 0, ca = 1, sb = 0, cb = 1, sg = 0, cg = 1;

int ClientX = 0, ClientY = 0, screen_x = 0, screen_y = 0, ClientXzoom = 0, ClientYzoom = 0,
    ClientX24 = 0;
int use_x = 0, use_y = 0, full_x = 0, xcenter = 0, ycenter = 0, use_x24 = 0, use_x24_3 = 0,
    Axres = 0, Ayres = 0;

int* Abuffer = nullptr;
int* A2buffer = nullptr;
float* Dbuffer = nullptr;
float* tbuffer = nullptr;
uint16_t* gimage = nullptr;
int64_t allocated = -1, allocated24 = 0, gimage_values = 0;

int force_bands = 0;
long frames_painted = 0;

int bands_for(int part_count) {
  if (force_bands > 0) return force_bands;
  // A frame is the same for any split, so the big splits use every core there is.
  static const int cores = (int)std::max(1u, std::thread::hardware_concurrency());
  return part_count >= 4 && cores > part_count ? cores : part_count;
}

void UpdateAngles() {
  alpha = rot_x * 0.017453292f;
  beta = rot_y * 0.017453292f;
  gamm = rot_z * 0.017453292f;
  sa = (float)std::sin((double)alpha), ca = (float)std::cos((double)alpha);
  sb = (float)std::sin((double)beta), cb = (float)std::cos((double)beta);
  sg = (float)std::sin((double)gamm), cg = (float)std::cos((double)gamm);
}

ViewState view_state() {
  ViewState s;
#define X(name) s.name = name;
  VIEW_STATE_FIELDS(X)
#undef X
  return s;
}

void set_view_state(const ViewState& s) {
#define X(name) name = s.name;
  VIEW_STATE_FIELDS(X)
#undef X
}

}  // namespace scene3d
