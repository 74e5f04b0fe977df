// The terrain tile loader (SRTM .hgt and .dem files, bare or zipped).
#pragma once

// Loads the tile named by openfilename from the file buffer and shows it.
int load_hgt();
