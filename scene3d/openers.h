// The openers of 3D scene files.
#pragma once

int load_stl();
int load_sdf();
int load_mypdb();
