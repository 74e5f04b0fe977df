// Colour names as pictures use them ("Blue", "light blue", "gray50"): the X11 colour database,
// with the names netpbm's writers add (data/colour_names.S, generated at build time).
#pragma once

// Looks the name up without regard to case; fills r, g, b (0 to 255) and returns true when it is
// known. `n` is the name's length (the name need not end in NUL).
bool colour_by_name(const char* name, int n, int* r, int* g, int* b);
