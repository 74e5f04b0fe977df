#include "app/current_file.h"

char openfilename[1024];
char jpeg_extension, bmp_extension, sun_extension, targa_extension, gif_extension, pcx_extension,
    x3f_extension, stl_extension, sdf_extension, hgt_extension, pdb_extension, zip_extension,
    mac_extension, hqx_extension, pbm_extension, ppm_extension, xbm_extension, xpm_extension,
    htm_extension;
int current_subimage = 0, n_img = 1;
