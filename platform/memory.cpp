#include "platform/memory.h"

#include <sys/mman.h>

#include <cstdlib>

void* plat_alloc_large(size_t n) {
  const size_t huge = size_t(2) << 20;
  if (n < 4 * huge) return malloc(n ? n : 1);
  size_t rounded = (n + huge - 1) / huge * huge;
  if (rounded < n) return nullptr;
  void* p = aligned_alloc(huge, rounded);
  if (p) madvise(p, rounded, MADV_HUGEPAGE);  // only advice: a refusal changes nothing
  return p;
}
