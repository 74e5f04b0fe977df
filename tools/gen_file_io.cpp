#include "tools/gen_file_io.h"

#include <cstdio>

bool read_whole_file(const char* path, std::vector<unsigned char>* out) {
  FILE* f = fopen(path, "rb");
  if (!f) {
    perror(path);
    return false;
  }
  unsigned char buf[1 << 16];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
  bool ok = !ferror(f);
  fclose(f);
  if (!ok) perror(path);
  return ok;
}

bool write_file_atomic(const std::string& path, const void* data, size_t bytes) {
  std::string tmp = path + ".tmp";
  FILE* f = fopen(tmp.c_str(), "wb");
  bool ok = f && fwrite(data, 1, bytes, f) == bytes;
  if (f && fclose(f) != 0) ok = false;
  if (ok && rename(tmp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    perror(path.c_str());
    remove(tmp.c_str());
  }
  return ok;
}

bool write_blob(const std::string& dir, const char* name, const std::vector<unsigned char>& data) {
  return write_file_atomic(dir + "/" + name, data.data(), data.size());
}
