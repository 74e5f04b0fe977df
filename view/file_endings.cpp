#include "view/file_endings.h"

#include <cstring>

int name_ends_in(const char* name, const char* ending, bool capitals_too, size_t before) {
  if (!name || !ending) return 0;
  size_t n = strlen(name), e = strlen(ending);
  if (n < e + before) return 0;
  const char* tail = name + n - e;
  if (strcmp(tail, ending) == 0) return 1;
  if (!capitals_too) return 0;
  for (size_t i = 0; i < e; i++) {
    char c = ending[i];
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    if (tail[i] != c) return 0;
  }
  return 1;
}

int name_ends_in_any(const char* name, const FileEndings& kind, size_t before) {
  for (const char* e : kind.endings)
    if (e && name_ends_in(name, e, kind.capitals_too, before)) return 1;
  return 0;
}

int check_ext(const char* name, const char* ext) {
  return name_ends_in(name, ext, true, OPENER_CHARS_BEFORE);
}
int check_ext_exact(const char* name, const char* ext) {
  return name_ends_in(name, ext, false, OPENER_CHARS_BEFORE);
}

const FileEndings ppm_endings = {{".ppm"}, true};
const FileEndings mac_endings = {{".mac"}, true};
const FileEndings pbm_endings = {{".pbm"}, true};
const FileEndings j2k_endings = {{".j2k", ".jp2", ".pnm"}, true};
const FileEndings jpeg_endings = {{".jpg", ".jpeg"}, true};
const FileEndings htm_endings = {{".htm", ".html"}, true};
const FileEndings pdb_endings = {{".pdb", ".pdb.gz"}, true};
const FileEndings hqx_endings = {{".hqx"}, true};
const FileEndings zip_endings = {{".zip"}, true};
const FileEndings sun_endings = {{".sun", ".ras"}, true};
const FileEndings bmp_endings = {{".bmp"}, true};
const FileEndings ico_endings = {{".ico"}, true};
const FileEndings exr_endings = {{".exr"}, true};
const FileEndings pcx_endings = {{".pcx"}, true};
const FileEndings gif_endings = {{".gif"}, true};
const FileEndings raw_endings = {{".nef", ".cr2", ".dng", ".raf", ".orf", ".rw2", ".arw"}, true};
const FileEndings x3f_endings = {{".x3f"}, true};
const FileEndings tif_endings = {{".tif", ".tiff", ".dng", ".nef"}, true};
const FileEndings hgt_endings = {{".dem", ".hgt", "hgt.zip", "dem.zip"}, true};
const FileEndings sdf_endings = {{".sdf"}, true};
const FileEndings stl_endings = {{".stl"}, true};
const FileEndings hdr_endings = {{".hdr"}, true};
const FileEndings rgb_endings = {{".rgb"}, true};
const FileEndings targa_endings = {{".tga"}, true};
const FileEndings xpm_endings = {{".xpm"}, true};
const FileEndings xbm_endings = {{".xbm"}, true};
const FileEndings png_endings = {{".png"}, true};

const FileEndings pdz_endings = {{".pdz"}, true};
const FileEndings pdb_plain_endings = {{".pdb~", ".GZ"}, false};
const FileEndings pdbq_endings = {{".pdbq", ".pdbq.gz"}, false};
const FileEndings cml_endings = {{".cml"}, true};
const FileEndings plt_endings = {{".plt"}, true};
const FileEndings xyz_endings = {{".xyz"}, true};
const FileEndings xyz_gz_endings = {{".xyz.gz"}, false};
const FileEndings mol_endings = {{".mol"}, false};
const FileEndings dat_endings = {{".dat"}, false};
const FileEndings pov_endings = {{".pov"}, false};
const FileEndings gpr_endings = {{".gpr"}, false};
const FileEndings md_endings = {{".md"}, false};

static int opener_takes(const char* name, const FileEndings& kind) {
  return name_ends_in_any(name, kind, OPENER_CHARS_BEFORE);
}

int is_ppm(const char* n) { return opener_takes(n, ppm_endings); }
int is_mac(const char* n) { return opener_takes(n, mac_endings); }
int is_pbm(const char* n) { return opener_takes(n, pbm_endings); }
int is_j2k(const char* n) { return opener_takes(n, j2k_endings); }
int is_jpeg(const char* n) { return opener_takes(n, jpeg_endings); }
int is_htm(const char* n) { return opener_takes(n, htm_endings); }
int is_pdb(const char* n) { return opener_takes(n, pdb_endings); }
int is_hqx(const char* n) { return opener_takes(n, hqx_endings); }
int is_zip(const char* n) { return opener_takes(n, zip_endings); }
int is_sun(const char* n) { return opener_takes(n, sun_endings); }
int is_bmp(const char* n) { return opener_takes(n, bmp_endings); }
int is_ico(const char* n) { return opener_takes(n, ico_endings); }
int is_exr(const char* n) { return opener_takes(n, exr_endings); }
int is_pcx(const char* n) { return opener_takes(n, pcx_endings); }
int is_gif(const char* n) { return opener_takes(n, gif_endings); }
int is_raw(const char* n) { return opener_takes(n, raw_endings); }
int is_x3f(const char* n) { return opener_takes(n, x3f_endings); }
int is_tif(const char* n) { return opener_takes(n, tif_endings); }
int is_hgt(const char* n) { return opener_takes(n, hgt_endings); }
int is_sdf(const char* n) { return opener_takes(n, sdf_endings); }
int is_stl(const char* n) { return opener_takes(n, stl_endings); }
int is_hdr(const char* n) { return opener_takes(n, hdr_endings); }
int is_rgb(const char* n) { return opener_takes(n, rgb_endings); }
int is_targa(const char* n) { return opener_takes(n, targa_endings); }
int is_xpm(const char* n) { return opener_takes(n, xpm_endings); }
int is_xbm(const char* n) { return opener_takes(n, xbm_endings); }
int is_png(const char* n) { return opener_takes(n, png_endings); }

int is_numbered_pdb(const char* name) {
  if (!name) return 0;
  size_t n = strlen(name);
  return n >= 7 && strncmp(name + n - 7, ".pdb[", 5) == 0;
}
