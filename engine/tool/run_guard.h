// Overlapping runs of one tool: the newest run alone writes.
// The window starts the tools without waiting for them, so after an edit and
// a second Analyser click two runs of the same tool on two systems can be
// alive at once and finish in any order. Each run of a tool in one output
// directory goes through a lock file there, ".<tool>.lock", locked with
// flock(2); the file holds the newest run's record: a generation number and
// the start stamp (boot id, start time) of the process that took it.
//   start:      lock; a run started before the recorded one is superseded at
//               once; otherwise generation + 1 and our stamp are written as
//               the new record, and the run keeps its generation; unlock.
//   each write: lock; still the recorded generation? rename the prepared
//               files into place; unlock. Otherwise nothing is written.
// So the files end holding the results of the run started last, whatever the
// order in which the processes end. The lock is held only for these short
// steps, never during a computation; the kernel releases it when a process
// dies, so a killed run never blocks the next. Should the lock stay taken
// anyway (a process stopped while holding it), a run waits kLockWait, then
// writes without the check rather than leave a placeholder behind.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace vindrel::engine {

// Short enough that a run that had to wait still ends within the 10 s a tool
// is allowed; the lock is normally held for a few renames only.
inline constexpr std::chrono::milliseconds kLockWait { 400 };

// When and in which boot a process started: orders two runs even when the one
// started first reaches the lock last. Empty boot: unknown, arrival order only.
struct RunStamp {
    std::string boot; // /proc/sys/kernel/random/boot_id
    std::uint64_t startTicks = 0; // field 22 of /proc/self/stat
};

RunStamp ThisProcessStamp();

enum class WriteOutcome {
    Written, // this run was the newest and the write ran
    Superseded, // a newer run has started: nothing written
};

class RunGuard {
public:
    // Takes this run's place in dir's lock file for tool. Never throws: when
    // the lock file cannot be used the run writes without the check.
    RunGuard(const std::filesystem::path& dir, const std::string& toolName,
        const RunStamp& stamp = ThisProcessStamp(), std::chrono::milliseconds lockWait = kLockWait);
    ~RunGuard();
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

    // A newer run has already started (known at start only).
    bool supersededAtStart() const { return supersededAtStart_; }
    std::uint64_t generation() const { return generation_; }

    // Whether a newer run has started since. Does not wait: false when the
    // lock is busy or the order cannot be read.
    bool SupersededNow();

    // Runs write while holding the lock if this run is still the newest.
    // Exceptions from write pass through, after the lock is released.
    WriteOutcome WriteIfNewest(const std::function<void()>& write);

    // The lock file of a tool in a directory.
    static std::filesystem::path LockPath(const std::filesystem::path& dir, const std::string& toolName);

private:
    bool Lock();
    void Unlock();
    void Unguard(const std::string& why);

    std::string lockPath_;
    int fd_ = -1; // -1: writes go ahead unchecked
    std::chrono::milliseconds lockWait_;
    std::uint64_t generation_ = 0;
    bool supersededAtStart_ = false;
};

} // namespace vindrel::engine
