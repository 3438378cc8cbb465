// Timing for the benchmarks: processor time of this thread, so that other
// work on the machine does not slow the figures down, and best-of-rounds.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

struct Clock {
  static double now() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec * 1e-9;
  }
};

inline double Seconds(double start) {
  return Clock::now() - start;
}

inline double MBps(uint64_t bytes, double seconds) {
  return seconds > 0 ? bytes / 1e6 / seconds : 0;
}

// Best of several rounds of decode(), in MB/s of the given output size.
template <typename Decode>
double DecodeSpeed(uint64_t bytes, Decode decode, int rounds = 3) {
  double best = 1e9;
  for (int round = 0; round < rounds; round++) {
    const double start = Clock::now();
    if (!decode()) {
      std::fprintf(stderr, "bench: a decoder failed\n");
      std::exit(1);
    }
    best = std::min(best, Seconds(start));
  }
  return MBps(bytes, best);
}
