// Random orders of events around the real voxtelo.exe: steps of both far ends (the simulated
// modem and Skype client), of the user (real X pointer and keys, the notebook's phone key) and
// of the system (power notices), drawn with weights from a seed. After each step, once the
// phone is quiet, the rules every order must keep are checked; the first broken one ends the
// run with the seed, the steps and a command that plays exactly those steps again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace order {

// `count` step names drawn from `seed`: the same seed always gives the same list.
std::vector<std::string> DrawSteps(uint64_t seed, size_t count);

// The steps to play as the environment names them: VOXTELO_ORDER_STEPS (a comma-separated
// list), else VOXTELO_ORDER_SEED and VOXTELO_ORDER_COUNT, else `seed` and `count`. `seed` is
// set to the seed used, which also picks the way out (0 for a list without a seed).
std::vector<std::string> StepsToPlay(uint64_t* seed, size_t count);

// Where the steps' time went, in seconds: acting, waiting for the phone to be quiet, checking.
struct Times {
    double act = 0;
    double settle = 0;
    double check = 0;
};

struct Result {
    size_t played = 0;  // steps played to their end with every rule kept
    double seconds = 0;
    Times spent;
    std::string failure;  // "" when every rule held, the way out included
    std::string Report(uint64_t seed, const std::vector<std::string>& steps) const;
};

// Starts the phone beside both simulators (modem channel `channel`), plays the steps, ends the
// phone by a way out the seed chooses, and checks what it left behind.
Result Play(const std::vector<std::string>& steps, uint64_t seed, const std::string& channel);

}  // namespace order
