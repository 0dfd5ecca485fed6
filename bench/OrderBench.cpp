// The random-order run of the real voxtelo.exe (tests/e2e/OrderRun.h), long: 10,000 steps from a
// new seed each time unless one is given. Prints the seed, the steps per second and whatever
// broke, with the command that plays the same steps again.
//   order_bench [steps, default 10000] [seed, default from the clock]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/OrderRun.h"

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10000;
    uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10)
                             : (static_cast<uint64_t>(GetTickCount64()) * 2654435761u) | 1;
    const auto steps = order::StepsToPlay(&seed, count);
    const order::Result result = order::Play(steps, seed, "order_bench");
    const double per = 1000.0 / static_cast<double>(result.played ? result.played : 1);
    std::printf(
        "%s%.1f steps per second; a step: acting %.0f ms, quiet after %.0f ms, checked in "
        "%.0f ms\n",
        result.Report(seed, steps).c_str(), static_cast<double>(result.played) / result.seconds,
        result.spent.act * per, result.spent.settle * per, result.spent.check * per);
    return result.failure.empty() ? 0 : 1;
}
