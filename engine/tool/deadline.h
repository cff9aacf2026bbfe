// Time budgets. A tool always finishes: its algorithms check a Deadline
// between steps and give up with LimitExceeded; a watchdog in RunTool ends
// the process with a French message if a step itself runs too long.
#pragma once

#include "engine/errors.h"

#include <chrono>
#include <string>

namespace vindrel::engine {

// The whole run of a tool, watched by RunTool.
inline constexpr std::chrono::milliseconds kToolBudget { 9500 };
// What the algorithms allow themselves, so they stop before the watchdog.
inline constexpr std::chrono::milliseconds kComputationBudget { 9000 };

inline constexpr const char* kTimeoutMessage
    = "Calcul abandonné : il dépasse le temps permis (10 secondes).\n"
      "Essayez un système plus simple (degré plus petit, coefficients plus courts).";

// The budget a user is told about (10 s for the tools; vindrel-analyse
// --budget sets its own per system).
inline constexpr std::chrono::milliseconds kAnnouncedBudget { 10000 };

// The message for another announced budget: "(2,5 secondes)".
std::string TimeoutMessage(std::chrono::milliseconds announced);
// The budget in words: "10 secondes", "2,5 secondes", "1 seconde".
std::string BudgetWords(std::chrono::milliseconds announced);

class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    explicit Deadline(std::chrono::milliseconds budget = kComputationBudget)
        : end_(Clock::now() + budget)
    {
    }

    // A deadline for an announced budget: the computations get the same
    // share of it as the tools get of their 10 seconds, the rest is for
    // writing the answer; the message names the announced budget.
    static Deadline ForBudget(std::chrono::milliseconds announced)
    {
        Deadline d(announced * kComputationBudget.count() / kAnnouncedBudget.count());
        d.announced_ = announced;
        return d;
    }

    bool expired() const { return Clock::now() >= end_; }
    std::chrono::milliseconds announced() const { return announced_; }

    // Throws LimitExceeded once the budget is spent.
    void check() const
    {
        if (expired())
            throw LimitExceeded(
                announced_ == kAnnouncedBudget ? kTimeoutMessage : TimeoutMessage(announced_));
    }

private:
    Clock::time_point end_;
    std::chrono::milliseconds announced_ = kAnnouncedBudget;
};

} // namespace vindrel::engine
