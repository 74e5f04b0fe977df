// The scene point store: every 3D scene (molecule, surface grid, mesh, terrain tile) as parallel
// arrays of points with optional per-point lists, the bond list and the mesh triangles, plus the
// renderer's own content state. Written on the main thread only; the band workers read it and
// write disjoint slices of `at` while the main thread waits.
//
// Readers fill it in this shape:
//   InitMolData();                      // empty scene, content 1
//   for each point: if (AddBall(ord, x, y, z) != 0) return scene_fail(...); n_atoms++;
//   (grid points: append_grid_point(x, y, z), which also counts the point)
// A point is counted only when AddBall stored it, so n_atoms never passes atoms_allocated.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace scene3d {

// Most points a scene may hold (a 4800 x 6000 terrain tile fits); growth beyond fails.
constexpr int kMaxPoints = 32 * 1024 * 1024;

// The render record of a point, written each frame by the rotation and projection workers (the
// first six fields), by the radius operations (rad) and by the colour schemes (col).
struct render_rec {
  float x, d, y;  // rotated x, depth (grows away from the camera), rotated y
  float sx, sy;   // screen position, relative to the picture centre (see project.h)
  float vis;      // grid point: 1 shown, 0 hidden; sphere: half its projected radius, 0 hidden
  float rad;      // display radius, model units
  uint16_t col;   // colour map entry (colour_map.h); always a valid entry
};

struct point3 {
  float x, y, z;
};

// A bond between two points, the lower index first.
struct bond_rec {
  int lo, hi;
};

// A mesh triangle: its three vertices (scene points 3k, 3k + 1, 3k + 2 of triangle k) and its
// facet normal, in model coordinates.
struct tri {
  double a[3], b[3], c[3];
  double n[3];
};

// The store's fields as one list, X(type, name), that the globals, StoreState and the moves and
// frees between them all expand, so that a field is added in one place. Each starts value-
// initialised (null, 0, empty); a pointer is a block of scene_malloc that the store frees.
//   at .. atoms_allocated: the point arrays, all sized for atoms_allocated points, n_atoms in use.
//     at_el: element ordinal 1..103, 100 a grid point, negative the negated ordinal of a flagged
//     point. at_rad: the element radius while the point is added (the molecule reader keeps
//     serial numbers there for a while).
//   group .. alloc_backbone: the optional per-point lists, each with its presence flag and
//     capacity; a list exists only after its first write (flag and capacity 0 before). group is
//     never created; shapely holds residue codes 0..30; the quad rasteriser also keeps per-quad
//     facing values in charge; have_backbone is the number of entries of backbones.
//   bond, n_bonds, max_bonds: the bond list, kept in ascending order of lo by the bond
//     operations (bond_perception.h).
//   v: the mesh triangles.
//   content and the flags after it: the renderer's content state (not the viewer's content
//     kind): 0 empty, 1 scene points; 3 to 6 name buffers that are never filled.
#define SCENE_STORE_FIELDS(X)                                                                 \
  X(render_rec*, at) X(point3*, at_r) X(int8_t*, at_el) X(float*, at_rad)                     \
  X(int, n_atoms) X(int, atoms_allocated)                                                     \
  X(uint16_t*, group) X(int, have_groups) X(int, alloc_groups)                                \
  X(uint8_t*, shapely) X(int, have_shapely) X(int, alloc_shapely)                             \
  X(float*, temperature) X(int, have_temperature) X(int, alloc_temperature)                   \
  X(uint16_t*, usercol) X(int, have_usercol) X(int, alloc_usercol)                            \
  X(float*, charge) X(int, have_charges) X(int, alloc_charge)                                 \
  X(int*, backbones) X(int, have_backbone) X(int, alloc_backbone)                             \
  X(bond_rec*, bond) X(int, n_bonds) X(int, max_bonds)                                        \
  X(std::vector<tri>, v)                                                                      \
  X(int, content) X(int, is_bin) X(int, is_txt) X(int, is_html) X(int, isGlass) X(int, isHgt) \
  X(int, have_gra2d) X(int, isApollonius)

#define X(type, name) extern type name;
SCENE_STORE_FIELDS(X)
#undef X

// 1-based index of a picked point, 0 for none.
extern int LastAtom;

// Set to 0 whenever the content state changes.
extern int html_y_start;

// Growth of the four point arrays: size > 0 sets the capacity (it may shrink); size <= 0 makes
// the first 8192 or, when points exist, triples a capacity up to 99,999 and adds 300,000 to a
// larger one, never beyond kMaxPoints. 1 on success; 0 on failure, with nothing changed.
int AllocMoreAtoms(int64_t size);

// Stores point n_atoms (growing the arrays first when full): ordinal, coordinates, group 0 when
// groups exist, the element radius when content is 1, the element's colour. 0 when stored, 1
// when the arrays could not grow (then nothing is stored). It does not count the point: the
// caller increments n_atoms after a 0.
int AddBall(int ordinal, double x, double y, double z);

// Appends a grid point (ordinal 100) and counts it, with its charge entry 0 when charges exist.
// 0 when appended, 1 when the store could not grow.
int append_grid_point(double x, double y, double z);

// Starts an empty scene: frees the store, drops the user colours, content 1 with its flags
// cleared, no points or bonds; the first call of the process sets camera_pos to -100. Returns
// AllocMoreAtoms(0).
int InitMolData();
void FreeAtoms();
void rm_bonds();
void free_group();
void free_shapely();
void free_temperature();
void free_usercol();
void free_backbone();
void free_charge();

// Sets the content state; leaving 1 frees the store.
void SetContent(int value);
int GetContent();
void FreePix();
void FreeTxt();
void FreeBin();
void FreeHtmOld();

// Attribute accessors: the entry, or 0 when the list does not exist (the index must be below its
// capacity).
int get_group(int i);
float get_charge(int i);
float get_temperature(int i);
int get_usercol(int i);
void set_zero_group(int i);
void set_zero_usercol(int i);
void set_group(int, int, int);

// Attribute writers with the growth rules of each list; they ignore what they cannot store.
void set_charge(int i, float q);
void set_zero_charge(int i);
void set_temperature(int i, float t);
void set_usercol(int i, int c);
void add_backbone(int i);
void set_shapely_i(int i, int code);

// Makes sure the charge list exists with an entry for every point (all new entries 0). The
// frame calls it before its workers start, so no worker ever creates or grows the list. 0, or 1
// when it cannot be allocated.
int ensure_charges();

// Copies point src onto point dst (record, coordinates, ordinal, radius; temperature, user
// colour and charge entries as the lists allow).
void copy_atom(int dst, int src);

// Removes every flagged point (negative ordinal), moving the last live point into each gap and
// re-pointing its bonds; returns the new n_atoms.
int DelSelected();

// Stores value into the int that item points to.
void ChangeMenuItem(int* item, int value, void* data);

// Everything the store holds, moved out of the globals or back in: the shared opener reads a
// new scene while the shown one waits here.
struct StoreState {
#define X(type, name) type name{};
  SCENE_STORE_FIELDS(X)
#undef X
};
// Moves the store out, leaving it empty (content 0).
StoreState store_take();
// Frees the current store and moves s in (s is left empty).
void store_put(StoreState& s);
// Frees what s holds.
void store_free(StoreState& s);

}  // namespace scene3d
