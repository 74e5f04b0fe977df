// The openers of 3D scene files held in the file buffer; name is the file's path (for messages).
// 0 when the scene is shown; otherwise the status line says why and the view stays as it was.
#pragma once

int load_stl(const char* name);
int load_sdf(const char* name);
int load_mypdb(const char* name);
