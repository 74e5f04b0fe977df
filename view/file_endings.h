// The endings that name each kind of file, for every reader that chooses by name (the file opener,
// the molecule reader), and how a name is matched against them. Each ending is written here once.
#pragma once
#include <cstddef>

// A kind's endings (at most seven, the rest null), in the order they are tried. With
// capitals_too each also matches with a..z capitalised (".jpg" and ".JPG", not ".Jpg").
struct FileEndings {
  const char* endings[8];
  bool capitals_too;
};

// 1 when `name` has at least `before` characters ahead of `ending` and ends in it as written or,
// with capitals_too, with a..z capitalised; else 0 (also for a null name or ending).
int name_ends_in(const char* name, const char* ending, bool capitals_too, size_t before);
// The same with any of the kind's endings.
int name_ends_in_any(const char* name, const FileEndings& kind, size_t before);

// The file opener's rule: at least two characters before the ending.
constexpr size_t OPENER_CHARS_BEFORE = 2;

// 1 when `name` has at least two characters before `ext` and ends in `ext` as written or in
// `ext` with a..z capitalised (so ".jpg" and ".JPG" match, ".Jpg" does not); else 0.
int check_ext(const char* name, const char* ext);
// The same length rule with the exact ending only.
int check_ext_exact(const char* name, const char* ext);

// The kinds the file opener knows by name, each matched with capitals too.
extern const FileEndings ppm_endings, mac_endings, pbm_endings, j2k_endings, jpeg_endings,
    htm_endings, pdb_endings, hqx_endings, zip_endings, sun_endings, bmp_endings, ico_endings,
    exr_endings, pcx_endings, gif_endings, raw_endings, x3f_endings, tif_endings, hgt_endings,
    sdf_endings, stl_endings, hdr_endings, rgb_endings, targa_endings, xpm_endings, xbm_endings,
    png_endings;

// Name tests by extension: 1 when the opener's rule takes `name` for the kind.
int is_ppm(const char* name);
int is_mac(const char* name);
int is_pbm(const char* name);
int is_j2k(const char* name);
int is_jpeg(const char* name);
int is_htm(const char* name);
int is_pdb(const char* name);
int is_hqx(const char* name);
int is_zip(const char* name);
int is_sun(const char* name);
int is_bmp(const char* name);
int is_ico(const char* name);
int is_exr(const char* name);
int is_pcx(const char* name);
int is_gif(const char* name);
int is_raw(const char* name);
int is_x3f(const char* name);
int is_tif(const char* name);
int is_hgt(const char* name);
int is_sdf(const char* name);
int is_stl(const char* name);
int is_hdr(const char* name);
int is_rgb(const char* name);
int is_targa(const char* name);
int is_xpm(const char* name);
int is_xbm(const char* name);
int is_png(const char* name);

// The molecule reader's names beyond pdb_endings, by the layout they are read in; that reader
// needs no characters before an ending. PDB: pdz_endings, pdb_plain_endings (a backup copy's
// ".pdb~", and ".GZ"); PDBQ: pdbq_endings; CML, read as PDB: cml_endings; PLT: plt_endings; XYZ:
// xyz_endings, xyz_gz_endings; MOL, DAT, POV, GPR and MD: one ending each.
extern const FileEndings pdz_endings, pdb_plain_endings, pdbq_endings, cml_endings, plt_endings,
    xyz_endings, xyz_gz_endings, mol_endings, dat_endings, pov_endings, gpr_endings, md_endings;

// 1 when `name` ends in ".pdb[" and two characters more: a PDB file saved with a "[nn]" suffix.
int is_numbered_pdb(const char* name);
