// Placeholder until the 3D renderer lands.
#include "scene3d/view3d.h"

#include "view/canvas.h"

void old_resize(int, int) { upd_rgb(1); }
