// Overlapping runs of one tool: the run started last owns the files.
#include "engine/poly/print.h"
#include "engine/report/result_file.h"
#include "engine/tool/run_guard.h"
#include "engine/tool/tool_main.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vindrel::engine {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path()
            / ("vindrel-runs-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path LockFile() const { return RunGuard::LockPath(dir_, "essai"); }

    fs::path dir_;
};

// A child process that takes the tool's lock and keeps it until killed.
class LockHolder {
public:
    explicit LockHolder(const fs::path& lockFile)
    {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0644);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
            const char byte = 1;
            if (::write(ready[1], &byte, 1) != 1) ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char byte = 0;
        locked_ = pid_ > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~LockHolder() { Kill(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool locked() const { return locked_; }
    void Kill()
    {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    bool locked_ = false;
};

constexpr std::chrono::milliseconds kNoWait { 0 };

// ---- RunGuard on its own ----------------------------------------------------

using RunGuardTest = TempDirTest;

TEST_F(RunGuardTest, FirstRunIsNewestAndRecordsItselfInTheLockFile)
{
    RunGuard guard(dir_, "essai", RunStamp { "boot-a", 42 });
    EXPECT_FALSE(guard.supersededAtStart());
    EXPECT_EQ(guard.generation(), 1u);
    EXPECT_EQ(ReadAll(dir_ / ".essai.lock"), "1 42 boot-a\n");
    bool wrote = false;
    EXPECT_EQ(guard.WriteIfNewest([&] { wrote = true; }), WriteOutcome::Written);
    EXPECT_TRUE(wrote);
}

TEST_F(RunGuardTest, ALaterRunSupersedesTheEarlierOne)
{
    RunGuard first(dir_, "essai", RunStamp { "boot-a", 10 });
    RunGuard second(dir_, "essai", RunStamp { "boot-a", 11 });
    EXPECT_EQ(second.generation(), 2u);
    bool firstWrote = false;
    EXPECT_EQ(first.WriteIfNewest([&] { firstWrote = true; }), WriteOutcome::Superseded);
    EXPECT_FALSE(firstWrote);
    EXPECT_EQ(second.WriteIfNewest([] {}), WriteOutcome::Written);
}

TEST_F(RunGuardTest, EachToolHasItsOwnOrder)
{
    RunGuard velquin(dir_, "velquin2", RunStamp { "boot-a", 10 });
    RunGuard durmosk(dir_, "durmosk", RunStamp { "boot-a", 11 });
    EXPECT_EQ(velquin.WriteIfNewest([] {}), WriteOutcome::Written);
    EXPECT_EQ(durmosk.generation(), 1u);
}

// Same start tick: the order in which the runs reach the lock decides.
TEST_F(RunGuardTest, RunsStartedInTheSameTickAreOrderedByArrival)
{
    RunGuard first(dir_, "essai", RunStamp { "boot-a", 10 });
    RunGuard second(dir_, "essai", RunStamp { "boot-a", 10 });
    EXPECT_EQ(first.WriteIfNewest([] {}), WriteOutcome::Superseded);
    EXPECT_EQ(second.WriteIfNewest([] {}), WriteOutcome::Written);
}

TEST_F(RunGuardTest, RunStartedEarlierButArrivingLaterIsSupersededAtStartAndLeavesTheRecord)
{
    RunGuard newer(dir_, "essai", RunStamp { "boot-a", 200 });
    RunGuard older(dir_, "essai", RunStamp { "boot-a", 100 });
    EXPECT_TRUE(older.supersededAtStart());
    bool olderWrote = false;
    EXPECT_EQ(older.WriteIfNewest([&] { olderWrote = true; }), WriteOutcome::Superseded);
    EXPECT_FALSE(olderWrote);
    EXPECT_EQ(ReadAll(LockFile()), "1 200 boot-a\n");
    EXPECT_EQ(newer.WriteIfNewest([] {}), WriteOutcome::Written);
}

TEST_F(RunGuardTest, StartTimesOfAnotherBootAreNotCompared)
{
    RunGuard beforeReboot(dir_, "essai", RunStamp { "boot-a", 900000 });
    RunGuard afterReboot(dir_, "essai", RunStamp { "boot-b", 5 });
    EXPECT_FALSE(afterReboot.supersededAtStart());
    EXPECT_EQ(afterReboot.WriteIfNewest([] {}), WriteOutcome::Written);
}

TEST_F(RunGuardTest, UnreadableLockFileContentStartsTheOrderAfresh)
{
    for (const char* content : { "", "garbage", "7", "\xff\xfe 12" }) {
        SCOPED_TRACE(content);
        std::ofstream(LockFile(), std::ios::binary | std::ios::trunc) << content;
        RunGuard guard(dir_, "essai", RunStamp { "boot-a", 3 });
        EXPECT_EQ(guard.generation(), std::string(content) == "7" ? 8u : 1u);
        EXPECT_EQ(guard.WriteIfNewest([] {}), WriteOutcome::Written);
    }
}

TEST_F(RunGuardTest, WithoutALockFileTheRunWritesUnchecked)
{
    RunGuard guard(dir_ / "absent", "essai", RunStamp { "boot-a", 3 });
    EXPECT_EQ(guard.generation(), 0u);
    bool wrote = false;
    EXPECT_EQ(guard.WriteIfNewest([&] { wrote = true; }), WriteOutcome::Written);
    EXPECT_TRUE(wrote);
}

TEST_F(RunGuardTest, AFailingWriteReleasesTheLock)
{
    RunGuard guard(dir_, "essai", RunStamp { "boot-a", 3 });
    EXPECT_THROW(guard.WriteIfNewest([] { throw std::runtime_error("disque plein"); }), std::runtime_error);
    // Taken at once (no wait allowed), so the lock was free.
    RunGuard next(dir_, "essai", RunStamp { "boot-a", 4 }, kNoWait);
    EXPECT_EQ(next.generation(), 2u);
}

TEST_F(RunGuardTest, LockHeldByALiveProcessIsWaitedForBoundedThenTheRunWritesUnchecked)
{
    LockHolder holder(LockFile());
    ASSERT_TRUE(holder.locked());
    RunGuard guard(dir_, "essai", RunStamp { "boot-a", 3 }, std::chrono::milliseconds(50));
    EXPECT_EQ(guard.generation(), 0u);
    bool wrote = false;
    EXPECT_EQ(guard.WriteIfNewest([&] { wrote = true; }), WriteOutcome::Written);
    EXPECT_TRUE(wrote);
}

TEST_F(RunGuardTest, LockLeftByAKilledProcessDoesNotBlockTheNextRun)
{
    {
        RunGuard earlier(dir_, "essai", RunStamp { "boot-a", 3 });
    }
    LockHolder holder(LockFile());
    ASSERT_TRUE(holder.locked());
    holder.Kill();
    RunGuard guard(dir_, "essai", RunStamp { "boot-a", 4 }, kNoWait);
    EXPECT_EQ(guard.generation(), 2u);
    EXPECT_EQ(guard.WriteIfNewest([] {}), WriteOutcome::Written);
}

TEST(ThisProcessStamp, NamesTheBootAndAStartTimeNotAfterNow)
{
    const RunStamp stamp = ThisProcessStamp();
    EXPECT_EQ(stamp.boot.size(), 36u) << stamp.boot;
    std::ifstream uptime("/proc/uptime");
    double seconds = 0;
    uptime >> seconds;
    EXPECT_GT(stamp.startTicks, 0u);
    EXPECT_LE(
        static_cast<double>(stamp.startTicks), (seconds + 1) * static_cast<double>(::sysconf(_SC_CLK_TCK)));
}

// ---- RunTool: two runs of one tool overlapping -------------------------------

// A gate a compute function waits at until the test opens it.
class Gate {
public:
    void Arrive()
    {
        std::unique_lock lock(mutex_);
        arrived_ = true;
        cv_.notify_all();
        cv_.wait(lock, [this] { return open_; });
    }
    void WaitForArrival()
    {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return arrived_; });
    }
    void Open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        cv_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool arrived_ = false;
    bool open_ = false;
};

class OverlappingRuns : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        tool_ = ToolSpec { "essai", { "un.res", "deux.res" }, true, dir_ };
    }

    // Starts a run on P Q whose computation waits at the gate.
    std::future<int> Start(std::string p, std::string q, Gate& gate)
    {
        return std::async(std::launch::async, [this, p, q, &gate]() mutable {
            std::string name = "essai", vars = "xy";
            char* argv[] = { name.data(), p.data(), q.data(), vars.data() };
            return RunTool(4, argv, tool_, [&gate](const ParsedSystem& s) {
                gate.Arrive();
                return std::vector<std::string> { "P = " + ToReport(s.P), "Q = " + ToReport(s.Q) };
            });
        });
    }

    // A run during whose computation a newer run starts; the computation
    // then outlasts the budget.
    void RunOutlivedByANewerRun()
    {
        std::string name = "essai", p = "y", q = "x", vars = "xy";
        char* argv[] = { name.data(), p.data(), q.data(), vars.data() };
        RunTool(4, argv, tool_, [this](const ParsedSystem&) {
            RunGuard newer(dir_, "essai");
            std::this_thread::sleep_for(std::chrono::seconds(5));
            return std::vector<std::string> { "a", "b" };
        });
    }

    ToolSpec tool_;
};

enum class Release { EarlierFirst, LaterFirst };

TEST_F(OverlappingRuns, FilesHoldTheLaterRunWhicheverFinishesFirst)
{
    for (const Release order : { Release::EarlierFirst, Release::LaterFirst }) {
        SCOPED_TRACE(
            order == Release::EarlierFirst ? "earlier run finishes first" : "later run finishes first");
        Gate earlierGate, laterGate;
        std::future<int> earlier = Start("y", "-x", earlierGate);
        earlierGate.WaitForArrival();
        std::future<int> later = Start("x", "y^2", laterGate);
        laterGate.WaitForArrival();
        EXPECT_EQ(ReadAll(dir_ / "un.res"), kPlaceholder);
        Gate& first = order == Release::EarlierFirst ? earlierGate : laterGate;
        Gate& second = order == Release::EarlierFirst ? laterGate : earlierGate;
        first.Open();
        (order == Release::EarlierFirst ? earlier : later).wait();
        second.Open();
        EXPECT_EQ(earlier.get(), kExitSuperseded);
        EXPECT_EQ(later.get(), kExitOk);
        EXPECT_EQ(ReadAll(dir_ / "un.res"), "P = x");
        EXPECT_EQ(ReadAll(dir_ / "deux.res"), "Q = y\xFD");
    }
}

TEST_F(OverlappingRuns, RunsOneAfterTheOtherBothWrite)
{
    Gate open;
    open.Open();
    EXPECT_EQ(Start("y", "-x", open).get(), kExitOk);
    EXPECT_EQ(ReadAll(dir_ / "un.res"), "P = y");
    EXPECT_EQ(Start("x", "y", open).get(), kExitOk);
    EXPECT_EQ(ReadAll(dir_ / "un.res"), "P = x");
}

// A newer run that has started but not yet written: the older run's results
// must not replace the placeholder that the newer run will replace in turn.
TEST_F(OverlappingRuns, SupersededRunLeavesTheFilesAsTheyAre)
{
    std::string name = "essai", p = "y", q = "x", vars = "xy";
    char* argv[] = { name.data(), p.data(), q.data(), vars.data() };
    const int status = RunTool(4, argv, tool_, [this](const ParsedSystem&) {
        RunGuard newer(dir_, "essai");
        return std::vector<std::string> { "ancien", "ancien" };
    });
    EXPECT_EQ(status, kExitSuperseded);
    EXPECT_EQ(ReadAll(dir_ / "un.res"), kPlaceholder);
    EXPECT_EQ(ReadAll(dir_ / "deux.res"), kPlaceholder);
}

TEST_F(OverlappingRuns, ErrorOfASupersededRunIsNotWrittenEither)
{
    std::string name = "essai", p = "y", q = "x", vars = "xy";
    char* argv[] = { name.data(), p.data(), q.data(), vars.data() };
    const int status = RunTool(4, argv, tool_, [this](const ParsedSystem&) -> std::vector<std::string> {
        RunGuard newer(dir_, "essai");
        throw std::runtime_error("boum");
    });
    EXPECT_EQ(status, kExitSuperseded);
    EXPECT_EQ(ReadAll(dir_ / "un.res"), kPlaceholder);
}

TEST_F(OverlappingRuns, RunStartedBeforeTheRecordedNewestWritesNothingAtAll)
{
    RunStamp later = ThisProcessStamp();
    ASSERT_FALSE(later.boot.empty());
    later.startTicks += 1000;
    RunGuard newest(dir_, "essai", later);
    std::string name = "essai", p = "y", q = "x", vars = "xy";
    char* argv[] = { name.data(), p.data(), q.data(), vars.data() };
    bool computed = false;
    EXPECT_EQ(RunTool(4, argv, tool_,
                  [&](const ParsedSystem&) {
                      computed = true;
                      return std::vector<std::string> { "a", "b" };
                  }),
        kExitSuperseded);
    EXPECT_FALSE(computed);
    EXPECT_FALSE(fs::exists(dir_ / "un.res"));
    EXPECT_FALSE(fs::exists(dir_ / "deux.res"));
}

TEST_F(OverlappingRuns, SupersededRunPastItsBudgetEndsQuietlyWithoutTheTimeoutMessage)
{
    tool_.budget = std::chrono::milliseconds(200);
    EXPECT_EXIT(RunOutlivedByANewerRun(), ::testing::ExitedWithCode(kExitSuperseded), "");
    EXPECT_EQ(ReadAll(dir_ / "un.res"), kPlaceholder);
}

} // namespace
} // namespace vindrel::engine
