// The renderer's allocator: every block of the store, the colour map, the frame buffers and the
// working storage comes from here, so that a test can make any one of them fail.
#pragma once
#include <cstdint>
#include <cstdlib>

namespace scene3d {

// Test hook: the n-th allocation of the renderer from now fails (0: none fails).
extern int fail_alloc_at;
// The renderer's allocations (malloc and free semantics, a failed one gives null). Sizes are
// 64-bit: a request that does not fit size_t fails.
void* scene_malloc(uint64_t bytes);
void* scene_calloc(uint64_t count, uint64_t size);

// Room for `count` items of `per` T each in working storage that only grows and is refilled by
// every frame: a block of that size, through scene_malloc, when the one there (of `alloc` items)
// is smaller; its contents are not kept. False when it cannot be had: the old block stays.
template <typename T, typename N>
bool scratch_room(T*& block, N& alloc, int64_t count, int per = 1) {
  if (count <= alloc) return true;
  T* p = (T*)scene_malloc((uint64_t)count * (uint64_t)per * sizeof(T));
  if (!p) return false;
  free(block);
  block = p;
  alloc = (N)count;
  return true;
}

}  // namespace scene3d
