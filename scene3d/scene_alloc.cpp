#include "scene3d/scene_alloc.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace scene3d {

int fail_alloc_at = 0;

namespace {

bool injected_failure() {
  if (fail_alloc_at <= 0) return false;
  return --fail_alloc_at == 0;
}

}  // namespace

void* scene_malloc(uint64_t bytes) {
  if (injected_failure()) return nullptr;
  if (bytes > SIZE_MAX / 2) return nullptr;
  return malloc(bytes ? (size_t)bytes : 1);
}

void* scene_calloc(uint64_t count, uint64_t size) {
  if (size && count > UINT64_MAX / size) return nullptr;
  void* p = scene_malloc(count * size);
  if (p) memset(p, 0, (size_t)(count * size));
  return p;
}

}  // namespace scene3d
