// A small timing harness for benchmarks that run under Wine, where Google Benchmark is not
// built: each case runs a number of times and reports its median.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

// Runs `once` `runs` times and prints the median (and the range) of its durations.
inline double ReportMedian(const char* name, int runs, const std::function<void()>& once) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        once();
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("%-44s median %10.3f ms   (min %.3f, max %.3f, %d runs)\n", name, median,
                ms.front(), ms.back(), runs);
    return median;
}

}  // namespace bench
