// Many independent lines at once: the lines of a file (or of standard
// input) are answered by worker threads and the answers are written in the
// order of the input.
//   LineSource (bounded lines, read on the calling thread)
//   -> bounded window of lines in flight -> Work on jobs threads
//   -> answers written in input order as soon as the next one is ready,
//      flushed at most every 50 ms (and at least every quarter second)
//   -> progress on a terminal; SIGINT: the lines being worked on finish and
//      are written, the rest is left unread, every written line is whole
//   -> watchdog: a line still worked on past its limit is answered by the
//      caller's overdue answer, its worker is left behind and replaced.
// The work is the caller's (engine/cli/batch.cpp: one system a line). Each
// worker thread releases FLINT's per-thread caches when it ends.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace vindrel::engine::batch {

// Longer lines are answered as too long without being kept in memory.
inline constexpr size_t kMaxLineBytes = 4u << 20;

class LineSource {
public:
    virtual ~LineSource() = default;
    // The next line without its end (a final CR is dropped); false at the
    // end or once stop is set. tooLong: the line exceeded kMaxLineBytes
    // (line then holds its start only).
    virtual bool Next(std::string& line, bool& tooLong, const std::atomic<bool>& stop) = 0;
    // The share of the input read so far, or a negative value when unknown.
    virtual double Fraction() const { return -1; }
};

// A file descriptor read with read(2): an interrupted read returns at once
// when stop is set. size: the input's size in bytes when known, else 0.
class FdLineSource : public LineSource {
public:
    FdLineSource(int fd, std::uint64_t size);
    bool Next(std::string& line, bool& tooLong, const std::atomic<bool>& stop) override;
    double Fraction() const override;

private:
    bool Fill(const std::atomic<bool>& stop);
    int fd_;
    std::uint64_t size_, consumed_ = 0;
    std::string buffer_;
    size_t start_ = 0;
    bool eof_ = false;
};

// The answer to one line: the text written (without its line end) and
// whether the line was answered without error.
struct Answer {
    std::string text;
    bool ok = true;
};
// line: 1-based number of the line in the input.
using Work = std::function<Answer(std::uint64_t line, const std::string& text, bool tooLong)>;

struct RunOptions {
    unsigned jobs = 1;
    std::ostream* progress = nullptr; // a terminal's stream for the progress bar, or null
    std::atomic<bool>* stop = nullptr; // set by an interrupt (see CatchInterrupt); may be null
    // A line worked on for longer than this gets overdue(line) as its answer
    // and its worker is left to finish alone, its answer dropped (0: never).
    std::chrono::milliseconds watchdog { 0 };
    std::function<Answer(std::uint64_t line)> overdue;
};

struct Summary {
    std::uint64_t read = 0, written = 0, failed = 0;
    bool interrupted = false;
    std::uint64_t firstUnwritten = 0; // when interrupted: the first line not written (0: none)
    // Lines given up by the watchdog; their workers may still run after Run
    // returns (they touch nothing of the caller's but a copy of the work).
    std::uint64_t abandoned = 0;
};

Summary Run(LineSource& source, std::ostream& out, const Work& work, const RunOptions& options);

// Until the object goes, SIGINT sets the flag instead of ending the process
// (and interrupts a blocked read of the thread that calls Run).
class CatchInterrupt {
public:
    CatchInterrupt();
    ~CatchInterrupt();
    CatchInterrupt(const CatchInterrupt&) = delete;
    CatchInterrupt& operator=(const CatchInterrupt&) = delete;
    std::atomic<bool>& flag();
};

} // namespace vindrel::engine::batch
