// Overlapping runs of one tool: the run started last owns the files.
#include "engine/poly/print.h"
#include "engine/report/result_file.h"
#include "engine/tool/run_guard.h"
#include "engine/tool/tool_main.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <set>
#include <sstream>
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

constexpr std::chrono::milliseconds kNoWait { 0 };

// ---- RunGuard on its own ----------------------------------------------------

using RunGuardTest = TempDirTest;

TEST_F(RunGuardTest, FirstRunIsNewestAndRecordsItselfInTheLockFile)
{
    RunGuard guard(dir_, "essai", RunStamp { "boot-a", 42 });
    EXPECT_EQ(ReadAll(dir_ / ".essai.lock"), "1 42 boot-a\n");
    bool wrote = false;
    EXPECT_EQ(guard.WriteIfNewest([&] { wrote = true; }), WriteOutcome::Written);
    EXPECT_TRUE(wrote);
}

// Two runs of one tool reach the lock in the order first, second.
struct TwoRuns {
    const char* name;
    RunStamp first, second;
    WriteOutcome firstWrites, secondWrites;
};

TEST_F(RunGuardTest, OfTwoRunsOnlyTheOneStartedLastWrites)
{
    const TwoRuns cases[] = {
        { "later start supersedes", { "b", 10 }, { "b", 11 }, WriteOutcome::Superseded,
            WriteOutcome::Written },
        { "same tick: arrival order", { "b", 10 }, { "b", 10 }, WriteOutcome::Superseded,
            WriteOutcome::Written },
        { "started earlier, arrived later", { "b", 200 }, { "b", 100 }, WriteOutcome::Written,
            WriteOutcome::Superseded },
        { "another boot: no comparison", { "a", 900000 }, { "b", 5 }, WriteOutcome::Superseded,
            WriteOutcome::Written },
        { "unknown stamp: arrival order", { "b", 200 }, {}, WriteOutcome::Superseded, WriteOutcome::Written },
    };
    for (const TwoRuns& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(LockFile());
        RunGuard first(dir_, "essai", c.first);
        RunGuard second(dir_, "essai", c.second);
        int writes = 0;
        EXPECT_EQ(second.WriteIfNewest([&] { ++writes; }), c.secondWrites);
        EXPECT_EQ(first.WriteIfNewest([&] { ++writes; }), c.firstWrites);
        EXPECT_EQ(writes, 1);
        EXPECT_EQ(second.supersededAtStart(), c.secondWrites == WriteOutcome::Superseded);
    }
}

TEST_F(RunGuardTest, EachToolHasItsOwnOrder)
{
    RunGuard velquin(dir_, "velquin2", RunStamp { "boot-a", 10 });
    RunGuard durmosk(dir_, "durmosk", RunStamp { "boot-a", 11 });
    EXPECT_EQ(velquin.WriteIfNewest([] {}), WriteOutcome::Written);
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
        // Two runs share this process: the earlier must not end it.
        tool_ = ToolSpec { "essai", { "un.res", "deux.res" }, true, dir_ };
        tool_.onSuperseded = OnSuperseded::FinishComputation;
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
    // then goes on for seconds and leaves a mark if it ends.
    void RunOutlivedByANewerRun()
    {
        std::string name = "essai", p = "y", q = "x", vars = "xy";
        char* argv[] = { name.data(), p.data(), q.data(), vars.data() };
        RunTool(4, argv, tool_, [this](const ParsedSystem&) {
            RunGuard newer(dir_, "essai");
            std::this_thread::sleep_for(std::chrono::seconds(3));
            std::ofstream(dir_ / "fini") << "calcul fini";
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
    // Its prepared results were removed, not left beside the files.
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string> { ".essai.lock", "deux.res", "un.res" }));
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

TEST_F(OverlappingRuns, SupersededToolEndsAtOnceWithoutFinishingItsComputation)
{
    tool_.onSuperseded = OnSuperseded::EndProcess;
    EXPECT_EXIT(RunOutlivedByANewerRun(), ::testing::ExitedWithCode(kExitSuperseded), "");
    EXPECT_FALSE(fs::exists(dir_ / "fini"));
    EXPECT_EQ(ReadAll(dir_ / "un.res"), kPlaceholder);
}

} // namespace
} // namespace vindrel::engine
