// A point in time after which long computations give up, and the exception
// they throw then. Checked between steps, never inside a FLINT call.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

namespace vindrel::engine {

class LimitExceeded : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Deadline {
public:
    using Clock = std::chrono::steady_clock;

    static Deadline After(std::chrono::milliseconds budget) { return Deadline(Clock::now() + budget); }
    static Deadline Never() { return Deadline(Clock::time_point::max()); }

    bool Expired() const { return Clock::now() >= end_; }
    void Check(const std::string& what) const
    {
        if (Expired()) throw LimitExceeded(what);
    }

private:
    explicit Deadline(Clock::time_point end)
        : end_(end)
    {
    }
    Clock::time_point end_;
};

} // namespace vindrel::engine
