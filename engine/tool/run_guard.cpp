#include "engine/tool/run_guard.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace vindrel::engine {

namespace {

constexpr std::chrono::milliseconds kLockPoll { 5 };
constexpr size_t kRecordMax = 256;

// The lock file's content: "<generation> <start ticks> <boot id>\n".
struct Record {
    std::uint64_t generation = 0;
    RunStamp stamp;
};

Record ParseRecord(const std::string& text)
{
    Record r;
    std::istringstream in(text);
    if (!(in >> r.generation)) return {};
    if (!(in >> r.stamp.startTicks >> r.stamp.boot)) r.stamp = {};
    return r;
}

std::string FormatRecord(const Record& r)
{
    return std::to_string(r.generation) + " " + std::to_string(r.stamp.startTicks) + " " + r.stamp.boot
        + "\n";
}

// A run started strictly before the recorded newest one, in the same boot.
bool StartedBefore(const RunStamp& mine, const RunStamp& recorded)
{
    return !mine.boot.empty() && mine.boot == recorded.boot && mine.startTicks < recorded.startTicks;
}

bool ReadRecord(int fd, Record& record)
{
    char buf[kRecordMax];
    const ssize_t n = ::pread(fd, buf, sizeof buf, 0);
    if (n < 0) return false;
    record = ParseRecord(std::string(buf, static_cast<size_t>(n)));
    return true;
}

bool WriteRecord(int fd, const Record& record)
{
    const std::string text = FormatRecord(record);
    const ssize_t n = ::pwrite(fd, text.data(), text.size(), 0);
    return n == static_cast<ssize_t>(text.size()) && ::ftruncate(fd, static_cast<off_t>(text.size())) == 0;
}

} // namespace

RunStamp ThisProcessStamp()
{
    RunStamp stamp;
    std::ifstream bootFile("/proc/sys/kernel/random/boot_id");
    std::ifstream statFile("/proc/self/stat");
    std::string stat;
    if (!(bootFile >> stamp.boot) || !std::getline(statFile, stat)) return {};
    // Fields after the command name, which may itself hold blanks and ')':
    // the third field of the line comes first, the start time is the 22nd.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i < 22; ++i)
        fields >> field;
    if (!(fields >> stamp.startTicks)) return {};
    return stamp;
}

std::filesystem::path RunGuard::LockPath(const std::filesystem::path& dir, const std::string& toolName)
{
    return dir / ("." + toolName + ".lock");
}

RunGuard::RunGuard(const std::filesystem::path& dir, const std::string& toolName, const RunStamp& stamp,
    std::chrono::milliseconds lockWait)
    : lockPath_(LockPath(dir, toolName).string())
    , lockWait_(lockWait)
{
    fd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        Unguard(std::strerror(errno));
        return;
    }
    if (!Lock()) {
        Unguard("verrou occupé");
        return;
    }
    Record record;
    if (!ReadRecord(fd_, record)) {
        Unguard(std::strerror(errno));
        return;
    }
    if (StartedBefore(stamp, record.stamp)) {
        supersededAtStart_ = true;
        Unlock();
        return;
    }
    generation_ = record.generation + 1;
    if (!WriteRecord(fd_, Record { generation_, stamp })) {
        Unguard(std::strerror(errno));
        return;
    }
    Unlock();
}

RunGuard::~RunGuard()
{
    if (fd_ >= 0) ::close(fd_);
}

WriteOutcome RunGuard::WriteIfNewest(const std::function<void()>& write)
{
    if (supersededAtStart_) return WriteOutcome::Superseded;
    if (fd_ >= 0 && !Lock()) Unguard("verrou occupé");
    if (fd_ < 0) {
        write();
        return WriteOutcome::Written;
    }
    Record record;
    if (!ReadRecord(fd_, record)) {
        Unguard(std::strerror(errno));
        write();
        return WriteOutcome::Written;
    }
    if (record.generation != generation_) {
        Unlock();
        return WriteOutcome::Superseded;
    }
    try {
        write();
    } catch (...) {
        Unlock();
        throw;
    }
    Unlock();
    return WriteOutcome::Written;
}

bool RunGuard::SupersededNow()
{
    if (supersededAtStart_) return true;
    if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0) return false;
    Record record;
    const bool superseded = ReadRecord(fd_, record) && record.generation != generation_;
    Unlock();
    return superseded;
}

bool RunGuard::Lock()
{
    const auto end = std::chrono::steady_clock::now() + lockWait_;
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return false;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(kLockPoll);
    }
}

void RunGuard::Unlock()
{
    if (::flock(fd_, LOCK_UN) != 0) Unguard(std::strerror(errno));
}

void RunGuard::Unguard(const std::string& why)
{
    std::cerr << lockPath_ << " : " << why << " ; écriture des résultats sans vérification\n";
    if (fd_ >= 0) ::close(fd_); // closing also releases a lock this run holds
    fd_ = -1;
}

} // namespace vindrel::engine
