#include "scene3d/bonds.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"

namespace scene3d {

const char ElemNames[103][3] = {
    "H ", "He", "Li", "Be", "B ", "C ", "N ", "O ", "F ", "Ne", "Na", "Mg", "Al", "Si", "P ",
    "S ", "Cl", "Ar", "K ", "Ca", "Sc", "Ti", "V ", "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn",
    "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y ", "Zr", "Nb", "Mo", "Tc", "Ru", "Rh",
    "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I ", "Xe", "Cs", "Ba", "La", "Ce", "Pr", "Nd",
    "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W ", "Re",
    "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac", "Th",
    "Pa", "U ", "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr"};

const float ElemRadBack[104] = {
    0.0f,  0.85f, 0.6f,  1.6f,   1.37f, 1.35f, 1.2f,  1.3f,  1.28f, 1.24f,  // 0-9
    1.1f,  1.9f,  1.3f,  1.431f, 1.7f,  1.9f,  1.7f,  1.27f, 1.3f,  2.43f,  // 10-19
    1.9f,  1.8f,  1.7f,  1.3f,   1.24f, 1.3f,  1.3f,  1.3f,  1.24f, 1.27f,  // 20-29
    1.25f, 1.24f, 1.3f,  1.0f,   0.95f, 1.5f,  0.88f, 2.65f, 2.5f,  2.4f,   // 30-39
    2.3f,  2.2f,  2.1f,  2.0f,   1.9f,  1.8f,  1.75f, 1.7f,  1.6f,  1.5f,   // 40-49
    1.4f,  1.3f,  1.2f,  1.1f,   1.08f, 2.98f, 2.9f,  2.8f,  2.75f, 2.7f,   // 50-59
    2.65f, 2.6f,  2.55f, 2.5f,   2.45f, 2.4f,  2.35f, 2.3f,  2.25f, 2.2f,   // 60-69
    2.15f, 2.1f,  2.0f,  1.9f,   1.8f,  1.7f,  1.6f,  1.5f,  1.45f, 1.44f,  // 70-79
    1.3f,  1.3f,  1.5f,  1.3f,   1.3f,  1.3f,  1.3f,  1.3f,  1.3f,  1.3f,   // 80-89
    1.3f,  1.3f,  1.3f,  1.3f,   1.3f,  1.3f,  1.3f,  1.3f,  1.3f,  1.3f,   // 90-99
    1.3f,  1.3f,  1.3f,  1.3f};                                             // 100-103
float ElemRad[104];

// Standard atomic weights; elements without a stable isotope carry the mass number of their
// longest-lived one.
const double mass[114] = {
    0,       1.00794,    4.002602, 6.941,     9.012182, 10.811,    12.0107, 14.00674,
    15.9994, 18.9984032, 20.1797,  22.98977,  24.305,   26.981538, 28.0855, 30.973761,
    32.066,  35.4527,    39.948,   39.0983,   40.078,   44.95591,  47.867,  50.9415,
    51.9961, 54.938049,  55.845,   58.9332,   58.6934,  63.546,    65.39,   69.723,
    72.61,   74.9216,    78.96,    79.904,    83.8,     85.4678,   87.62,   88.90585,
    91.224,  92.90638,   95.94,    98,        101.07,   102.9055,  106.42,  107.8682,
    112.411, 114.818,    118.71,   121.76,    127.6,    126.90447, 131.29,  132.90545,
    137.327, 138.9055,   140.116,  140.90765, 144.24,   145,       150.36,  151.964,
    157.25,  158.92534,  162.5,    164.93032, 167.26,   168.93421, 173.04,  174.967,
    178.49,  180.9479,   183.84,   186.207,   190.23,   192.217,   195.078, 196.96655,
    200.59,  204.3833,   207.2,    208.98038, 210,      210,       222,     223,
    226,     227,        232.0381, 231.03588, 238.0289, 237,       244,     243,
    247,     247,        251,      252,       257,      258,       259,     262,
    261,     262,        266,      264,       269,      268,       269,     272,
    277,     0};

int MetalTable[128];

float RadBall = 0.42f, stickball_ratio = 0.4f, RadBondMagn = 1.0f, RadMagn = 1.0f;
float RadStick = 0.039f, RadBallScale = 0;
int UserRadius = 0, r_type = 0;
int mol_disp = 0, show_backbone = 0;

int zmat_nx = 0, zmat_ny = 0, zmat_varyx = 0;
double zmat_delta = 0, zmat_delta_y = 0;
int isXYZ2d = 0, isXYZ2d_mat = 0;

int* cells = nullptr;
int Mx = 0, My = 0, Mz = 0, M_xyz = 0;
float cut = 0;
float x_min = 0, x_max = 0, y_min = 0, y_max = 0, z_min = 0, z_max = 0;

double grid_delta_y() { return zmat_delta_y != 0 ? zmat_delta_y : zmat_delta; }

int isElMetallic(int z) {
  return z == 3 || z == 4 || (z >= 11 && z <= 14) || (z >= 19 && z <= 32) || (z >= 37 && z <= 50) ||
         (z >= 55 && z <= 82) || z > 86;
}

void InitMetalTable() {
  for (int z = 0; z < 128; z++) MetalTable[z] = isElMetallic(z);
}

void default_radii() { memcpy(ElemRad, ElemRadBack, sizeof ElemRad); }

float GetRad(int z) {
  int a = z < 0 ? -z : z;
  return a >= 1 && a <= 103 ? ElemRad[a] : 1.0f;
}

void SetRad(int z, float r) {
  int a = z < 0 ? -z : z;
  if (a < 1 || a > 103) return;
  r = std::fabs(r);
  ElemRad[a] = r < 0.01f ? 0.01f : r > 100.0f ? 100.0f : r;
}

float GetRadStick() {
  float r;
  if (mol_disp == 1)
    r = show_backbone ? RadBondMagn * 0.35f : 0.0005f;
  else if (mol_disp == 6 || mol_disp == 7 || show_backbone)
    r = RadBondMagn * 0.35f;
  else
    r = RadBondMagn * 0.039f;
  if (mol_disp >= 2 && mol_disp <= 4) r = stickball_ratio * RadMagn * RadBall;
  return r;
}

float RadiusElement() {
  RadStick = GetRadStick();
  for (int i = 0; i < n_atoms; i++) at[i].rad = GetRad(at_el[i]) * RadMagn;
  UserRadius = 0;
  r_type = 0;
  RadBallScale = 0.5f * RadStick / RadBall;
  return RadBallScale;
}

float RadiusBallStick() {
  RadStick = GetRadStick();
  float base = mol_disp >= 2 && mol_disp <= 4 ? RadBall : RadStick;
  for (int i = 0; i < n_atoms; i++) {
    int z = at_el[i];
    at[i].rad = z > 18 && z != 23 && z != 35 ? GetRad(z) * RadMagn : base * RadMagn;
  }
  r_type = 1;
  RadBallScale = 0.5f * RadStick / RadBall;
  return RadBallScale;
}

void RadiusUser() {
  RadStick = GetRadStick();
  for (int i = 0; i < n_atoms; i++) at[i].rad = at_rad[i];
  UserRadius = 1;
  r_type = 2;
}

void find_radius() {
  double d = zmat_delta, r = 0.8 * d;
  RadMagn = 1;
  if (d < 1) r = 1.6 * d, RadMagn = 0.5f;
  if (d < 0.5) r = 3.2 * d, RadMagn = 0.25f;
  if (d < 0.25) r = 6.4 * d, RadMagn = 0.125f;
  r = std::fabs(r);
  ElemRad[100] = (float)(r < 0.01 ? 0.01 : r > 100 ? 100 : r);
}

namespace {

// Step estimates from points 0 and k: the mean spacing along x and y over k steps.
void steps_from(int k, double* sx, double* sy) {
  *sx = std::fabs((double)at_r[0].x - at_r[k].x) / k;
  *sy = std::fabs((double)at_r[0].y - at_r[k].y) / k;
}

bool off_lattice(double u) { return std::fabs(u - std::trunc(u + 0.5)) > 0.3; }

}  // namespace

int check_z_matrix() {
  if (n_atoms <= 0) return 0;
  if (n_atoms == 1) return 1;
  zmat_nx = zmat_ny = 0;
  double xmin = at_r[0].x, xmax = xmin, ymin = at_r[0].y, ymax = ymin;
  for (int i = 1; i < n_atoms; i++) {
    double x = at_r[i].x, y = at_r[i].y;
    if (x < xmin) xmin = x;
    if (x > xmax) xmax = x;
    if (y < ymin) ymin = y;
    if (y > ymax) ymax = y;
  }
  double sx, sy;
  steps_from(1, &sx, &sy);
  if (n_atoms > 200) {
    // The mean step over ten points, unless point 10 lies in another row of a grid narrower than
    // 11 points: then it does not lie along the axis that runs from point 0 to point 1.
    double tx, ty;
    steps_from(10, &tx, &ty);
    if ((tx != 0) != (ty != 0) && (tx != 0) == (sx != 0) && (ty != 0) == (sy != 0))
      sx = tx, sy = ty;
  }
  double step;
  if (sx != 0 && sy != 0) return 0;
  if (sx != 0) {
    step = sx;
    zmat_varyx = 1;
  } else {
    zmat_varyx = 0;
    if (sy == 0) return 0;
    step = sy;
  }
  zmat_delta = step;
  for (int i = 0; i < n_atoms; i++) {
    if (off_lattice((at_r[i].x - xmin) / step) || off_lattice((at_r[i].y - ymin) / step)) {
      zmat_nx = zmat_ny = 0;
      return 0;
    }
  }
  double nx = std::trunc((xmax - xmin + step) / step + 0.5);
  double ny = std::trunc((ymax - ymin + step) / step + 0.5);
  if (nx > kMaxPoints || ny > kMaxPoints) return 0;
  zmat_nx = (int)nx;
  zmat_ny = (int)ny;
  if ((int64_t)zmat_nx * zmat_ny == n_atoms) return 2;
  if ((int64_t)zmat_nx * zmat_nx == n_atoms) {
    zmat_ny = zmat_nx;
    return 2;
  }
  return 0;
}

void change_xy() {
  int nx = zmat_nx, ny = zmat_ny;
  if (nx <= 0 || ny <= 0 || (int64_t)nx * ny > n_atoms) return;
  int64_t n = (int64_t)nx * ny;
  point3* copy = (point3*)scene_malloc((uint64_t)n * sizeof(point3));
  if (!copy) return;
  memcpy(copy, at_r, (size_t)n * sizeof(point3));
  // Runs of the fast axis become columns: x-fastest runs are nx long, y-fastest runs ny long.
  int run = zmat_varyx ? nx : ny, runs = zmat_varyx ? ny : nx;
  for (int j = 0; j < runs; j++)
    for (int i = 0; i < run; i++) at_r[(int64_t)i * runs + j] = copy[(int64_t)j * run + i];
  free(copy);
  zmat_varyx = !zmat_varyx;
}

}  // namespace scene3d
