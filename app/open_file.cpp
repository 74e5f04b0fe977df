// Placeholder until file opening lands.
#include "app/open_file.h"

#include <cstring>

char openfilename[1024];
char jpeg_extension, bmp_extension, sun_extension, targa_extension, gif_extension, pcx_extension,
    x3f_extension, stl_extension, sdf_extension, hgt_extension, pdb_extension, zip_extension,
    mac_extension, hqx_extension, pbm_extension, ppm_extension, xbm_extension, xpm_extension,
    htm_extension;
int current_subimage = 0, n_img = 1;

int check_ext(const char* name, const char* ext) {
  size_t n = strlen(name), e = strlen(ext);
  return n > e + 1 && strcmp(name + n - e, ext) == 0;
}

void do_open(int) {}
