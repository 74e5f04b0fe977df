#include "platform/bands.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

int is9xline = 0;
int plat_fail_thread_starts = 0;

void run_bands(int n, const std::function<void(int)>& band) {
  if (n < 1) return;
  if (is9xline || n == 1) {
    for (int k = 0; k < n; k++) band(k);
    return;
  }
  std::vector<std::thread> workers;
  workers.reserve(n - 1);
  for (int k = 1; k < n; k++) {
    bool started = false;
    if (plat_fail_thread_starts > 0) {
      plat_fail_thread_starts--;
    } else {
      try {
        workers.emplace_back(band, k);
        started = true;
      } catch (const std::system_error&) {
      }
    }
    if (!started) band(k);
  }
  band(0);
  for (auto& t : workers) t.join();
}

void run_pieces(int n, int size, int workers, const std::function<void(int, int)>& piece) {
  if (n < 1) return;
  if (size < 1) size = 1;
  std::atomic<int> next{0};
  run_bands(workers, [&](int) {
    for (;;) {
      int begin = next.fetch_add(size, std::memory_order_relaxed);
      if (begin >= n) return;
      piece(begin, n - begin < size ? n : begin + size);
    }
  });
}

int plat_processor_count() {
  unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? (int)n : 1;
}
