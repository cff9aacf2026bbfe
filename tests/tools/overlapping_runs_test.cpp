// Two Analyser clicks in quick succession, as processes: the real velquin2 and
// durmosk run from a temporary copy of the tool folder, an earlier run on one
// system overlapping a later run on another. Whatever the order in which the
// processes end, the files must end exactly as the later run alone leaves
// them. A lock left by a killed process must not block the next run.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitSuperseded = 5;
constexpr auto kKillAfter = std::chrono::seconds(60);
const std::string kPlaceholder = "Calcul en cours... cliquez de nouveau dans un instant.";
const std::vector<std::string> kTools { "velquin2", "durmosk" };
const std::vector<std::string> kFiles { "quenmar2.pho", "dovra.res", "skellin.res" };

// Quick to analyse.
const std::vector<std::string> kQuick { "y", "-x+x^2" };
const std::vector<std::string> kQuickOther { "x-y", "x+y" };

// Degree 12 with 142 or 166 real fixed points: durmosk takes about 1 s or
// 3.5 s in an optimised build.
std::vector<std::string> SlowSystem(int factorsOfQ)
{
    std::string p, q;
    for (int i = 1; i <= 12; ++i)
        p += (i > 1 ? "*" : "") + ("(x-" + std::to_string(i) + "+y/" + std::to_string(i + 1) + ")");
    for (int i = 1; i <= factorsOfQ; ++i)
        q += (i > 1 ? "*" : "") + ("(y-" + std::to_string(i) + "+x^2/" + std::to_string(i + 3) + ")");
    return { p, q };
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

// One tool process, stderr kept in a file.
class ToolProcess {
public:
    ToolProcess(const fs::path& program, const std::vector<std::string>& components, const fs::path& errFile)
    {
        std::vector<std::string> args { program.string() };
        args.insert(args.end(), components.begin(), components.end());
        args.push_back("xy");
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ToolProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    // The exit status; -1 if it did not start or had to be killed.
    int Wait()
    {
        if (pid_ <= 0) return -1;
        const auto end = std::chrono::steady_clock::now() + kKillAfter;
        int wstatus = 0;
        while (::waitpid(pid_, &wstatus, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &wstatus, 0);
                pid_ = -1;
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pid_ = -1;
        return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    }

private:
    pid_t pid_ = -1;
};

class OverlappingToolRuns : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const std::string& tool : kTools)
            if (!fs::exists(Built(tool))) GTEST_SKIP() << "construisez d'abord " << tool;
        root_ = fs::temp_directory_path()
            / ("vindrel-overlap-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        sysdyn_ = MakeToolFolder("app");
    }
    void TearDown() override { fs::remove_all(root_); }

    static fs::path Built(const std::string& tool) { return fs::path(VINDREL_APP_DIR) / "sysdyn" / tool; }

    fs::path MakeToolFolder(const std::string& name)
    {
        const fs::path dir = root_ / name / "sysdyn";
        fs::create_directories(dir);
        for (const std::string& tool : kTools)
            fs::copy_file(Built(tool), dir / tool);
        return dir;
    }

    // The files of one Analyser click's velquin2 and durmosk on the system, run alone.
    std::map<std::string, std::string> AloneResults(const std::vector<std::string>& system)
    {
        const fs::path dir = MakeToolFolder("seul" + std::to_string(++aloneRuns_));
        for (const std::string& tool : kTools)
            EXPECT_EQ(ToolProcess(dir / tool, system, dir / (tool + ".err")).Wait(), kExitOk) << tool;
        return Files(dir);
    }

    static std::map<std::string, std::string> Files(const fs::path& dir)
    {
        std::map<std::string, std::string> files;
        for (const std::string& f : kFiles)
            files[f] = ReadFile(dir / f);
        return files;
    }

    // Waits until every file exists in the fresh tool folder: each tool of the
    // first run has taken its place and written its placeholder. The window
    // never starts the same tool twice within one clock tick (two message
    // boxes are closed in between), so the test does not either.
    bool WaitUntilStarted()
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (const std::string& f : kFiles) {
            while (!fs::exists(sysdyn_ / f)) {
                if (std::chrono::steady_clock::now() > end) return false;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        return true;
    }

    fs::path Err(const std::string& name) const { return root_ / (name + ".err"); }

    fs::path root_, sysdyn_;
    int aloneRuns_ = 0;
};

TEST_F(OverlappingToolRuns, SlowEarlierRunEndingLastLeavesTheLaterRunsResults)
{
    const std::vector<std::string> slow = SlowSystem(7);
    const auto expected = AloneResults(kQuick);

    ToolProcess velquinA(sysdyn_ / "velquin2", slow, Err("velquin2-a"));
    ToolProcess durmoskA(sysdyn_ / "durmosk", slow, Err("durmosk-a"));
    ASSERT_TRUE(WaitUntilStarted());
    EXPECT_EQ(ReadFile(sysdyn_ / "dovra.res"), kPlaceholder);
    ToolProcess velquinB(sysdyn_ / "velquin2", kQuick, Err("velquin2-b"));
    ToolProcess durmoskB(sysdyn_ / "durmosk", kQuick, Err("durmosk-b"));
    EXPECT_EQ(velquinB.Wait(), kExitOk);
    EXPECT_EQ(durmoskB.Wait(), kExitOk);
    EXPECT_EQ(Files(sysdyn_), expected) << "before the earlier durmosk ends";

    EXPECT_EQ(durmoskA.Wait(), kExitSuperseded) << "the earlier durmosk ended before the later one started";
    const int velquinStatus = velquinA.Wait();
    EXPECT_TRUE(velquinStatus == kExitOk || velquinStatus == kExitSuperseded) << velquinStatus;
    EXPECT_EQ(Files(sysdyn_), expected);
    EXPECT_EQ(ReadFile(Err("durmosk-a")), "") << "a superseded run ends quietly";
}

TEST_F(OverlappingToolRuns, SlowLaterRunStartedRightAfterAQuickEarlierRunLeavesItsOwnResults)
{
    const std::vector<std::string> slow = SlowSystem(6);
    const auto expected = AloneResults(slow);

    ToolProcess velquinA(sysdyn_ / "velquin2", kQuick, Err("velquin2-a"));
    ToolProcess durmoskA(sysdyn_ / "durmosk", kQuick, Err("durmosk-a"));
    ASSERT_TRUE(WaitUntilStarted());
    ToolProcess velquinB(sysdyn_ / "velquin2", slow, Err("velquin2-b"));
    ToolProcess durmoskB(sysdyn_ / "durmosk", slow, Err("durmosk-b"));
    const int statusA = durmoskA.Wait();
    EXPECT_TRUE(statusA == kExitOk || statusA == kExitSuperseded) << statusA;
    velquinA.Wait();
    EXPECT_EQ(velquinB.Wait(), kExitOk);
    EXPECT_EQ(durmoskB.Wait(), kExitOk);
    EXPECT_EQ(Files(sysdyn_), expected);
}

// A child that takes durmosk's lock and keeps it until killed.
pid_t HoldLock(const fs::path& lockFile)
{
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0644);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
        const char byte = 1;
        if (::write(ready[1], &byte, 1) != 1) ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    const bool locked = pid > 0 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    return locked ? pid : -1;
}

void Kill(pid_t pid)
{
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

const std::string kUncheckedWrite = "écriture des résultats sans vérification";

TEST_F(OverlappingToolRuns, LockLeftByAKilledProcessDoesNotDelayTheNextRun)
{
    const auto expected = AloneResults(kQuick);
    const pid_t holder = HoldLock(sysdyn_ / ".durmosk.lock");
    ASSERT_GT(holder, 0);
    Kill(holder);
    for (const std::string& tool : kTools)
        EXPECT_EQ(ToolProcess(sysdyn_ / tool, kQuick, Err(tool)).Wait(), kExitOk);
    EXPECT_EQ(Files(sysdyn_), expected);
    EXPECT_EQ(ReadFile(Err("durmosk")), "") << "durmosk found the lock taken";
}

TEST_F(OverlappingToolRuns, LockKeptByAStoppedProcessDelaysTheRunButDoesNotHangIt)
{
    const auto expected = AloneResults(kQuick);
    const pid_t holder = HoldLock(sysdyn_ / ".durmosk.lock");
    ASSERT_GT(holder, 0);
    for (const std::string& tool : kTools)
        EXPECT_EQ(ToolProcess(sysdyn_ / tool, kQuick, Err(tool)).Wait(), kExitOk);
    Kill(holder);
    EXPECT_EQ(Files(sysdyn_), expected);
    EXPECT_NE(ReadFile(Err("durmosk")).find(kUncheckedWrite), std::string::npos) << ReadFile(Err("durmosk"));
}

} // namespace
