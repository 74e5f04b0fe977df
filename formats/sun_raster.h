// Sun raster images (.sun, .ras).
#pragma once

// Reads the image in the file buffer into the loaded image and posts it. Always returns 0: a
// refusal shows the error canvas with its message.
int load_sun();
