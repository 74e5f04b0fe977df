// The virtual globe.
#pragma once

// Renders the globe for the present moment into the loaded image and posts it.
void load_globe2d();
