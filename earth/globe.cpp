// Placeholder until the globe renderer lands: the start-up ends on the empty view.
#include "earth/globe.h"

void load_globe2d() {}
