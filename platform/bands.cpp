#include "platform/bands.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
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

namespace {

// One split in progress. The counts are guarded by the pool's mutex; next hands out the chunks.
struct ChunkJob {
  const std::function<void(int)>* work;
  int chunks;
  int helpers_wanted;
  int helpers_joined = 0, helpers_busy = 0;
  std::atomic<int> next{0};
};

struct ChunkPool {
  std::mutex m;
  std::condition_variable wake, idle;
  ChunkJob* job = nullptr;
  int threads = 0;
};

// Never destroyed: its workers wait in it until the process ends.
ChunkPool& chunk_pool() {
  static ChunkPool* pool = new ChunkPool;
  return *pool;
}

// Set on the workers, and on a caller while it runs chunks: a split asked for there runs alone.
thread_local bool inside_chunk = false;

void take_chunks(ChunkJob& job) {
  for (int j; (j = job.next.fetch_add(1, std::memory_order_relaxed)) < job.chunks;) (*job.work)(j);
}

void chunk_worker(ChunkPool* pool) {
  inside_chunk = true;
  std::unique_lock<std::mutex> lock(pool->m);
  for (;;) {
    pool->wake.wait(lock, [pool] {
      ChunkJob* job = pool->job;
      return job && job->helpers_joined < job->helpers_wanted &&
             job->next.load(std::memory_order_relaxed) < job->chunks;
    });
    ChunkJob* job = pool->job;
    job->helpers_joined++;
    job->helpers_busy++;
    lock.unlock();
    take_chunks(*job);
    lock.lock();
    if (--job->helpers_busy == 0) pool->idle.notify_all();
  }
}

}  // namespace

void run_chunks(int chunks, int threads, const std::function<void(int)>& work) {
  if (chunks < 1) return;
  ChunkPool& pool = chunk_pool();
  std::unique_lock<std::mutex> lock(pool.m, std::defer_lock);
  bool alone = is9xline || threads < 2 || chunks < 2 || inside_chunk;
  if (!alone) {
    lock.lock();
    alone = pool.job != nullptr;
  }
  if (alone) {
    if (lock.owns_lock()) lock.unlock();
    for (int j = 0; j < chunks; j++) work(j);
    return;
  }
  const int helpers = std::min(threads, chunks) - 1;
  while (pool.threads < helpers) {
    if (plat_fail_thread_starts > 0) {
      plat_fail_thread_starts--;
      break;
    }
    try {
      std::thread(chunk_worker, &pool).detach();
    } catch (const std::system_error&) {
      break;
    }
    pool.threads++;
  }
  ChunkJob job{&work, chunks, helpers};
  pool.job = &job;
  lock.unlock();
  pool.wake.notify_all();
  inside_chunk = true;
  take_chunks(job);
  inside_chunk = false;
  lock.lock();
  // No worker joins from here on; the ones that did finish their chunks before the split returns.
  pool.job = nullptr;
  pool.idle.wait(lock, [&job] { return job.helpers_busy == 0; });
}

void run_parts(int n, int size, int threads, const std::function<void(int, int, int)>& work) {
  if (n < 1) return;
  if (size < 1) size = 1;
  run_chunks((n - 1) / size + 1, threads, [n, size, &work](int part) {
    const int lo = part * size;
    work(part, lo, n - lo < size ? n : lo + size);
  });
}
