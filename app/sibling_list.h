// The files of the current file's folder in natural order (numbers inside names compared by
// value), for stepping to the previous or next one.
#pragma once

// The list, process-wide. dir_s holds the names, each slot its own whole copy; dir_sort the
// order of the slots; dir_n the number of names; dir_alloc the capacity in slots (both blocks),
// -1 when no storage exists. Storage starts at 64 slots and grows by 64.
extern char** dir_s;
extern int* dir_sort;
extern int dir_n;
extern int dir_alloc;

// Test hook: when set, growing the list fails as if memory were short.
extern int fail_dir_growth;

// Appends a copy of name (slot dir_n, order entry dir_n = dir_n) and counts it. Returns 0, or -1
// after printing "mem err" when the storage cannot grow; the list is then as it was.
int add_dir_entry(const char* name);

// The name at sorted position i; slot 0 for a position outside 0 .. dir_n - 1, and "" when the
// list is empty.
const char* get_dir_entry(int i);

// Empties the list and frees its storage (count 0, capacity -1).
void free_dir_list();

// Natural order of two names. Runs of decimal digits compare by value (leading zeros skipped,
// any length), before any other character above '9' and after any below '0'; other bytes compare
// as unsigned bytes, and a name that is a prefix of the other sorts first. Names equal in that
// sense ("x01", "x1") are ordered by their bytes, so only equal names compare equal.
// Negative, 0 or positive.
int natural_compare(const char* a, const char* b);

// natural_compare of the names in the slots that two entries of dir_sort name (for qsort).
int file_compare(const void* a, const void* b);

// Sorts dir_sort by file_compare.
void sort_dir_list();
