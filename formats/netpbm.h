// Netpbm bitmaps (.pbm) and pixmaps (.ppm).
#pragma once

// Read the file buffer into the loaded image and post it. load_pbm always returns 0 (a refusal
// leaves the error canvas and names it on the status line); load_ppm returns non-zero for a
// refusal, over which the opener shows the error canvas.
int load_pbm();
int load_ppm();
