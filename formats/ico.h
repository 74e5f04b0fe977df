// Windows icons and cursors (.ico, .cur). No command of the viewer opens them.
#pragma once

// Decodes the first image of the icon or cursor in the file buffer into the loaded image and posts
// it. Returns 0, or 1 after printing why the file was refused.
int load_ico();

// The fixed 16-colour table of early icons (index 0 black ... 15 white), which gives the colours
// of indices that an icon's own palette leaves out. Indices outside 0 to 15 take the nearest end.
void get_map_col(int index, float* r, float* g, float* b);
