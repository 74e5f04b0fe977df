// Opening a file: the whole file into the file buffer, then the reader its extension names.
#pragma once

extern char openfilename[1024];
extern char jpeg_extension, bmp_extension, sun_extension, targa_extension, gif_extension,
    pcx_extension, x3f_extension, stl_extension, sdf_extension, hgt_extension, pdb_extension,
    zip_extension, mac_extension, hqx_extension, pbm_extension, ppm_extension, xbm_extension,
    xpm_extension, htm_extension;
extern int current_subimage, n_img;

int check_ext(const char* name, const char* ext);
void do_open(int fit);
