// The HDR reader: a Radiance RGBE picture, tone-mapped by its own statistics into the loaded image.
// No command of the viewer opens these files.
#pragma once

// Reads the RGBE file `name` into the loaded image and posts it. The picture's largest value M
// scales it to 1; a gain from 1 to 16, larger the further M stands above the spread of the
// values, brightens the square root of each scaled channel. Refuses in silence over the error
// canvas (the reason on standard output and the status line) a file that cannot be opened, a bad
// header, a size the caps refuse and a failed allocation; pixels that cannot be read stay black
// and the status line says the file is damaged. load_hdr (app/open_file.h) passes openfilename.
void load_hdr_file(const char* name);
