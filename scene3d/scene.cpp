#include "scene3d/scene.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "scene3d/colour_map.h"
#include "scene3d/elements.h"
#include "scene3d/frame_state.h"
#include "scene3d/scene_alloc.h"

namespace scene3d {

#define X(type, name) type name{};
SCENE_STORE_FIELDS(X)
#undef X

int LastAtom = 0;
int html_y_start = 0;

namespace {

// The buffers of the content values 3 to 6, which no reader fills; -1: none.
void* PixFrame = nullptr;
int PixSize = -1;
char* text_buf = nullptr;
int text_alloc = -1;
unsigned char* BinContent = nullptr;
int bin_bytes_alloc = -1;
char* htm_page_old = nullptr;
int htm_bytes_alloc_old = -1, htm_size_old = 0;

int first_time_open = 1;

// A block of n entries holding the first `keep` entries of old (old may be null) and `fill` in
// the rest; null when it cannot be allocated.
template <typename T>
T* resized(const T* old, int64_t keep, int64_t n, T fill) {
  T* p = (T*)scene_malloc((uint64_t)n * sizeof(T));
  if (!p) return nullptr;
  if (keep > n) keep = n;
  if (old && keep > 0) memcpy(p, old, (size_t)keep * sizeof(T));
  for (int64_t k = keep > 0 ? keep : 0; k < n; k++) p[k] = fill;
  return p;
}

// Makes an optional list hold at least `need` entries: `cap` entries when it must grow.
// False when it cannot be allocated (the list stays as it was).
template <typename T>
bool grow_list(T*& list, int& alloc, int64_t need, int64_t cap, T fill) {
  if (need <= alloc) return true;
  if (cap < need) cap = need;
  T* p = resized(list, alloc, cap, fill);
  if (!p) return false;
  free(list);
  list = p;
  alloc = (int)cap;
  return true;
}

// The lists' growth when entry i lies beyond the capacity: `step` more entries, or i + `extra`
// when that is still not enough.
int64_t grown(int alloc, int step, int i, int extra) {
  int64_t g = (int64_t)alloc + step;
  return g > i ? g : (int64_t)i + extra;
}

// An index that no list may grow to (the sums below then stay far inside int).
bool bad_index(int i) { return i < 0 || i >= kMaxPoints; }

template <typename T>
void free_list(T*& list, int& flag, int& alloc) {
  free(list);
  list = nullptr;
  flag = 0;
  alloc = 0;
}

}  // namespace

int AllocMoreAtoms(int64_t size) {
  int64_t cap;
  if (atoms_allocated == 0) {
    cap = size > 0 ? size : 8192;
  } else if (size <= 0) {
    if (n_atoms == 0) return 1;
    cap =
        atoms_allocated > 99999 ? (int64_t)atoms_allocated + 300000 : 3 * (int64_t)atoms_allocated;
    if (cap > kMaxPoints) cap = kMaxPoints;
    if (cap <= atoms_allocated) return 0;
  } else {
    cap = size;
  }
  if (cap > kMaxPoints) return 0;

  // New blocks first: when any fails, the arrays stay as they were.
  int64_t keep = atoms_allocated;
  render_rec* a = resized(at, keep, cap, render_rec{});
  point3* r = a ? resized(at_r, keep, cap, point3{}) : nullptr;
  float* rad = r ? resized(at_rad, keep, cap, 0.0f) : nullptr;
  int8_t* el = rad ? resized(at_el, keep, cap, (int8_t)0) : nullptr;
  if (!el) {
    free(a);
    free(r);
    free(rad);
    return 0;
  }
  free(at);
  free(at_r);
  free(at_rad);
  free(at_el);
  at = a, at_r = r, at_rad = rad, at_el = el;
  atoms_allocated = (int)cap;
  if (n_atoms > atoms_allocated) n_atoms = atoms_allocated;
  return 1;
}

int AddBall(int ordinal, double x, double y, double z) {
  if (n_atoms < 0 || n_atoms > atoms_allocated) return 1;
  if (n_atoms == atoms_allocated && !AllocMoreAtoms(0)) return 1;
  int i = n_atoms;
  at_el[i] = (int8_t)ordinal;
  at_r[i] = point3{(float)x, (float)y, (float)z};
  if (have_groups && i < alloc_groups) group[i] = 0;
  int a = ordinal < 0 ? -ordinal : ordinal;
  if (content == 1) at_rad[i] = a >= 1 && a <= 103 ? ElemRad[a] : 1.0f;
  // Every point has a valid colour from the start, also when no scheme runs over it later.
  render_rec rec{};
  rec.col = (uint16_t)((int8_t)ordinal < 0 ? startSpec : startElem + (a <= 103 ? a : 0));
  at[i] = rec;
  return 0;
}

int append_grid_point(double x, double y, double z) {
  if (AddBall(100, x, y, z) != 0) return 1;
  n_atoms++;
  if (have_charges) set_zero_charge(n_atoms - 1);
  return 0;
}

int InitMolData() {
  if (content == 1 && atoms_allocated) FreeAtoms();
  ClearColor();
  SetContent(1);
  is_bin = is_txt = is_html = isGlass = isHgt = have_gra2d = isApollonius = 0;
  n_bonds = 0;
  n_atoms = 0;
  if (first_time_open) {
    camera_pos = -100;
    first_time_open = 0;
  }
  return AllocMoreAtoms(0);
}

void rm_bonds() {
  free(bond);
  bond = nullptr;
  n_bonds = max_bonds = 0;
}
void free_group() { free_list(group, have_groups, alloc_groups); }
void free_shapely() { free_list(shapely, have_shapely, alloc_shapely); }
void free_temperature() { free_list(temperature, have_temperature, alloc_temperature); }
void free_usercol() { free_list(usercol, have_usercol, alloc_usercol); }
void free_charge() { free_list(charge, have_charges, alloc_charge); }
void free_backbone() { free_list(backbones, have_backbone, alloc_backbone); }

void FreeAtoms() {
  if (!atoms_allocated) return;
  rm_bonds();
  free(at);
  free(at_r);
  free(at_el);
  free(at_rad);
  at = nullptr, at_r = nullptr, at_el = nullptr, at_rad = nullptr;
  free_group();
  free_shapely();
  free_temperature();
  free_usercol();
  free_charge();
  free_backbone();
  n_atoms = atoms_allocated = 0;
}

void FreePix() {
  if (PixSize == -1) return;
  free(PixFrame);
  PixFrame = nullptr;
  PixSize = -1;
}
void FreeTxt() {
  if (text_alloc == -1) return;
  free(text_buf);
  text_buf = nullptr;
  text_alloc = -1;
}
void FreeBin() {
  if (bin_bytes_alloc == -1) return;
  free(BinContent);
  BinContent = nullptr;
  bin_bytes_alloc = -1;
}
void FreeHtmOld() {
  if (htm_bytes_alloc_old == -1) return;
  free(htm_page_old);
  htm_page_old = nullptr;
  htm_bytes_alloc_old = -1;
  htm_size_old = 0;
}

void SetContent(int value) {
  if (value != content) {
    switch (content) {
      case 1:
        FreeAtoms();
        break;
      case 3:
        FreePix();
        break;
      case 4:
        FreeTxt();
        break;
      case 5:
        FreeBin();
        break;
      case 6:
        FreeHtmOld();
        break;
    }
    html_y_start = 0;
  }
  content = value;
  is_bin = value == 5;
  is_txt = value == 4;
  is_html = value == 6;
  have_gra2d = value >= 3 && value <= 6;
  isGlass = isHgt = 0;
}

int GetContent() { return content; }

int get_group(int i) { return have_groups && i >= 0 && i < alloc_groups ? group[i] : 0; }
float get_charge(int i) { return have_charges && i >= 0 && i < alloc_charge ? charge[i] : 0; }
float get_temperature(int i) {
  return have_temperature && i >= 0 && i < alloc_temperature ? temperature[i] : 0;
}
int get_usercol(int i) { return have_usercol && i >= 0 && i < alloc_usercol ? usercol[i] : 0; }
void set_zero_group(int i) {
  if (have_groups && i >= 0 && i < alloc_groups) group[i] = 0;
}
void set_zero_usercol(int i) {
  if (have_usercol && i >= 0 && i < alloc_usercol) usercol[i] = 0;
}
void set_group(int, int, int) {}

void set_charge(int i, float q) {
  if (i < 0 || i >= n_atoms) return;
  if (!have_charges) {
    if (q == 0) return;
    if (!grow_list(charge, alloc_charge, n_atoms, n_atoms, 0.0f)) return;
    have_charges = 1;
  }
  if (!grow_list(charge, alloc_charge, (int64_t)i + 1, grown(alloc_charge, 128, i, 128), 0.0f))
    return;
  charge[i] = q;
}

void set_zero_charge(int i) {
  if (i < 0 || i >= n_atoms || !have_charges) return;
  if (!grow_list(charge, alloc_charge, (int64_t)i + 1, grown(alloc_charge, 128, i, 128), 0.0f))
    return;
  charge[i] = 0;
}

int ensure_charges() {
  int64_t n = n_atoms > 0 ? n_atoms : 1;
  if (!grow_list(charge, alloc_charge, n, n, 0.0f)) return 1;
  have_charges = 1;
  return 0;
}

void set_temperature(int i, float t) {
  if (bad_index(i)) return;
  if (!have_temperature) {
    if (t <= 0) return;
    int64_t n = n_atoms > i + 1 ? n_atoms : i + 1;
    if (!grow_list(temperature, alloc_temperature, n, n, 0.0f)) return;
    have_temperature = 1;
  }
  if (!grow_list(temperature, alloc_temperature, (int64_t)i + 1,
                 grown(alloc_temperature, 4096, i, 100), 0.0f))
    return;
  temperature[i] = t;
}

void set_usercol(int i, int c) {
  if (bad_index(i)) return;
  if (!have_usercol) {
    int64_t n = i < n_atoms ? n_atoms : i + 1;
    if (!grow_list(usercol, alloc_usercol, n, n, (uint16_t)0)) return;
    have_usercol = 1;
  }
  if (!grow_list(usercol, alloc_usercol, (int64_t)i + 1, grown(alloc_usercol, 4096, i, 1),
                 (uint16_t)0))
    return;
  usercol[i] = (uint16_t)c;
}

void set_shapely_i(int i, int code) {
  if (bad_index(i)) return;
  if (!have_shapely) {
    if (code == 30) return;
    int64_t n = n_atoms > i + 1 ? n_atoms : i + 1;
    if (!grow_list(shapely, alloc_shapely, n, n, (uint8_t)30)) return;
    have_shapely = 1;
  }
  if (!grow_list(shapely, alloc_shapely, (int64_t)i + 1, grown(alloc_shapely, 8192, i, 100),
                 (uint8_t)30))
    return;
  shapely[i] = (uint8_t)code;
}

void add_backbone(int i) {
  if (!grow_list(backbones, alloc_backbone, (int64_t)have_backbone + 1,
                 grown(alloc_backbone, 400, have_backbone, 400), 0))
    return;
  backbones[have_backbone++] = i;
}

void copy_atom(int dst, int src) {
  if (dst < 0 || src < 0 || dst >= atoms_allocated || src >= atoms_allocated) return;
  at[dst] = at[src];
  at_r[dst] = at_r[src];
  at_el[dst] = at_el[src];
  at_rad[dst] = at_rad[src];
  if (have_temperature) {
    float t = get_temperature(src);
    if (grow_list(temperature, alloc_temperature, (int64_t)dst + 1,
                  grown(alloc_temperature, 4096, dst, 100), 0.0f))
      temperature[dst] = t;
  }
  set_usercol(dst, get_usercol(src));
  if (have_charges && dst < n_atoms) {
    float q = get_charge(src);
    if (grow_list(charge, alloc_charge, (int64_t)dst + 1, grown(alloc_charge, 128, dst, 128), 0.0f))
      charge[dst] = q;
  }
}

int DelSelected() {
  int c = n_atoms;
  for (int i = 0; i < c; i++) {
    while (i < c && at_el[i] < 0) {
      int last = c - 1;
      copy_atom(i, last);
      int k = 0;
      for (int b = 0; b < n_bonds; b++)
        if (bond[b].lo != i && bond[b].hi != i) bond[k++] = bond[b];
      n_bonds = k;
      for (int b = 0; b < n_bonds; b++) {
        if (bond[b].lo == last) bond[b].lo = i;
        if (bond[b].hi == last) bond[b].hi = i;
        if (bond[b].lo > bond[b].hi) std::swap(bond[b].lo, bond[b].hi);
      }
      c--;
    }
  }
  n_atoms = c;
  return c;
}

void ChangeMenuItem(int* item, int value, void*) {
  if (item) *item = value;
}

namespace {

// Exchanges each global of the store with the field of s that bears its name.
void swap_store(StoreState& s) {
  using std::swap;
#define X(type, name) swap(name, s.name);
  SCENE_STORE_FIELDS(X)
#undef X
}

// Gives back what one field holds and leaves it as a new store has it.
template <typename T>
void release(T*& block) {
  free(block);
  block = nullptr;
}
void release(int& count) { count = 0; }
template <typename T>
void release(std::vector<T>& list) {
  std::vector<T>().swap(list);
}

}  // namespace

StoreState store_take() {
  StoreState s;
  swap_store(s);
  return s;
}

void store_free(StoreState& s) {
#define X(type, name) release(s.name);
  SCENE_STORE_FIELDS(X)
#undef X
}

void store_put(StoreState& s) {
  StoreState old = store_take();
  store_free(old);
  swap_store(s);
}

}  // namespace scene3d
