// Band workers: one computation split into n bands that run in parallel and are all finished when
// the call returns. The only place that starts threads.
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

// Runs work(j) once for every chunk j = 0 .. chunks-1 on the caller and on up to threads - 1 kept
// worker threads, each taking the next chunk as it comes free; returns when every chunk is done.
// The caller takes chunks from the start and never waits for a worker that has not begun one,
// so a busy machine slows a split down only by the cores it really lends. The workers are started
// on first need (plat_fail_thread_starts counts against them; without workers the caller does
// every chunk) and kept for the process. With is9xline set, threads < 2, inside a chunk, or while
// another thread's split runs, the chunks run in order on the caller.
void run_chunks(int chunks, int threads, const std::function<void(int)>& work);
