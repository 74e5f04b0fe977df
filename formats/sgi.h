// SGI images (.rgb). No command of the viewer opens these files.
#pragma once

// Reads the image in the file buffer into the loaded image and posts it; refuses in silence over
// the error canvas.
void load_rgb();
