// X bitmaps (.xbm).
#pragma once

// Reads the bitmap in the file buffer into the loaded image and posts it. Returns 0, or
// non-zero for a refusal, over which the opener shows the error canvas.
int load_xbm();
