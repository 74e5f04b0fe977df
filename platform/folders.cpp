#include "platform/folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

int plat_chdir(const char* dir) { return chdir(dir) == 0 ? 0 : -1; }

bool plat_getcwd(std::string* out) {
  out->clear();
  char* cwd = getcwd(nullptr, 0);  // sized by the C library, so no length limit applies
  if (!cwd) return false;
  *out = cwd;
  free(cwd);
  return true;
}

namespace {

bool is_folder(DIR* d, const dirent* e) {
  if (e->d_type == DT_DIR) return true;
  if (e->d_type != DT_UNKNOWN && e->d_type != DT_LNK) return false;
  struct stat st;
  return fstatat(dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int plat_list_files(const char* dir, const std::function<int(const char* name)>& add) {
  DIR* d = opendir(dir);
  if (!d) return -1;
  int result = 0;
  for (;;) {
    errno = 0;
    const dirent* e = readdir(d);
    if (!e) {
      if (errno != 0) result = -1;
      break;
    }
    if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
    if (is_folder(d, e)) continue;
    result = add(e->d_name);
    if (result != 0) break;
  }
  closedir(d);
  return result;
}
