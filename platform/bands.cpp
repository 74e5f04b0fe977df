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

void run_beside(const std::function<void()>& maker, const std::function<void()>& user) {
  std::thread worker;
  bool started = false;
  if (plat_fail_thread_starts > 0) {
    plat_fail_thread_starts--;
  } else if (!is9xline) {
    try {
      worker = std::thread(maker);
      started = true;
    } catch (const std::system_error&) {
    }
  }
  if (!started) maker();
  user();
  if (started) worker.join();
}

void RowsMade::mark(int y0, int y1) {
  {
    std::lock_guard<std::mutex> lock(m_);
    const int n = (int)done_.size();
    for (int y = y0 < 0 ? 0 : y0; y < y1 && y < n; y++) done_[y] = 1;
    while (upto_ < n && done_[upto_]) upto_++;
  }
  cv_.notify_all();
}

int RowsMade::wait(int y) {
  std::unique_lock<std::mutex> lock(m_);
  const int last = (int)done_.size() - 1;
  cv_.wait(lock, [&] { return upto_ > (y < last ? y : last); });
  return upto_;
}

int RowsMade::made() {
  std::lock_guard<std::mutex> lock(m_);
  return upto_;
}

bool RowPieces::make_next() {
  const int y0 = next_.fetch_add(size_, std::memory_order_relaxed);
  if (y0 >= n_) return false;
  const int y1 = n_ - y0 < size_ ? n_ : y0 + size_;
  make_(y0, y1);
  made_.mark(y0, y1);
  return true;
}

// Pieces are taken in order: once the piece holding row y is taken, it is being made by a worker
// that runs. Until then the reader makes pieces up to it itself, and no others, which would keep
// it from rows that other workers may finish meanwhile.
int RowPieces::wait(int y) {
  while (made_.made() <= y && next_.load(std::memory_order_relaxed) <= y && make_next()) {
  }
  return made_.wait(y);
}

int plat_processor_count() {
  unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? (int)n : 1;
}
