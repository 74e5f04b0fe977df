// The HDR reader on the opened file's name. Nothing calls it: the file opener recognises ".hdr"
// names and shows such files as a hex dump.
#pragma once

// Reads the RGBE picture named by openfilename into the loaded image (formats/hdr.h).
void load_hdr();
