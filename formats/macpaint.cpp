// Placeholder until this reader lands.
#include "formats/readers.h"
#include "view/canvas.h"

int load_mac() {
  bluescreen("this kind of file cannot be shown yet");
  return 0;
}
