#include "platform/env.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int plat_getenv(const char* name, char* buf, int size) {
  if (!buf || size <= 0) return 0;
  buf[0] = 0;
  const char* v = getenv(name);
  char tmp[32];
  if (!v && strcmp(name, "NUMBER_OF_PROCESSORS") == 0) {
    long n = sysconf(_SC_NPROCESSORS_ONLN);
    snprintf(tmp, sizeof tmp, "%ld", n > 0 ? n : 1);
    v = tmp;
  }
  if (!v) return 0;
  int len = (int)strlen(v);
  if (len > size - 1) len = size - 1;
  memcpy(buf, v, len);
  buf[len] = 0;
  return len;
}

int plat_worker_count(int fallback, int max) {
  char buf[32];
  int n = fallback;
  if (plat_getenv("NUMBER_OF_PROCESSORS", buf, sizeof buf) > 0) {
    char* end = nullptr;
    long v = strtol(buf, &end, 10);
    if (end != buf) n = v > 1000 ? 1000 : (int)v;
  }
  if (n > max) n = max;
  if (n < 1) n = 1;
  return n;
}
