#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/bands.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/env.h"
#include "support/time_zone.h"

TEST(Bands, EveryBandRunsOnceAndTheCallerTakesBandZero) {
  for (int n : {1, 2, 3, 8}) {
    std::vector<std::atomic<int>> runs(n);
    std::vector<std::thread::id> who(n);
    std::mutex m;
    run_bands(n, [&](int k) {
      runs[k]++;
      std::lock_guard<std::mutex> g(m);
      who[k] = std::this_thread::get_id();
    });
    for (int k = 0; k < n; k++) EXPECT_EQ(runs[k].load(), 1) << n << " " << k;
    EXPECT_EQ(who[0], std::this_thread::get_id());
  }
  run_bands(0, [](int) { FAIL(); });
}

TEST(Bands, SequentialPathRunsInOrderOnTheCaller) {
  is9xline = 1;
  std::vector<int> order;
  run_bands(4, [&](int k) {
    EXPECT_EQ(std::this_thread::get_id(), std::this_thread::get_id());
    order.push_back(k);
  });
  is9xline = 0;
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
}

TEST(Bands, AThreadThatCannotStartHasItsBandRunOnTheCaller) {
  plat_fail_thread_starts = 2;
  std::vector<std::atomic<int>> runs(4);
  std::vector<std::thread::id> who(4);
  std::mutex m;
  run_bands(4, [&](int k) {
    runs[k]++;
    std::lock_guard<std::mutex> g(m);
    who[k] = std::this_thread::get_id();
  });
  for (int k = 0; k < 4; k++) EXPECT_EQ(runs[k].load(), 1);
  EXPECT_EQ(who[1], std::this_thread::get_id());  // the first two starts failed
  EXPECT_EQ(who[2], std::this_thread::get_id());
  EXPECT_EQ(plat_fail_thread_starts, 0);
}

// Pieces cover every item exactly once, whatever the item count, piece size and worker count,
// also when workers cannot start or run one after another.
TEST(Bands, PiecesCoverEveryItemOnce) {
  struct Case {
    int n, size, workers, failing, sequential;
  } cases[] = {{0, 8, 4, 0, 0},   {1, 8, 4, 0, 0},  {800, 8, 8, 0, 0}, {801, 8, 3, 0, 0},
               {7, 100, 16, 0, 0}, {50, 1, 16, 0, 0}, {99, 0, 2, 0, 0},  {64, 8, 4, 3, 0},
               {64, 8, 4, 0, 1}};
  for (const Case& c : cases) {
    std::vector<std::atomic<int>> seen(c.n);
    plat_fail_thread_starts = c.failing;
    is9xline = c.sequential;
    run_pieces(c.n, c.size, c.workers, [&](int b, int e) {
      EXPECT_LT(b, e);
      for (int i = b; i < e; i++) seen[i]++;
    });
    is9xline = 0;
    plat_fail_thread_starts = 0;
    for (int i = 0; i < c.n; i++) ASSERT_EQ(seen[i].load(), 1) << "item " << i << " of " << c.n;
  }
  EXPECT_GE(plat_processor_count(), 1);
}

// The maker runs beside the caller, or, when it cannot, to its end before the caller's part: the
// user's waits for rows always end.
TEST(Bands, AMakerBesideTheCallerMakesWhatTheCallerWaitsFor) {
  struct Case {
    const char* what;
    int failing, sequential;
    bool beside;
  } cases[] = {{"threads", 0, 0, true}, {"no thread", 1, 0, false}, {"one after another", 0, 1, false}};
  const int rows = 300;
  for (const Case& c : cases) {
    RowsMade made(rows);
    std::thread::id maker_thread, user_thread;
    int made_before_use = -1;
    std::vector<int> seen;
    plat_fail_thread_starts = c.failing;
    is9xline = c.sequential;
    run_beside(
        [&] {
          maker_thread = std::this_thread::get_id();
          for (int y = 0; y < rows; y += 7) made.mark(y, y + 7);
        },
        [&] {
          user_thread = std::this_thread::get_id();
          made_before_use = made.made();
          for (int y = 0; y < rows; y++) seen.push_back(made.wait(y));
        });
    is9xline = 0;
    plat_fail_thread_starts = 0;
    EXPECT_EQ(user_thread, std::this_thread::get_id()) << c.what;
    EXPECT_EQ(maker_thread != user_thread, c.beside) << c.what;
    if (!c.beside) EXPECT_EQ(made_before_use, rows) << c.what;
    for (int y = 0; y < rows; y++) ASSERT_GT(seen[y], y) << c.what;
    EXPECT_EQ(made.wait(rows + 5), rows);  // past the last row: at once
  }
  RowsMade none(0);
  EXPECT_EQ(none.wait(0), 0);
}

// A reader of rows made in pieces gets every row once it is made, and every row is made once,
// whichever band reads, however many workers there are, and whether they start, fail to start or
// run one after another: a reader never waits on a band that has not started.
TEST(Bands, AReaderOfPiecesNeverWaitsOnABandThatHasNotStarted) {
  struct Case {
    int n, size, workers, failing, sequential, reader;  // reader: the band that reads
  } cases[] = {{300, 16, 4, 0, 0, 4},  {300, 16, 4, 0, 1, 4}, {300, 16, 4, 0, 1, 0},
               {300, 16, 1, 1, 0, 1},  {300, 7, 3, 2, 0, 3},  {300, 16, 3, 3, 0, 3},
               {5, 16, 2, 0, 0, 2},    {1, 1, 2, 0, 0, 0},    {0, 16, 2, 0, 0, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " rows in " << c.size << " on " << c.workers
                                    << ", failing " << c.failing << ", sequential "
                                    << c.sequential << ", reader " << c.reader);
    std::vector<std::atomic<int>> made(c.n);
    RowPieces pieces(c.n, c.size, [&](int y0, int y1) {
      for (int y = y0; y < y1; y++) made[y]++;
    });
    std::vector<int> read;
    plat_fail_thread_starts = c.failing;
    is9xline = c.sequential;
    run_bands(c.workers + 1, [&](int k) {
      if (k != c.reader) return pieces.work();
      for (int y = 0; y < c.n; y++) {
        int upto = pieces.wait(y);
        read.push_back(upto > y && made[y].load() == 1);
      }
    });
    is9xline = 0;
    plat_fail_thread_starts = 0;
    EXPECT_EQ(read, std::vector<int>(c.n, 1));
    for (int y = 0; y < c.n; y++) ASSERT_EQ(made[y].load(), 1) << "row " << y;
  }
}

TEST(Chunks, EveryChunkRunsOnceBeforeTheCallReturns) {
  struct Case {
    int chunks, threads;
  };
  for (Case c : {Case{1, 8}, Case{2, 8}, Case{7, 3}, Case{100, 8}, Case{5, 1}, Case{3, 0}}) {
    std::vector<std::atomic<int>> runs(c.chunks);
    run_chunks(c.chunks, c.threads, [&](int j) {
      // Slow chunks, so that a call that returned early would show.
      if (j % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      runs[j]++;
    });
    for (int j = 0; j < c.chunks; j++)
      EXPECT_EQ(runs[j].load(), 1) << c.chunks << " " << c.threads << " " << j;
  }
  run_chunks(0, 8, [](int) { FAIL(); });
}

TEST(Chunks, SequentialPathAndNestedCallsRunInOrderOnTheCaller) {
  std::vector<int> order;
  is9xline = 1;
  run_chunks(5, 8, [&](int j) { order.push_back(j); });
  is9xline = 0;
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  std::vector<std::atomic<int>> runs(8 * 8);
  run_chunks(8, 8, [&](int j) {
    const std::thread::id outer = std::this_thread::get_id();
    int last = -1;
    run_chunks(8, 8, [&](int i) {
      EXPECT_EQ(std::this_thread::get_id(), outer);
      EXPECT_EQ(i, last + 1);
      last = i;
      runs[8 * j + i]++;
    });
  });
  for (auto& r : runs) EXPECT_EQ(r.load(), 1);
}

// Two threads split at once: the second runs its chunks alone rather than wait for the workers.
TEST(Chunks, SplitsFromTwoThreadsAtOnce) {
  std::vector<std::atomic<int>> a(200), b(200);
  auto split = [](std::vector<std::atomic<int>>& runs) {
    for (int k = 0; k < 20; k++) run_chunks(10, 8, [&](int j) { runs[10 * k + j]++; });
  };
  std::thread other(split, std::ref(b));
  split(a);
  other.join();
  for (int j = 0; j < 200; j++) {
    EXPECT_EQ(a[j].load(), 1) << j;
    EXPECT_EQ(b[j].load(), 1) << j;
  }
}

// Parts cover the items in order, each item once, the last part short; a size below one is one.
TEST(Chunks, PartsCoverEveryItemOnceWithTheirIndex) {
  struct Case {
    int n, size;
  };
  for (Case c : {Case{1, 16}, Case{16, 16}, Case{17, 16}, Case{1000, 7}, Case{5, 0}}) {
    std::vector<std::atomic<int>> runs(c.n);
    const int size = c.size < 1 ? 1 : c.size;
    run_parts(c.n, c.size, 8, [&](int part, int lo, int hi) {
      EXPECT_EQ(lo, part * size);
      EXPECT_EQ(hi, std::min(c.n, lo + size));
      for (int i = lo; i < hi; i++) runs[i]++;
    });
    for (int i = 0; i < c.n; i++) EXPECT_EQ(runs[i].load(), 1) << c.n << " " << c.size << " " << i;
  }
  run_parts(0, 4, 8, [](int, int, int) { FAIL(); });
}

// More workers than were ever started, and the next start fails: the split goes on with the
// workers there are.
TEST(Chunks, AWorkerThatCannotStartLosesNoChunk) {
  plat_fail_thread_starts = 1;
  std::vector<std::atomic<int>> runs(50);
  run_chunks(50, 200, [&](int j) { runs[j]++; });
  EXPECT_EQ(plat_fail_thread_starts, 0);
  for (auto& r : runs) EXPECT_EQ(r.load(), 1);
}

TEST(Env, WorkerCountFromTheEnvironment) {
  struct Case {
    const char* value;  // nullptr: unset
    int fallback, max, want;
  } cases[] = {{"4", 2, 8, 4}, {"16", 2, 8, 8}, {"0", 1, 8, 1}, {"-3", 1, 8, 1},
               {"abc", 2, 8, 2}, {"99999999999", 2, 8, 8}, {"3x", 2, 8, 3}};
  for (const Case& k : cases) {
    setenv("NUMBER_OF_PROCESSORS", k.value, 1);
    EXPECT_EQ(plat_worker_count(k.fallback, k.max), k.want) << k.value;
  }
  unsetenv("NUMBER_OF_PROCESSORS");
  long cpus = sysconf(_SC_NPROCESSORS_ONLN);
  EXPECT_EQ(plat_worker_count(2, 8), cpus < 8 ? (int)cpus : 8);  // missing: the online processors
  char buf[8];
  EXPECT_GT(plat_getenv("NUMBER_OF_PROCESSORS", buf, sizeof buf), 0);
  EXPECT_EQ(plat_getenv("SUNCALC_SURELY_UNSET_VARIABLE", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  setenv("SUNCALC_LONG", "0123456789", 1);
  EXPECT_EQ(plat_getenv("SUNCALC_LONG", buf, sizeof buf), 7);
  EXPECT_STREQ(buf, "0123456");
}

TEST(Clock, LocalTimeAndStandardBias) {
  struct Case {
    const char* tz;
    time_t moment;
    int hour, isdst, bias;
  } cases[] = {
      {"UTC0", 946728000, 12, 0, 0},                       // 2000-01-01 12:00 UTC
      {"CET-1CEST,M3.5.0,M10.5.0/3", 946728000, 13, 0, -60},  // winter in Zurich
      {"CET-1CEST,M3.5.0,M10.5.0/3", 962452800, 14, 1, -60},  // 2000-07-01 12:00 UTC, summer
      {"EST5EDT,M3.2.0,M11.1.0", 962452800, 8, 1, 300},
      {"<+0530>-5:30", 946728000, 17, 0, -330},
  };
  ScopedTimeZone zone;
  for (const Case& k : cases) {
    setenv("TZ", k.tz, 1);
    plat_local_time t;
    plat_local(k.moment, &t);
    EXPECT_EQ(t.hour, k.hour) << k.tz;
    EXPECT_EQ(t.isdst, k.isdst) << k.tz;
    EXPECT_EQ(t.bias_minutes, k.bias) << k.tz;
  }
  setenv("TZ", "UTC0", 1);
  plat_fixed_now = 946728000;
  plat_local_time t;
  plat_now(&t);
  EXPECT_EQ(t.year, 2000);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.minute, 0);
  plat_fixed_now = 0;
}

TEST(Display, BitsFromTheVisual) {
  EXPECT_EQ(display_bits_from_visual(16, 0xF800, 0x07E0, 0x001F), 16);
  EXPECT_EQ(display_bits_from_visual(15, 0x7C00, 0x03E0, 0x001F), 15);
  EXPECT_EQ(display_bits_from_visual(24, 0xFF0000, 0xFF00, 0xFF), 24);
  EXPECT_EQ(display_bits_from_visual(8, 0, 0, 0), 8);
  plat_screen_override = 1;
  plat_display_bits_override = 16;
  EXPECT_EQ(plat_display_bits(), 16);
  plat_screen_override = 0;
}
