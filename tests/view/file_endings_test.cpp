// The endings that name each kind of file: the opener's rule (two characters before the ending,
// the ending capitalised too) and the molecule reader's (no characters needed, the case the
// kind's own).
#include "view/file_endings.h"

#include <gtest/gtest.h>

TEST(FileEndings, LengthAndCaseRules) {
  struct {
    const char* name;
    const char* ext;
    int any_case, exact;
  } cases[] = {
      {"ab.jpg", ".jpg", 1, 1},       {"ab.JPG", ".jpg", 1, 0},
      {"ab.Jpg", ".jpg", 0, 0},       {"ab.jPG", ".jpg", 0, 0},
      {"b.jpg", ".jpg", 0, 0},        {".jpg", ".jpg", 0, 0},
      {"jpg", ".jpg", 0, 0},          {"ab.jpg.txt", ".jpg", 0, 0},
      {"ab.jpeg", ".jpg", 0, 0},      {"ab.hgt.zip", "hgt.zip", 1, 1},
      {"xyhgt.zip", "hgt.zip", 1, 1}, {"ab.PDB.GZ", ".pdb.gz", 1, 0},
      {"ab.PDB.gz", ".pdb.gz", 0, 0}, {"ab_X1", "_x1", 1, 0},
      {"/d/a.gif", ".gif", 1, 1},     {"", ".gif", 0, 0},
  };
  for (auto& c : cases) {
    EXPECT_EQ(check_ext(c.name, c.ext), c.any_case) << c.name << " / " << c.ext;
    EXPECT_EQ(check_ext_exact(c.name, c.ext), c.exact) << c.name << " / " << c.ext;
  }
  EXPECT_EQ(check_ext(nullptr, ".jpg"), 0);
}

TEST(FileEndings, NameTests) {
  struct {
    int (*test)(const char*);
    const char* yes;
    const char* no;
  } cases[] = {
      {is_ppm, "ab.PPM", "ab.pgm"},         {is_mac, "ab.mac", "ab.macx"},
      {is_pbm, "ab.pbm", "a.pbm"},          {is_j2k, "ab.pnm", "ab.j2c"},
      {is_jpeg, "ab.jpeg", "ab.jpe"},       {is_htm, "ab.HTML", "ab.xhtml.gz"},
      {is_pdb, "ab.pdb.gz", "ab.gz"},       {is_hqx, "ab.hqx", "ab.bin"},
      {is_zip, "ab.ZIP", "ab.7z"},          {is_sun, "ab.ras", "ab.rast"},
      {is_bmp, "ab.bmp", "ab.dib"},         {is_ico, "ab.ico", "ab.cur"},
      {is_exr, "ab.exr", "ab.hdr"},         {is_pcx, "ab.pcx", "ab.dcx"},
      {is_gif, "ab.gif", "a.gif"},          {is_raw, "ab.RW2", "ab.raw"},
      {is_x3f, "ab.X3F", "ab.x3"},          {is_tif, "ab.nef", "ab.tf"},
      {is_hgt, "N47E008dem.zip", "ab.zip"}, {is_sdf, "ab.sdf", "ab.sd"},
      {is_stl, "ab.STL", "ab.Stl"},         {is_hdr, "ab.hdr", "ab.exr"},
      {is_rgb, "ab.rgb", "ab.rgba"},        {is_targa, "ab.tga", "ab.targa"},
      {is_xpm, "ab.xpm", "ab.xbm"},         {is_xbm, "ab.xbm", "ab.xpm"},
      {is_png, "ab.png", "ab.apng"},
  };
  for (auto& c : cases) {
    EXPECT_EQ(c.test(c.yes), 1) << c.yes;
    EXPECT_EQ(c.test(c.no), 0) << c.no;
  }
}

TEST(FileEndings, MoleculeNames) {
  struct {
    const FileEndings* kind;
    const char* name;
    int taken;
  } cases[] = {
      {&pdb_endings, ".pdb", 1},         {&pdb_endings, "a.PDB.GZ", 1},
      {&pdb_endings, "a.PDB.gz", 0},     {&pdb_plain_endings, "a.pdb~", 1},
      {&pdb_plain_endings, "a.PDB~", 0}, {&pdb_plain_endings, ".GZ", 1},
      {&pdb_plain_endings, "a.gz", 0},   {&pdz_endings, "a.PDZ", 1},
      {&pdbq_endings, "a.pdbq.gz", 1},   {&pdbq_endings, "a.PDBQ", 0},
      {&cml_endings, "a.CML", 1},        {&cml_endings, "a.Cml", 0},
      {&xyz_endings, "a.XYZ", 1},        {&xyz_gz_endings, "a.XYZ.GZ", 0},
      {&mol_endings, "a.MOL", 0},        {&md_endings, ".md", 1},
  };
  for (auto& c : cases) EXPECT_EQ(name_ends_in_any(c.name, *c.kind, 0), c.taken) << c.name;
  EXPECT_EQ(name_ends_in_any("ab.pdb", pdb_endings, OPENER_CHARS_BEFORE), 1);
  EXPECT_EQ(name_ends_in_any("ab.pdb", pdb_endings, 3), 0);

  const char* numbered[] = {"a.pdb[12", ".pdb[1]", "a.pdb[]]"};
  for (const char* n : numbered) EXPECT_EQ(is_numbered_pdb(n), 1) << n;
  const char* plain[] = {"a.pdb[1", "a.pdb[123", "a.PDB[12", nullptr};
  for (const char* n : plain) EXPECT_EQ(is_numbered_pdb(n), 0) << (n ? n : "null");
}
