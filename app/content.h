// The content kind (what the window holds) and the view choice's item lists, one per kind, with
// the item each kind remembers.
#pragma once

enum {
  CONTENT_EMPTY = 0,
  CONTENT_IMAGE = 1,
  CONTENT_JPEG = 2,
  CONTENT_TEXT = 3,
  CONTENT_HTML = 4,
  CONTENT_HEX = 5,
  CONTENT_RASMOL = 6,
  CONTENT_MBFRACT = 7,
  CONTENT_VGLOBE = 9,
  CONTENT_PDB = 10,
  CONTENT_SRTM3 = 11,
  CONTENT_SDF = 12,
  CONTENT_STL = 13,
};

extern int content;
extern int n_images, n_jpeg;
extern int choice_empty, choice_image, choice_jpeg, choice_text, choice_htm, choice_hex,
    choice_vglobe, choice_pdb, choice_srtm3, choice_sdf, choice_stl;

void set_content_empty();
void set_content_image(int n);
void set_content_jpeg(int n);
void set_content_text();
void set_content_html();
void set_content_hex();
void set_content_rasmol();
void set_content_mbfract();
void set_content_vglobe();
void set_content_pdb();
void set_content_srtm3();
void set_content_sdf();
void set_content_stl();

int is_content_empty();
int is_content_image();
int is_content_jpeg();
int is_content_text();
int is_content_html();
int is_content_hex();
int is_content_rasmol();
int is_content_mbfract();
int is_content_vglobe();
int is_content_pdb();
int is_content_srtm3();
int is_content_sdf();
int is_content_stl();

// True for the four 3D kinds (pdb, srtm3, sdf, stl), whose events go to the 3D view.
int is_content_3d();

void set_choice(int i);
int view_is_hex();

// Installs the empty kind's items ("none", "auto", with "auto" selected) without changing the
// kind, as the return to the empty view does. Until a setter installs a kind's own list again,
// picks in that list belong to no kind and are not remembered.
void show_empty_choices();
// True while that list stands over another kind.
int empty_choices_shown();
