#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

PlatReadResult plat_read_whole(const char* path, int64_t max_bytes,
                               const std::function<unsigned char*(int64_t length)>& room,
                               int64_t* length, int64_t* got) {
  *length = *got = 0;
  struct stat st;
  if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return PLAT_READ_CANNOT_OPEN;
  FILE* f = fopen(path, "rb");
  if (!f) return PLAT_READ_CANNOT_OPEN;
  struct stat fst;
  if (fstat(fileno(f), &fst) != 0 || !S_ISREG(fst.st_mode)) {
    fclose(f);
    return PLAT_READ_CANNOT_OPEN;
  }
  const int64_t len = (int64_t)fst.st_size;
  *length = len;
  if (len > max_bytes) {
    fclose(f);
    return PLAT_READ_TOO_LARGE;
  }
  unsigned char* block = room(len);
  if (!block) {
    fclose(f);
    return PLAT_READ_NO_ROOM;
  }
  const int64_t n = len > 0 ? (int64_t)fread(block, 1, (size_t)len, f) : 0;
  fclose(f);
  if (n < len) memset(block + n, 0, (size_t)(len - n));
  *got = n;
  return PLAT_READ_OK;
}

FILE* plat_create_beside(const char* name, char* temp, int size) {
  // A short name of its own, so that a target name near the length limit still has room.
  const char* slash = strrchr(name, '/');
  std::string t = slash ? std::string(name, slash + 1 - name) : std::string();
  t += ".suncalc.XXXXXX";
  if (size <= 0 || t.size() >= (size_t)size) return nullptr;
  snprintf(temp, size, "%s", t.c_str());
  int fd = mkstemp(temp);
  if (fd < 0) return nullptr;
  struct stat st;
  mode_t mode;
  if (stat(name, &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  FILE* f = fchmod(fd, mode) == 0 ? fdopen(fd, "wb") : nullptr;
  if (!f) {
    close(fd);
    unlink(temp);
  }
  return f;
}

int plat_replace_with(FILE* f, const char* temp, const char* name) {
  bool written = fflush(f) == 0 && !ferror(f);
  written = fclose(f) == 0 && written;
  if (written && rename(temp, name) == 0) return 0;
  unlink(temp);
  return -1;
}

void plat_discard(FILE* f, const char* temp) {
  fclose(f);
  unlink(temp);
}
