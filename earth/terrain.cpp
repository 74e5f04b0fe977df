// Placeholder until the terrain tile loader lands.
#include "earth/terrain.h"

#include "view/canvas.h"

int load_hgt() {
  bluescreen("terrain tiles cannot be shown yet");
  return 0;
}
