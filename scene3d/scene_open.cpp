#include "scene3d/scene_open.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "scene3d/abuffer.h"
#include "scene3d/colour_map.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/elements.h"
#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/radii.h"
#include "scene3d/scene.h"
#include "scene3d/shade.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace scene3d {

namespace {

std::string failure;
bool was_terrain = false;

// The settings the readers change beside the store, the colour map, the view and the radii: one
// list serves the keeping and the putting back.
#define KEPT_SETTINGS(X)                                                                      \
  X(colSelection) X(RadMagn) X(RadStick) X(RadBallScale) X(UserRadius) X(r_type)              \
  X(zmat_nx) X(zmat_ny) X(zmat_varyx) X(isXYZ2d) X(isXYZ2d_mat) X(zmat_delta) X(zmat_delta_y) \
  X(ambientterm) X(UseBall)

// Everything a frame of the shown scene is drawn from, kept while a new scene is read.
struct Kept {
  StoreState store;
  ColourMapState map;
  ViewState view;
  decltype(::scene3d::ElemRad) ElemRad;
#define X(name) decltype(::scene3d::name) name;
  KEPT_SETTINGS(X)
#undef X
};

bool keep(Kept* k) {
  k->map = colour_map_copy();
  if (!k->map.CMap) return false;
  k->store = store_take();
  k->view = view_state();
  memcpy(k->ElemRad, ElemRad, sizeof ElemRad);
#define X(name) k->name = name;
  KEPT_SETTINGS(X)
#undef X
  return true;
}

void put_back(Kept* k) {
  store_put(k->store);
  colour_map_put(k->map);
  set_view_state(k->view);
  memcpy(ElemRad, k->ElemRad, sizeof ElemRad);
#define X(name) name = k->name;
  KEPT_SETTINGS(X)
#undef X
}

void drop(Kept* k) {
  store_free(k->store);
  colour_map_free(k->map);
}

// What every new scene starts from, whatever the one before it set.
void fresh_scene() {
  default_radii();
  RadMagn = 1;
  ambientterm = 0.2f;
  zmat_nx = zmat_ny = zmat_varyx = 0;
  zmat_delta = zmat_delta_y = 0;
  isXYZ2d = isXYZ2d_mat = 0;
  UseBall = 1;
}

void report(const char* text) {
  printf("%s\n", text);
  set_status(text);
}

}  // namespace

int scene_fail(const char* format, ...) {
  char text[1024];
  va_list ap;
  va_start(ap, format);
  vsnprintf(text, sizeof text, format, ap);
  va_end(ap);
  failure = text;
  printf("%s\n", text);
  return 1;
}

const char* file_part(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

bool previous_scene_terrain() { return was_terrain; }

int scene_open(const SceneReader& read) {
  ClientX = screen_x = width;
  ClientY = screen_y = height;
  if (DoInit() != 0) {
    report("memory error (3D init)");
    return 1;
  }
  Kept kept;
  if (!keep(&kept)) {
    report("memory error (3D scene)");
    return 1;
  }
  was_terrain = kept.store.content == 1 && kept.store.isHgt;
  fresh_scene();
  failure.clear();
  show_wait_cursor(true);
  scene_reading = 1;
  int r = read ? read() : scene_fail("no reader");
  scene_reading = 0;
  if (r == 0 && (content != 1 || n_atoms <= 0)) r = scene_fail("no points to show");
  // The frame writes the canvas: without one there is nothing to show the scene in.
  if (r == 0 && (width < 1 || height < 1)) r = scene_fail("no canvas for the 3D view");
  if (r == 0) {
    AutoZoom(1.4f);
    if (UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0) != 0) {
      // UpdatePaint has put its reason on the status line.
      failure.clear();
      r = 1;
    }
  }
  show_wait_cursor(false);
  if (r != 0) {
    put_back(&kept);
    if (!failure.empty()) set_status(failure.c_str());
    return 1;
  }
  drop(&kept);
  image_post(width, height, 1);
  return 0;
}

}  // namespace scene3d
