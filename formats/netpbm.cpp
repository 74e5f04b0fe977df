// Placeholder until the Netpbm readers land.
#include "formats/readers.h"
#include "view/canvas.h"

int load_pbm() {
  bluescreen("this kind of file cannot be shown yet");
  return 0;
}
int load_ppm() {
  bluescreen("this kind of file cannot be shown yet");
  return 0;
}
