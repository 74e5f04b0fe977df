#include "app/sibling_list.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

char** dir_s = nullptr;
int* dir_sort = nullptr;
int dir_n = 0;
int dir_alloc = -1;
int fail_dir_growth = 0;

namespace {

const int kGrowth = 64;

int grow() {
  if (fail_dir_growth || dir_alloc > 0x7fffffff - kGrowth) return -1;
  const size_t slots = (size_t)(dir_alloc < 0 ? 0 : dir_alloc) + kGrowth;
  char** s = (char**)realloc(dir_s, slots * sizeof *dir_s);
  if (!s) return -1;
  dir_s = s;  // the old block is gone either way; keep what the names live in
  int* o = (int*)realloc(dir_sort, slots * sizeof *dir_sort);
  if (!o) return -1;
  dir_sort = o;
  dir_alloc = (int)slots;
  return 0;
}

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

// Compares the digit runs starting at *a and *b by value and moves both past their runs.
int compare_runs(const unsigned char*& a, const unsigned char*& b) {
  while (*a == '0') a++;
  while (*b == '0') b++;
  const unsigned char *ea = a, *eb = b;
  while (is_digit(*ea)) ea++;
  while (is_digit(*eb)) eb++;
  int r = 0;
  if (ea - a != eb - b) {
    r = ea - a < eb - b ? -1 : 1;
  } else {
    for (; a < ea; a++, b++)
      if (*a != *b) {
        r = *a < *b ? -1 : 1;
        break;
      }
  }
  a = ea;
  b = eb;
  return r;
}

}  // namespace

int add_dir_entry(const char* name) {
  if (dir_n >= dir_alloc && grow() != 0) {
    printf("mem err\n");
    return -1;
  }
  char* copy = strdup(name);
  if (!copy) {
    printf("mem err\n");
    return -1;
  }
  dir_s[dir_n] = copy;
  dir_sort[dir_n] = dir_n;
  dir_n++;
  return 0;
}

const char* get_dir_entry(int i) {
  if (dir_n <= 0) return "";
  if (i < 0 || i >= dir_n) i = 0;
  return dir_s[dir_sort[i]];
}

void free_dir_list() {
  for (int i = 0; i < dir_n; i++) free(dir_s[i]);
  free(dir_s);
  free(dir_sort);
  dir_s = nullptr;
  dir_sort = nullptr;
  dir_n = 0;
  dir_alloc = -1;
}

int natural_compare(const char* name_a, const char* name_b) {
  const unsigned char* a = (const unsigned char*)name_a;
  const unsigned char* b = (const unsigned char*)name_b;
  while (*a || *b) {
    if (is_digit(*a) && is_digit(*b)) {
      int r = compare_runs(a, b);
      if (r != 0) return r;
      continue;
    }
    // A run facing any other byte stands where its digits stand among the bytes, which is the
    // same for every digit; the end of a name comes before everything.
    if (*a != *b) return *a < *b ? -1 : 1;
    a++;
    b++;
  }
  int r = strcmp(name_a, name_b);
  return r < 0 ? -1 : r > 0;
}

int file_compare(const void* a, const void* b) {
  return natural_compare(dir_s[*(const int*)a], dir_s[*(const int*)b]);
}

void sort_dir_list() {
  if (dir_n > 1) qsort(dir_sort, (size_t)dir_n, sizeof *dir_sort, file_compare);
}
