#include "engine/batch/batch.h"

#include <flint/flint.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <map>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vindrel::engine::batch {

// --- reading -----------------------------------------------------------------

FdLineSource::FdLineSource(int fd, std::uint64_t size)
    : fd_(fd)
    , size_(size)
{
}

bool FdLineSource::Fill(const std::atomic<bool>& stop)
{
    if (start_ > 0) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    char chunk[1 << 16];
    for (;;) {
        if (stop.load()) return false;
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            buffer_.append(chunk, static_cast<size_t>(n));
            return true;
        }
        if (n == 0 || errno != EINTR) {
            eof_ = true;
            return false;
        }
    }
}

bool FdLineSource::Next(std::string& line, bool& tooLong, const std::atomic<bool>& stop)
{
    tooLong = false;
    line.clear();
    for (;;) {
        const size_t end = buffer_.find('\n', start_);
        if (end != std::string::npos) {
            if (!tooLong) line.append(buffer_, start_, end - start_);
            consumed_ += end + 1 - start_;
            start_ = end + 1;
            break;
        }
        // No line end yet: keep at most kMaxLineBytes of the line.
        if (!tooLong && line.size() + buffer_.size() - start_ > kMaxLineBytes) {
            tooLong = true;
            line.append(buffer_, start_, std::min(buffer_.size() - start_, size_t { 200 }));
        }
        if (tooLong) {
            consumed_ += buffer_.size() - start_;
            start_ = buffer_.size();
        }
        if (eof_ || !Fill(stop)) {
            if (stop.load()) return false;
            if (start_ == buffer_.size() && line.empty() && !tooLong)
                return false; // nothing after the last end
            if (!tooLong) line.append(buffer_, start_, std::string::npos);
            consumed_ += buffer_.size() - start_;
            start_ = buffer_.size();
            break;
        }
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

double FdLineSource::Fraction() const
{
    return size_ > 0 ? std::min(1.0, static_cast<double>(consumed_) / static_cast<double>(size_)) : -1;
}

// --- interrupts --------------------------------------------------------------

namespace {

std::atomic<bool> interrupted { false }; // written by the signal handler
struct sigaction previousAction;

extern "C" void OnInterrupt(int)
{
    interrupted.store(true);
}

} // namespace

CatchInterrupt::CatchInterrupt()
{
    interrupted.store(false);
    struct sigaction action { };
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a blocked read returns
    sigaction(SIGINT, &action, &previousAction);
}

CatchInterrupt::~CatchInterrupt()
{
    sigaction(SIGINT, &previousAction, nullptr);
}

std::atomic<bool>& CatchInterrupt::flag()
{
    return interrupted;
}

// --- the run -----------------------------------------------------------------

namespace {

using Clock = std::chrono::steady_clock;

std::string Decimal(double v)
{
    char b[32];
    std::snprintf(b, sizeof b, "%.1f", v);
    std::string s = b;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string Duration(double seconds)
{
    const long s = std::lround(seconds);
    char b[32];
    if (s >= 3600)
        std::snprintf(b, sizeof b, "%ld h %02ld min", s / 3600, s / 60 % 60);
    else
        std::snprintf(b, sizeof b, "%ld min %02ld s", s / 60, s % 60);
    return b;
}

class Runner {
public:
    Runner(LineSource& source, std::ostream& out, const Work& work, const RunOptions& options)
        : source_(source)
        , out_(out)
        , work_(work)
        , options_(options)
        , jobs_(std::max(1u, options.jobs))
        , window_(std::max<size_t>(16, 8 * size_t { jobs_ }))
        , stop_(options.stop ? *options.stop : localStop_)
    {
    }

    Summary Go()
    {
        // Only this thread takes SIGINT, so that its blocked read returns.
        sigset_t block, old;
        sigemptyset(&block);
        sigaddset(&block, SIGINT);
        pthread_sigmask(SIG_BLOCK, &block, &old);
        std::vector<std::thread> workers;
        for (unsigned i = 0; i < jobs_; ++i)
            workers.emplace_back([this] { WorkLoop(); });
        std::thread writer([this] { WriteLoop(); });
        pthread_sigmask(SIG_SETMASK, &old, nullptr);

        ReadLoop();
        for (auto& w : workers)
            w.join();
        {
            std::lock_guard lock(mutex_);
            workersDone_ = true;
        }
        changed_.notify_all();
        writer.join();
        if (stop_.load()) {
            summary_.interrupted = true;
            summary_.firstUnwritten = firstGap_ ? firstGap_ : nextWrite_;
        }
        return summary_;
    }

private:
    struct Task {
        std::uint64_t line;
        std::string text;
        bool tooLong;
    };

    void ReadLoop()
    {
        std::string line;
        bool tooLong = false;
        for (std::uint64_t n = 1;; ++n) {
            {
                std::unique_lock lock(mutex_);
                while (n - nextWrite_ >= window_ && !stop_.load())
                    changed_.wait_for(lock, std::chrono::milliseconds(100));
            }
            if (stop_.load() || !source_.Next(line, tooLong, stop_)) break;
            std::lock_guard lock(mutex_);
            tasks_.push_back({ n, std::move(line), tooLong });
            summary_.read = n;
            fraction_ = source_.Fraction();
            line = std::string();
            changed_.notify_all();
        }
        std::lock_guard lock(mutex_);
        inputDone_ = true;
        if (stop_.load()) tasks_.clear(); // not started: left for a later run
        changed_.notify_all();
    }

    void WorkLoop()
    {
        for (;;) {
            Task task;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return !tasks_.empty() || inputDone_; });
                if (tasks_.empty()) break;
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            Answer a;
            try {
                a = work_(task.line, task.text, task.tooLong);
            } catch (...) {
                a = { "", false };
            }
            std::lock_guard lock(mutex_);
            pending_.emplace(task.line, std::move(a));
            changed_.notify_all();
        }
        flint_cleanup(); // this thread's caches
    }

    // Lines are written whole and in order; once interrupted, what was
    // answered is still written, in order, with gaps for the lines never
    // started.
    void WriteLoop()
    {
        const Clock::time_point start = Clock::now();
        Clock::time_point shown = start - std::chrono::seconds(1);
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait_for(lock, std::chrono::milliseconds(200),
                [&] { return workersDone_ || (!pending_.empty() && pending_.begin()->first == nextWrite_); });
            std::vector<Answer> ready;
            while (!pending_.empty() && (pending_.begin()->first == nextWrite_ || workersDone_)) {
                if (pending_.begin()->first != nextWrite_ && firstGap_ == 0) firstGap_ = nextWrite_;
                nextWrite_ = pending_.begin()->first + 1;
                ready.push_back(std::move(pending_.begin()->second));
                pending_.erase(pending_.begin());
            }
            const bool done = workersDone_ && pending_.empty();
            const double fraction = fraction_;
            lock.unlock();
            for (const Answer& a : ready) {
                out_ << a.text << '\n';
                ++summary_.written;
                if (!a.ok) ++summary_.failed;
            }
            if (!ready.empty()) {
                out_.flush();
                changed_.notify_all();
            }
            const Clock::time_point now = Clock::now();
            if (options_.progress && (now - shown > std::chrono::milliseconds(250) || done)) {
                shown = now;
                Progress(now - start, fraction, done);
            }
            lock.lock();
            if (done) break;
        }
    }

    void Progress(Clock::duration elapsed, double fraction, bool done)
    {
        const double seconds = std::chrono::duration<double>(elapsed).count();
        const double rate = seconds > 0 ? static_cast<double>(summary_.written) / seconds : 0;
        std::string text
            = "\r" + std::to_string(summary_.written) + " systèmes, " + Decimal(rate) + " par seconde";
        if (fraction > 0 && !done) {
            const int width = 30;
            const int filled = static_cast<int>(fraction * width);
            text += ", [" + std::string(static_cast<size_t>(filled), '#')
                + std::string(static_cast<size_t>(width - filled), '.') + "]";
            if (fraction > 0.001) text += " reste " + Duration(seconds * (1 - fraction) / fraction);
        }
        text += "   ";
        *options_.progress << text << (done ? "\n" : "") << std::flush;
    }

    LineSource& source_;
    std::ostream& out_;
    const Work& work_;
    const RunOptions& options_;
    const unsigned jobs_;
    const size_t window_; // lines read but not yet written, at most
    std::atomic<bool> localStop_ { false };
    std::atomic<bool>& stop_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> tasks_;
    std::map<std::uint64_t, Answer> pending_;
    std::uint64_t nextWrite_ = 1, firstGap_ = 0;
    bool inputDone_ = false, workersDone_ = false;
    double fraction_ = -1;
    Summary summary_;
};

} // namespace

Summary Run(LineSource& source, std::ostream& out, const Work& work, const RunOptions& options)
{
    Runner r(source, out, work, options);
    return r.Go();
}

} // namespace vindrel::engine::batch
