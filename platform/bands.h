// Band workers: one computation split into n bands (or handed out in pieces) that run in parallel
// and are all finished when the call returns. The only place that starts threads.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

// When set, every split runs its bands one after another on the caller, in band order (the
// sequential path of old single-processor systems; tests compare it with the threaded one).
extern int is9xline;

// Test hook: the next this-many thread starts fail, so the caller must run those bands itself.
extern int plat_fail_thread_starts;

// Runs band(k) for k = 0 .. n-1. Bands 1 .. n-1 start on threads in that order, band 0 runs on the
// caller, then the caller waits for all of them (no time-out). A thread that cannot be started has
// its band run on the caller at once. n < 1 runs nothing.
void run_bands(int n, const std::function<void(int)>& band);

// Runs piece(begin, end) for the items 0 .. n-1 in pieces of `size` items, handed out in order to
// `workers` band workers (run_bands) as each comes free, so that slow pieces do not hold the
// others up. The split must not change the result: each piece writes only its own items.
void run_pieces(int n, int size, int workers, const std::function<void(int, int)>& piece);

// Runs `maker` on a band worker while `user` runs on the caller, and returns when both are done.
// The user may wait for what the maker makes, never the other way round: when the thread cannot
// be started (or under is9xline) the maker runs to its end on the caller before the user.
void run_beside(const std::function<void()>& maker, const std::function<void()>& user);

// Which rows of a picture are finished, for a reader that takes them in order while writers
// finish them in any order.
class RowsMade {
 public:
  explicit RowsMade(int rows) : done_(rows > 0 ? rows : 0, 0) {}
  // Rows y0 .. y1-1 are final.
  void mark(int y0, int y1);
  // Returns once row y is final (at once for a row past the last): how many rows from the top
  // are, more than y.
  int wait(int y);
  // How many rows from the top are final now.
  int made();

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<char> done_;
  int upto_ = 0;
};

// Rows 0 .. n-1 made by make(y0, y1) in pieces of `size` rows, taken in order by the band workers
// that call work() and finished in any order. A reader that waits for a row whose piece nobody
// has taken yet makes it itself, so it never waits on a band that has not started: the bands may
// start in any order, fail to start, or run one after another.
class RowPieces {
 public:
  RowPieces(int n, int size, const std::function<void(int, int)>& make)
      : n_(n > 0 ? n : 0), size_(size < 1 ? 1 : size), made_(n), make_(make) {}
  // Makes pieces until none is left to take.
  void work() {
    while (make_next()) {
    }
  }
  // RowsMade::wait, making untaken pieces meanwhile.
  int wait(int y);

 private:
  bool make_next();
  const int n_, size_;
  std::atomic<int> next_{0};
  RowsMade made_;
  const std::function<void(int, int)> make_;
};

// The processors online, at least 1.
int plat_processor_count();

// Runs work(j) once for every chunk j = 0 .. chunks-1 on the caller and on up to threads - 1 kept
// worker threads, each taking the next chunk as it comes free; returns when every chunk is done.
// Unlike run_pieces, no thread is started per call, and the caller never waits for a worker that
// has not begun a chunk: a busy machine slows a split down only by the cores it really lends. The
// workers are started on first need (plat_fail_thread_starts counts against them; without workers
// the caller does every chunk) and kept for the process. With is9xline set, threads < 2, inside a
// chunk, or while another thread's split runs, the chunks run in order on the caller.
void run_chunks(int chunks, int threads, const std::function<void(int)>& work);
// run_chunks over items 0 .. n-1 cut into parts of `size` items in order: work(part, lo, hi)
// for the items lo .. hi - 1 of each part (lo = part * size).
void run_parts(int n, int size, int threads, const std::function<void(int, int, int)>& work);
