#include "scene3d/read_surface_grid.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scene3d/colour_schemes.h"
#include "scene3d/elements.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/radii.h"
#include "scene3d/scene.h"
#include "scene3d/scene_open.h"
#include "scene3d/shade.h"
#include "view/canvas.h"

namespace scene3d {

int sdf_nrow = 0, sdf_ncol = 0;
double sdf_width = 0, sdf_height = 0;
int text_lines = 0;
int sdf_group = 0;
char sdf_note[256] = "";

namespace {

constexpr long kSdfMinSide = 4, kSdfMaxSide = 2000;

// Why the last header was refused, or the store could not take a row.
const char* refusal = nullptr;
bool store_failed = false;

int refuse(const char* why) {
  refusal = why;
  return SDF_REFUSED;
}

int parse_header(const char* line) {
  if (strlen(line) < 13) return refuse("the header ends early");
  if ((line[9] != 'L' && line[9] != 'R') || line[10] != ';' ||
      (line[11] != 'B' && line[11] != 'F') || line[12] != ';')
    return refuse("it must go on with L or R, then B or F");
  char* e;
  long nrow = strtol(line + 13, &e, 10);
  if (*e != ';') return refuse("no \";\" after the row count");
  long ncol = strtol(e + 1, &e, 10);
  if (nrow < kSdfMinSide || nrow > kSdfMaxSide || ncol < kSdfMinSide || ncol > kSdfMaxSide)
    return refuse("rows and columns must lie from 4 to 2000");
  // Without a width and a height the spacings are unknown; a spacing that is no positive finite
  // number would make the surface analysis divide by it.
  const char* w = strchr(e, ';');
  if (!w) return refuse("no width");
  double width = strtod(w + 1, &e);
  const char* h = strchr(e, ';');
  if (!h) return refuse("no height");
  double height = strtod(h + 1, nullptr);
  if (!(width > 0 && width <= FLT_MAX && height > 0 && height <= FLT_MAX))
    return refuse("width and height must be positive numbers");
  sdf_nrow = (int)nrow, sdf_ncol = (int)ncol;
  sdf_width = width, sdf_height = height;
  return 0;
}

// The next height at p, or 0 when there is none or it is no finite float; *next is past the
// ";" that follows it (the end of the line when none does).
double next_value(const char* p, const char** next) {
  char* e;
  double z = strtod(p, &e);
  if (e == p || !(std::fabs(z) <= FLT_MAX)) z = 0;
  const char* semi = strchr(e, ';');
  *next = semi ? semi + 1 : e + strlen(e);
  return z;
}

bool add_row(const char* values, int r) {
  int start = n_atoms;
  const char* p = values;
  for (int i = 0; i < sdf_ncol; i++) {
    double z = next_value(p, &p);
    double x = (double)(i - sdf_ncol / 2) * sdf_width / (sdf_ncol - 1);
    double y = (double)(r - sdf_nrow / 2) * sdf_height / (sdf_nrow - 1);
    if (append_grid_point(x, y, z)) {
      n_atoms = start;
      return false;
    }
  }
  return true;
}

void subtract_row(const char* values, int r) {
  const char* p = values;
  for (int i = 0; i < sdf_ncol; i++) {
    double z = next_value(p, &p);
    double x = (double)(i - sdf_ncol / 2) * sdf_width / (sdf_ncol - 1);
    double y = (double)(r - sdf_nrow / 2) * sdf_height / (sdf_nrow - 1);
    for (int k = 0; k < n_atoms; k++)
      if (std::fabs(at_r[k].x - x) < 0.01 && std::fabs(at_r[k].y - y) < 0.01) {
        at_r[k].z = (float)(at_r[k].z - z);
        break;
      }
  }
}

// The longest line read in a state: a row line needs room for its columns, values of up to 63
// characters each.
int64_t line_limit(int state) {
  int64_t row = 64 * ((int64_t)sdf_ncol + 1);
  return state >= 0 && row > kSdfLineMax ? row : kSdfLineMax;
}

// A last line without its line end is read only when it is a whole row, so a file cut in the
// middle of a row does not add a row of zeros.
bool whole_row(const char* p, const char* end) {
  if (end - p < 3 || memcmp(p, "ZZ=", 3) != 0) return false;
  int64_t semis = 0;
  for (const char* q = p; q < end; q++) semis += *q == ';';
  return semis >= sdf_ncol - 1;
}

// Room for the rows to come, so the store grows once. A row line takes at least 4 bytes ("ZZ="
// and a line end; missing values read 0), which bounds what a small file can ask for.
void reserve_rows(int64_t bytes_left) {
  int64_t rows = bytes_left / 4 + 1;
  if (rows > sdf_nrow) rows = sdf_nrow;
  int64_t need = (int64_t)n_atoms + rows * sdf_ncol;
  if (need > atoms_allocated) AllocMoreAtoms(need);
}

int next_free_group() {
  int top = 0;
  for (int i = 0; i < n_atoms; i++)
    if (get_group(i) > top) top = get_group(i);
  return top + 1;
}

}  // namespace

int handle_sdf_line(const char* line, int state, int mode, int*) {
  if (state < 0) {
    if (state != SDF_WAITING) return state;
    if (strncmp(line, "SURFMT=1;", 9) != 0) return SDF_WAITING;
    return parse_header(line);
  }
  if (strncmp(line, "ZZ=", 3) != 0) return state;
  if (state >= sdf_nrow) return refuse("more rows than the header says");
  if (mode == 2) {
    subtract_row(line + 3, state);
  } else if (!add_row(line + 3, state)) {
    store_failed = true;
    return state;
  }
  return state + 1;
}

int read_surface_grid(const unsigned char* data, int64_t size, int mode, const char** why) {
  text_lines = 0;
  refusal = nullptr;
  store_failed = false;
  *why = nullptr;
  int state = SDF_WAITING;
  std::string line;
  const char* p = (const char*)data;
  const char* end = p + size;
  while (p < end) {
    int64_t limit = line_limit(state);
    const char* q = p;
    while (q < end && *q != '\r' && *q != '\n' && q - p <= limit) q++;
    if (q - p > limit) {
      *why = "a line is too long";
      break;
    }
    if (q == end && !(state >= 0 && whole_row(p, q))) break;
    line.assign(p, (size_t)(q - p));
    bool was_waiting = state < 0;
    state = handle_sdf_line(line.c_str(), state, mode, nullptr);
    text_lines++;
    if (was_waiting && state == 0 && mode != 2) reserve_rows(end - q);
    if (store_failed) {
      *why = "not enough memory for the grid";
      break;
    }
    if (q < end) {
      char last = *q++;
      while (q < end && (*q == '\r' || *q == '\n') && *q != last) last = *q++;
    }
    p = q;
    if (state > 0 && state >= sdf_nrow) break;
  }
  if (state == SDF_REFUSED) *why = refusal;
  return state;
}

int OpenSdfFile(const char* name, int mode) {
  show_surface = 1;
  show_triangles = 0;
  sdf_note[0] = 0;
  if (InitMolData() != 1) return scene_fail("memory error (3D scene)");
  const char* file = file_part(name);
  if (bin_allocated <= 0 || !bin_content) return scene_fail("%s: the file is empty", file);
  const char* why;
  int rows = read_surface_grid(bin_content, bin_allocated, mode, &why);
  if (mode == 1) sdf_group = next_free_group();
  if (rows == SDF_WAITING)
    return scene_fail("%s: not a surface grid (no line starts with \"SURFMT=1;\")", file);
  if (rows == SDF_REFUSED) return scene_fail("%s: surface grid header refused: %s", file, why);
  if (mode == 0) {
    // The grid is what was read: a short file is drawn from the rows it holds.
    if (rows < 4)
      return scene_fail("%s: %d complete rows of %d%s%s (4 needed)", file, rows, sdf_nrow,
                        why ? ": " : "", why ? why : "");
    isXYZ2d = 2;
    isXYZ2d_mat = 1;
    zmat_varyx = 1;
    zmat_nx = sdf_ncol;
    zmat_ny = rows;
    zmat_delta = sdf_width / sdf_ncol;
  }
  ElemRad[6] = 0.8f;
  if (n_atoms < 2)
    ElemRad[2] = 1;
  else
    find_radius();
  RadiusElement();
  if (mode == 0) {
    // The radii keep the rule above (width / columns); the surface analysis and the shading need
    // the steps between the points along each axis.
    zmat_delta = sdf_width / (sdf_ncol - 1);
    zmat_delta_y = sdf_height / (sdf_nrow - 1);
  }
  colSelection = 412;
  ColorUpdate();
  ElemRad[100] = 70;
  RadMagn = 1;
  ambientterm = 0.4f;
  if (mode == 0 && rows < sdf_nrow) {
    snprintf(sdf_note, sizeof sdf_note, "%s: %d of %d rows read%s%s", file, rows, sdf_nrow,
             why ? ": " : "", why ? why : "");
    printf("%s\n", sdf_note);
  }
  return 0;
}

}  // namespace scene3d
