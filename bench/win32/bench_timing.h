// Wall-clock timing for the benchmarks that run under Wine.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace nagitome::bench {

inline double NowMs() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

template <typename F>
double MedianMs(int runs, F f) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = NowMs();
    f();
    times.push_back(NowMs() - start);
  }
  return Median(times);
}

}  // namespace nagitome::bench
