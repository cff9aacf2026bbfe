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
#include <memory>
#include <mutex>
#include <pthread.h>
#include <set>
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

// What the threads of a run share. The worker that answers the next line
// to write writes it, with the answered lines after it (one writer at a
// time, in order), so that no thread wakes per line. Abandoned workers hold
// it too and touch nothing else: they may finish after Run has returned.
struct Shared {
    Shared(Work w, std::ostream& o)
        : work(std::move(w))
        , out(o)
    {
    }
    struct Task {
        std::uint64_t line;
        std::string text;
        bool tooLong;
    };
    struct Running {
        Clock::time_point since;
        size_t worker; // its index among the run's threads
    };
    const Work work;
    std::ostream& out; // written only by the one thread that holds `writing`
    std::mutex mutex;
    std::condition_variable tasksReady; // a task, or the end of the input
    std::condition_variable room; // the reader may go on
    std::condition_variable changed; // a worker ended, or the run is over
    std::deque<Task> tasks;
    std::map<std::uint64_t, Answer> pending; // answered, not yet written
    std::map<std::uint64_t, Running> running;
    std::set<std::uint64_t> givenUp; // answered by the watchdog, still worked on
    std::uint64_t nextWrite = 1;
    std::uint64_t resumeAt = 0; // the reader waits until nextWrite reaches it (0: not waiting)
    bool writing = false;
    bool inputDone = false;
    Clock::time_point flushed = Clock::now(); // the last flush of out
    bool unflushed = false; // lines written to out since that flush
    unsigned liveWorkers = 0; // workers not left behind, still running
    std::uint64_t written = 0, failed = 0;

    // With the lock held: writes the answered lines that come next, unless
    // another thread is writing (it will write them).
    void WriteReady(std::unique_lock<std::mutex>& lock)
    {
        if (writing) return;
        writing = true;
        std::vector<Answer> ready;
        while (!pending.empty() && pending.begin()->first == nextWrite) {
            while (!pending.empty() && pending.begin()->first == nextWrite) {
                ready.push_back(std::move(pending.begin()->second));
                pending.erase(pending.begin());
                ++nextWrite;
            }
            if (resumeAt != 0 && nextWrite >= resumeAt) {
                resumeAt = 0;
                room.notify_one();
            }
            lock.unlock();
            std::uint64_t bad = 0;
            for (const Answer& a : ready) {
                out << a.text << '\n';
                if (!a.ok) ++bad;
            }
            // Whole lines reach the reader of out at least every 50 ms,
            // without a write per line; the run flushes at its end.
            const Clock::time_point now = Clock::now();
            const bool flush = now - flushed >= std::chrono::milliseconds(50);
            if (flush) out.flush();
            lock.lock();
            if (flush) flushed = now;
            unflushed = !flush;
            written += ready.size();
            failed += bad;
            ready.clear();
        }
        writing = false;
    }

    // With the lock held: flushes lines left in out's buffer for a while
    // (the next line may be long in coming), then writes what came meanwhile.
    void FlushStale(std::unique_lock<std::mutex>& lock, Clock::time_point now)
    {
        if (writing || !unflushed || now - flushed < std::chrono::milliseconds(50)) return;
        writing = true;
        lock.unlock();
        out.flush();
        lock.lock();
        flushed = now;
        unflushed = false;
        writing = false;
        WriteReady(lock);
    }
};

void WorkLoop(const std::shared_ptr<Shared>& shared, size_t index)
{
    Shared& s = *shared;
    for (;;) {
        Shared::Task task;
        {
            std::unique_lock lock(s.mutex);
            s.tasksReady.wait(lock, [&] { return !s.tasks.empty() || s.inputDone; });
            if (s.tasks.empty()) {
                --s.liveWorkers;
                s.changed.notify_all();
                break;
            }
            task = std::move(s.tasks.front());
            s.tasks.pop_front();
            s.running.emplace(task.line, Shared::Running { Clock::now(), index });
        }
        Answer a;
        try {
            a = s.work(task.line, task.text, task.tooLong);
        } catch (...) {
            a = { "", false };
        }
        std::unique_lock lock(s.mutex);
        if (s.givenUp.erase(task.line)) break; // answered meanwhile; a new worker took this one's place
        s.running.erase(task.line);
        s.pending.emplace(task.line, std::move(a));
        s.WriteReady(lock);
    }
    flint_cleanup(); // this thread's caches
}

class Runner {
public:
    Runner(LineSource& source, std::ostream& out, const Work& work, const RunOptions& options)
        : source_(source)
        , options_(options)
        , jobs_(std::max(1u, options.jobs))
        , window_(std::max<size_t>(256, 64 * size_t { jobs_ }))
        , stop_(options.stop ? *options.stop : localStop_)
        , shared_(std::make_shared<Shared>(work, out))
    {
    }

    Summary Go()
    {
        Shared& s = *shared_;
        // Only this thread takes SIGINT, so that its blocked read returns.
        sigset_t block, old;
        sigemptyset(&block);
        sigaddset(&block, SIGINT);
        pthread_sigmask(SIG_BLOCK, &block, &old);
        {
            std::lock_guard lock(s.mutex);
            for (unsigned i = 0; i < jobs_; ++i)
                StartWorker();
        }
        const Clock::time_point start = Clock::now();
        std::thread watch([this, start] { WatchLoop(start); });
        pthread_sigmask(SIG_SETMASK, &old, nullptr);

        ReadLoop();
        std::unique_lock lock(s.mutex);
        // Once no worker is live, no line is running but those given up,
        // and the watchdog starts no more workers.
        s.changed.wait(lock, [&] { return s.liveWorkers == 0; });
        over_ = true;
        s.changed.notify_all();
        lock.unlock();
        watch.join();
        for (auto& w : workers_)
            if (w.joinable()) w.join();
        lock.lock();
        s.WriteReady(lock);
        s.out.flush();
        // Interrupted: what was answered is still written, in order, with
        // gaps for the lines never started.
        if (!s.pending.empty()) {
            firstGap_ = s.nextWrite;
            for (auto& [line, answer] : s.pending) {
                s.out << answer.text << '\n';
                ++s.written;
                if (!answer.ok) ++s.failed;
                s.nextWrite = line + 1;
            }
            s.pending.clear();
            s.out.flush();
        }
        summary_.written = s.written;
        summary_.failed = s.failed;
        lock.unlock();
        if (options_.progress) Progress(Clock::now() - start, -1, true);
        if (stop_.load()) {
            summary_.interrupted = true;
            summary_.firstUnwritten = firstGap_ ? firstGap_ : s.nextWrite;
        }
        return summary_;
    }

private:
    // With the mutex held (or before any worker runs), SIGINT blocked.
    void StartWorker()
    {
        ++shared_->liveWorkers;
        workers_.emplace_back([shared = shared_, index = workers_.size()] { WorkLoop(shared, index); });
    }

    void ReadLoop()
    {
        Shared& s = *shared_;
        std::string line;
        bool tooLong = false;
        for (std::uint64_t n = 1;; ++n) {
            {
                // A full window: wait until half of it is written.
                std::unique_lock lock(s.mutex);
                if (n - s.nextWrite >= window_) {
                    s.resumeAt = n - window_ / 2;
                    while (s.resumeAt != 0 && !stop_.load())
                        s.room.wait_for(lock, std::chrono::milliseconds(100));
                    s.resumeAt = 0;
                }
            }
            if (stop_.load() || !source_.Next(line, tooLong, stop_)) break;
            std::lock_guard lock(s.mutex);
            s.tasks.push_back({ n, std::move(line), tooLong });
            summary_.read = n;
            fraction_ = source_.Fraction();
            line = std::string();
            s.tasksReady.notify_one();
        }
        std::lock_guard lock(s.mutex);
        s.inputDone = true;
        if (stop_.load()) s.tasks.clear(); // not started: left for a later run
        s.tasksReady.notify_all();
    }

    // With the lock held: lines past the watchdog get their overdue answer
    // and a fresh worker replaces each one left behind. Returns how long
    // until the next line could be overdue.
    Clock::duration Watch(Clock::time_point now, std::unique_lock<std::mutex>& lock)
    {
        Clock::duration wait = std::chrono::milliseconds(250);
        if (options_.watchdog.count() <= 0) return wait;
        Shared& s = *shared_;
        bool gaveUp = false;
        for (auto it = s.running.begin(); it != s.running.end();) {
            const Clock::time_point limit = it->second.since + options_.watchdog;
            if (limit > now) {
                wait = std::min<Clock::duration>(wait, limit - now);
                ++it;
                continue;
            }
            const std::uint64_t line = it->first;
            workers_[it->second.worker].detach();
            it = s.running.erase(it);
            s.givenUp.insert(line);
            s.pending.emplace(line, options_.overdue ? options_.overdue(line) : Answer { "", false });
            ++summary_.abandoned;
            --s.liveWorkers;
            StartWorker();
            gaveUp = true;
        }
        if (gaveUp) s.WriteReady(lock);
        return wait;
    }

    // The watchdog and the progress bar, until the run is over.
    void WatchLoop(Clock::time_point start)
    {
        Shared& s = *shared_;
        std::unique_lock lock(s.mutex);
        while (!over_) {
            const Clock::time_point now = Clock::now();
            const Clock::duration wait = Watch(now, lock);
            s.FlushStale(lock, now);
            if (options_.progress) {
                const double fraction = fraction_;
                lock.unlock();
                Progress(now - start, fraction, false);
                lock.lock();
            }
            s.changed.wait_for(lock, wait, [&] { return over_; });
        }
    }

    void Progress(Clock::duration elapsed, double fraction, bool done)
    {
        const double seconds = std::chrono::duration<double>(elapsed).count();
        std::uint64_t written;
        {
            std::lock_guard lock(shared_->mutex);
            written = shared_->written;
        }
        const double rate = seconds > 0 ? static_cast<double>(written) / seconds : 0;
        std::string text = "\r" + std::to_string(written) + " systèmes, " + Decimal(rate) + " par seconde";
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
    const RunOptions& options_;
    const unsigned jobs_;
    // Lines read but not yet written, at most: wide enough that one slow
    // line (a blow-up among quick ones) does not leave the other workers idle.
    const size_t window_;
    std::atomic<bool> localStop_ { false };
    std::atomic<bool>& stop_;
    std::shared_ptr<Shared> shared_;

    // Under the shared mutex:
    std::vector<std::thread> workers_;
    std::uint64_t firstGap_ = 0;
    bool over_ = false;
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
