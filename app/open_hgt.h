// The terrain tile loader: SRTM tiles (.hgt, .dem), bare or zipped, shown as a 3D terrain whose
// heights the globe then answers with inside the tile's area.
#pragma once

// Opens the tile named openfilename from the file buffer (a zipped tile's entry then replaces
// the file buffer), shows it as a 3D terrain through the scene entry and, once it is shown,
// takes its heights in for the elevation model. 0 when shown; 1 when the picture, the scene and
// the tile stay as they were and the status line says why.
int load_hgt();
