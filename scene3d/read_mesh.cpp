#include "scene3d/read_mesh.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "scene3d/abuffer.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/radii.h"
#include "scene3d/scene.h"
#include "scene3d/scene_open.h"
#include "scene3d/shade.h"
#include "view/canvas.h"

namespace scene3d {

char stl_note[256] = "";

namespace {

constexpr int64_t kHeader = 84, kRecord = 50;
// Unrecognised lines echoed on the console for one file; the rest are only counted, so that a
// large text named .stl cannot flood the console.
constexpr int64_t kEchoedLines = 10;

double dist2(const double a[3], const double b[3]) {
  double x = a[0] - b[0], y = a[1] - b[1], z = a[2] - b[2];
  return x * x + y * y + z * z;
}

void midpoint(const double a[3], const double b[3], double m[3]) {
  for (int k = 0; k < 3; k++) m[k] = 0.5 * (a[k] + b[k]);
}

int store_triangle(const double P[3], const double Q[3], const double R[3], const double n[3]) {
  // Room for all three points first: a piece is stored whole or not at all, so point 3k stays the
  // first point of piece k.
  while ((int64_t)atoms_allocated - n_atoms < 3)
    if (!AllocMoreAtoms(0) || atoms_allocated == 0) return 1;
  append_grid_point(P[0], P[1], P[2]);
  append_grid_point(Q[0], Q[1], Q[2]);
  append_grid_point(R[0], R[1], R[2]);
  tri t;
  for (int k = 0; k < 3; k++) t.a[k] = P[k], t.b[k] = Q[k], t.c[k] = R[k], t.n[k] = n[k];
  v.push_back(t);
  return 0;
}

// A coordinate the store can hold: finite once narrowed to float.
bool usable(double c) { return std::isfinite(c) && std::fabs(c) <= FLT_MAX; }

// The normal a facet is shaded with: the file's when it is a unit vector; otherwise the unit
// normal of the vertices in their winding order, unless the facet has no area (then the file's,
// or none when that is not finite).
void settle_normal(const double P[3], const double Q[3], const double R[3], double n[3]) {
  double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (std::isfinite(len) && std::fabs(len - 1) <= 1e-3) return;
  double u[3] = {Q[0] - P[0], Q[1] - P[1], Q[2] - P[2]};
  double w[3] = {R[0] - P[0], R[1] - P[1], R[2] - P[2]};
  double c[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
  double clen = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
  if (clen > 0 && std::isfinite(clen)) {
    for (int k = 0; k < 3; k++) n[k] = c[k] / clen;
  } else if (!std::isfinite(len)) {
    n[0] = n[1] = n[2] = 0;
  }
}

// One facet as read from the file. -1 when left out (a coordinate the store cannot hold), 0 when
// stored, 1 when the store is full.
int add_facet(const double P[3], const double Q[3], const double R[3], const double file_n[3],
              int budget, StlReport* report) {
  for (int k = 0; k < 3; k++)
    if (!usable(P[k]) || !usable(Q[k]) || !usable(R[k])) {
      report->dropped++;
      return -1;
    }
  double n[3] = {file_n[0], file_n[1], file_n[2]};
  settle_normal(P, Q, R, n);
  if (add_triangles(P, Q, R, n, budget)) return 1;
  report->facets++;
  return 0;
}

// Makes room for the facets to come and chooses their budget. The store's cap counts points:
// unsplit, each facet needs three; cut, up to three times its budget. 0, or 1 with the reason.
int size_mesh(int64_t facets, int* budget, StlReport* report) {
  if (3 * facets > kMaxPoints) {
    snprintf(report->why, sizeof report->why, "mesh too large: %lld facets (at most %d)",
             (long long)facets, kMaxPoints / 3);
    return 1;
  }
  *budget = 3 * kFacetBudget * facets > kMaxPoints ? 1 : kFacetBudget;
  if (3 * facets > atoms_allocated && !AllocMoreAtoms(3 * facets)) {
    snprintf(report->why, sizeof report->why, "not enough memory for %lld facets",
             (long long)facets);
    return 1;
  }
  v.reserve((size_t)facets);
  return 0;
}

// The unsigned little-endian 32-bit word at p.
uint32_t le32(const unsigned char* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

// The count at byte 80 (the caller has checked that the header is there).
int64_t record_count(const unsigned char* data) { return (int64_t)le32(data + 80); }

int read_binary(const unsigned char* data, int64_t size, StlReport* report) {
  if (size < kHeader) return 0;
  int64_t count = record_count(data);
  int64_t present = (size - kHeader) / kRecord;
  int64_t n = count < present ? count : present;
  report->missing = count - n;
  int budget = kFacetBudget;
  if (n > 0 && size_mesh(n, &budget, report)) return 1;
  for (int64_t i = 0; i < n; i++) {
    const unsigned char* r = data + kHeader + kRecord * i;
    v3 nv(r), a(r + 12), b(r + 24), d(r + 36);
    double N[3] = {nv.x, nv.y, nv.z}, P[3] = {a.x, a.y, a.z}, Q[3] = {b.x, b.y, b.z},
           R[3] = {d.x, d.y, d.z};
    if (add_facet(P, Q, R, N, budget, report) > 0) {
      snprintf(report->why, sizeof report->why, "not enough memory after %lld facets",
               (long long)report->facets);
      return 1;
    }
  }
  return 0;
}

// Lines of a text block: a line ends at a line feed, and one carriage return before it (or at
// the very end) is not part of it.
struct Lines {
  const char* p;
  const char* end;
  bool next(const char** s, const char** e) {
    if (p >= end) return false;
    const char* nl = (const char*)memchr(p, '\n', (size_t)(end - p));
    const char* stop = nl ? nl : end;
    *s = p;
    *e = stop > p && stop[-1] == '\r' ? stop - 1 : stop;
    p = nl ? nl + 1 : end;
    return true;
  }
};

bool blank(char ch) { return ch == ' ' || ch == '\t'; }

const char* skip_blanks(const char* s, const char* e) {
  while (s < e && blank(*s)) s++;
  return s;
}

// After the keyword at s in any case, or null.
const char* keyword(const char* s, const char* e, const char* word) {
  size_t n = strlen(word);
  if ((size_t)(e - s) < n) return nullptr;
  for (size_t k = 0; k < n; k++) {
    char ch = s[k];
    if (ch >= 'A' && ch <= 'Z') ch = (char)(ch - 'A' + 'a');
    if (ch != word[k]) return nullptr;
  }
  return s + n;
}

// After "facet", blanks and "normal", or null.
const char* facet_keyword(const char* s, const char* e) {
  const char* p = keyword(s, e, "facet");
  if (!p || p >= e || !blank(*p)) return nullptr;
  return keyword(skip_blanks(p, e), e, "normal");
}

// Reads up to three numbers separated by blanks; a number is a token that strtod reads whole.
// Returns how many were read before the first that is not one.
int read_numbers(const char* s, const char* e, double out[3]) {
  char token[64];
  for (int k = 0; k < 3; k++) {
    s = skip_blanks(s, e);
    const char* t = s;
    while (t < e && !blank(*t)) t++;
    size_t n = (size_t)(t - s);
    if (n == 0 || n >= sizeof token) return k;
    memcpy(token, s, n);
    token[n] = 0;
    char* used;
    out[k] = strtod(token, &used);
    if (used != token + n) return k;
    s = t;
  }
  return 3;
}

void echo_unread(const char* s, const char* e, StlReport* report) {
  if (report->unread++ >= kEchoedLines) return;
  int n = e - s > 200 ? 200 : (int)(e - s);
  printf("?>> %.*s\n", n, s);
}

int read_ascii(const unsigned char* data, int64_t size, StlReport* report) {
  const char* text = (const char*)data;
  const char* s;
  const char* e;

  // Triangles need three vertex lines each: an upper bound for sizing before anything is read.
  int64_t vertex_lines = 0;
  Lines count{text, text + size};
  count.next(&s, &e);
  while (count.next(&s, &e))
    if (keyword(skip_blanks(s, e), e, "vertex")) vertex_lines++;
  int budget = kFacetBudget;
  if (vertex_lines >= 3 && size_mesh(vertex_lines / 3, &budget, report)) return 1;

  Lines lines{text, text + size};
  lines.next(&s, &e);  // the solid's name
  double normal[3] = {0, 0, 0}, vert[3][3];
  int corner = 0;
  while (lines.next(&s, &e)) {
    s = skip_blanks(s, e);
    const char* p;
    if (e - s <= 4) {
      echo_unread(s, e, report);
    } else if ((p = facet_keyword(s, e))) {
      if (read_numbers(p, e, normal) < 3) normal[0] = normal[1] = normal[2] = 0;
      corner = 0;
    } else if ((p = keyword(s, e, "vertex"))) {
      double xyz[3];
      if (read_numbers(p, e, xyz) < 3) {
        echo_unread(s, e, report);
        continue;
      }
      if (corner < 3) memcpy(vert[corner], xyz, sizeof xyz);
      if (corner == 2 && add_facet(vert[0], vert[1], vert[2], normal, budget, report) > 0) {
        snprintf(report->why, sizeof report->why, "not enough memory after %lld facets",
                 (long long)report->facets);
        return 1;
      }
      if (corner < 3) corner++;
    } else if (keyword(s, e, "endsolid")) {
      break;
    } else if (!keyword(s, e, "outer") && !keyword(s, e, "endloop") && !keyword(s, e, "endfacet")) {
      echo_unread(s, e, report);
    }
  }
  if (report->unread > kEchoedLines)
    printf("?>> (%lld more lines not understood)\n", (long long)(report->unread - kEchoedLines));
  return 0;
}

bool starts_solid(const unsigned char* data, int64_t size) {
  const char* s = (const char*)data;
  const char* e = s + size;
  while (s < e && (blank(*s) || *s == '\r' || *s == '\n')) s++;
  return keyword(s, e, "solid") != nullptr;
}

bool binary_by_line_feed(const unsigned char* data, int64_t size) {
  return size > 80 && !memchr(data, '\n', 80);
}

// Moves the points so that their mean lies at the origin. The triangles keep the file's
// coordinates: only their normals are read when the mesh is drawn.
void centre_points() {
  if (n_atoms <= 0) return;
  double sum[3] = {0, 0, 0};
  for (int i = 0; i < n_atoms; i++) sum[0] += at_r[i].x, sum[1] += at_r[i].y, sum[2] += at_r[i].z;
  double m[3] = {sum[0] / n_atoms, sum[1] / n_atoms, sum[2] / n_atoms};
  for (int i = 0; i < n_atoms; i++) {
    at_r[i].x = (float)(at_r[i].x - m[0]);
    at_r[i].y = (float)(at_r[i].y - m[1]);
    at_r[i].z = (float)(at_r[i].z - m[2]);
  }
}

}  // namespace

v3::v3(const unsigned char* p) {
  double c[3];
  for (int k = 0; k < 3; k++) {
    uint32_t u = le32(p + 4 * k);
    float f;
    memcpy(&f, &u, 4);
    c[k] = f;
  }
  x = c[0], y = c[1], z = c[2];
}

int OpenStlFile(const char* name) {
  show_surface = 0;
  show_triangles = 1;
  isXYZ2d_mat = 0;
  UseBall = 1;
  v.clear();
  stl_note[0] = 0;
  if (InitMolData() != 1) return scene_fail("memory error (3D scene)");
  StlReport report;
  if (bin_allocated <= 0 || !bin_content)
    return scene_fail("%s: the file is empty", file_part(name));
  if (read_stl(bin_content, bin_allocated, &report))
    return scene_fail("%s: %s", file_part(name), report.why);
  centre_points();
  RadiusElement();
  colSelection = 410;
  ColorUpdate();
  RadMagn = 1;
  ambientterm = 0.4f;
  if (report.missing > 0 || report.dropped > 0) {
    if (report.missing > 0)
      snprintf(stl_note, sizeof stl_note,
               "%s: the file ends early, %lld of %lld facets are missing", file_part(name),
               (long long)report.missing,
               (long long)(report.missing + report.facets + report.dropped));
    else
      snprintf(stl_note, sizeof stl_note, "%s: %lld facets with unusable coordinates left out",
               file_part(name), (long long)report.dropped);
    printf("%s\n", stl_note);
  }
  return 0;
}

int add_triangles(const double P[3], const double Q[3], const double R[3], const double normal[3],
                  int budget) {
  if (budget <= 1) return store_triangle(P, Q, R, normal);
  double a = dist2(P, R), b = dist2(R, Q), c = dist2(P, Q), M[3];
  int half = budget / 2;
  // The comparisons are written so that a coordinate that is not a number stores the triangle
  // instead of cutting it for ever.
  if (a > b && a > c) {
    if (!(a >= 2.5)) return store_triangle(P, Q, R, normal);
    midpoint(P, R, M);
    return add_triangles(P, Q, M, normal, half) || add_triangles(M, Q, R, normal, half);
  }
  if (b > a && b > c) {
    if (!(b >= 2.5)) return store_triangle(P, Q, R, normal);
    midpoint(Q, R, M);
    return add_triangles(P, Q, M, normal, half) || add_triangles(M, R, P, normal, half);
  }
  if (!(c >= 2.5)) return store_triangle(P, Q, R, normal);
  midpoint(P, Q, M);
  return add_triangles(P, M, R, normal, half) || add_triangles(M, Q, R, normal, half);
}

bool stl_is_binary(const unsigned char* data, int64_t size) {
  if (size >= kHeader && kHeader + kRecord * record_count(data) == size) return true;
  if (starts_solid(data, size)) return false;
  return binary_by_line_feed(data, size);
}

int read_stl(const unsigned char* data, int64_t size, StlReport* report) {
  *report = StlReport();
  int failed;
  try {
    if (stl_is_binary(data, size)) {
      failed = read_binary(data, size, report);
    } else {
      failed = read_ascii(data, size, report);
      // A binary file whose header starts with "solid" and whose count does not match (a
      // truncated one): no ASCII facet, but the header says binary.
      if (!failed && report->facets == 0 && binary_by_line_feed(data, size)) {
        report->unread = 0;
        failed = read_binary(data, size, report);
      }
    }
  } catch (const std::bad_alloc&) {
    snprintf(report->why, sizeof report->why, "not enough memory after %lld facets",
             (long long)report->facets);
    failed = 1;
  }
  if (failed) return 1;
  if (report->facets == 0) {
    snprintf(report->why, sizeof report->why, "no facet found: not a mesh");
    return 1;
  }
  return 0;
}

}  // namespace scene3d
