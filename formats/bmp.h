// Windows bitmaps (.bmp).
#pragma once

// Reads the bitmap in the file buffer into the loaded image and posts it. Always returns 0: a
// refusal shows the error canvas with its message.
int load_bmp();
