// The real voxtelo.exe through 160 events in an order drawn from a fixed seed (see
// OrderRun.h for the steps and the rules). A failure prints the seed, the steps and the
// command that plays them again; VOXTELO_ORDER_SEED, _COUNT or _STEPS play other orders.
#include <gtest/gtest.h>

#include "tests/e2e/OrderRun.h"

TEST(RandomOrder, EveryRuleHoldsThroughAnOrderOfEventsNobodyScripted) {
    uint64_t seed = 20240615;
    const std::vector<std::string> steps = order::StepsToPlay(&seed, 160);
    const order::Result result = order::Play(steps, seed, "e2e_order");
    EXPECT_TRUE(result.failure.empty()) << result.Report(seed, steps);
    std::printf("%s", result.Report(seed, steps).c_str());
}
