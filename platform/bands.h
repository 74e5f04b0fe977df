// Band workers: one computation split into n bands (or handed out in pieces) that run in parallel
// and are all finished when the call returns. The only place that starts threads.
#pragma once
#include <functional>

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

// The processors online, at least 1.
int plat_processor_count();
