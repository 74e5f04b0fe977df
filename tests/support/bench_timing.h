// Timing pieces of the benchmarks that measure a peer beside ours in the same loop.
#pragma once
#include <chrono>
#include <vector>

// Seconds from t0 to now.
double seconds_since(std::chrono::steady_clock::time_point t0);

// The median of the values (the mean of the middle two for an even count); 0 for none.
double median(std::vector<double> v);
