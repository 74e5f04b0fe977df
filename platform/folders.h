// Folders: the process's current one and the files one holds.
#pragma once
#include <functional>
#include <string>

// Makes `dir` the process's current folder. Returns 0, or -1 when it cannot be entered.
int plat_chdir(const char* dir);

// The process's current folder as an absolute path (any length). False when it cannot be read
// (it was removed, say); *out is then empty.
bool plat_getcwd(std::string* out);

// Calls add(name) for every entry of folder `dir` except "." and ".." that is not itself a
// folder. A link counts as what it points to (a dangling one as a file); where the folder does
// not record an entry's type, the file is asked. The order is the folder's own. When add returns
// non-zero the listing stops and that value is returned; otherwise 0, or -1 when the folder
// cannot be read.
int plat_list_files(const char* dir, const std::function<int(const char* name)>& add);
