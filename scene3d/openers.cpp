// Placeholders until the readers land; each opener then hands its file to old_render.
#include "scene3d/openers.h"

#include "view/canvas.h"

int load_stl() {
  bluescreen("3D scenes cannot be shown yet");
  return 0;
}
int load_sdf() {
  bluescreen("3D scenes cannot be shown yet");
  return 0;
}
int load_mypdb() {
  bluescreen("3D scenes cannot be shown yet");
  return 0;
}
