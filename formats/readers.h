// The file readers that the file opener dispatches to. Each reads the file buffer, fills the
// loaded image and posts it (or refuses the file in its one way); see each reader's file.
#pragma once

int load_jpg(int fit);  // 0 on success, 999 when out of memory, other non-zero on failure
int load_bmp();
int load_sun();
int load_targa();
int load_pcx();
int load_x3f();  // always non-zero: the format is recognised, not decoded
int load_xbm();  // non-zero: the opener shows the error canvas
int load_xpm();  // non-zero: the opener shows the error canvas
int load_mac();
int load_hqx();
int load_pbm();
int load_ppm();  // non-zero: the opener shows the error canvas
void load_rgb();  // SGI images; no command opens them
// load_gif: formats/gif.h; load_hgt: app/open_hgt.h; load_stl, load_sdf, load_mypdb: scene3d/openers.h
