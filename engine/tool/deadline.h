// Time budgets. A tool always finishes: its algorithms check a Deadline
// between steps and give up with LimitExceeded; a watchdog in RunTool ends
// the process with a French message if a step itself runs too long.
#pragma once

#include "engine/errors.h"

#include <chrono>

namespace vindrel::engine {

// The whole run of a tool, watched by RunTool.
inline constexpr std::chrono::milliseconds kToolBudget { 9500 };
// What the algorithms allow themselves, so they stop before the watchdog.
inline constexpr std::chrono::milliseconds kComputationBudget { 9000 };

inline constexpr const char* kTimeoutMessage
    = "Calcul abandonné : il dépasse le temps permis (10 secondes).\n"
      "Essayez un système plus simple (degré plus petit, coefficients plus courts).";

class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    explicit Deadline(std::chrono::milliseconds budget = kComputationBudget)
        : end_(Clock::now() + budget)
    {
    }

    bool expired() const { return Clock::now() >= end_; }

    // Throws LimitExceeded once the budget is spent.
    void check() const
    {
        if (expired()) throw LimitExceeded(kTimeoutMessage);
    }

private:
    Clock::time_point end_;
};

} // namespace vindrel::engine
