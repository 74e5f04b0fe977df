// The PDB picture placeholder. No command invokes it (molecule files open as 3D scenes through
// load_mypdb, scene3d/file_openers.h).
#pragma once

// Posts a grey picture of the canvas's size without reading the file.
void load_pdb();
