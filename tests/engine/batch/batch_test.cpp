// --batch: order, line numbers, isolation of bad lines, the --json object,
// the strict JSON line reader, and Ctrl+C on the real program.
#include "engine/batch/batch.h"
#include "engine/cli/batch.h"
#include "engine/cli/run_analyse.h"
#include "engine/text/json_object.h"

#include <gtest/gtest.h>

#include <csignal>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace vindrel::engine {
namespace {

std::string RandomPoly(std::mt19937& rng, int degree)
{
    std::string p;
    for (int i = 0; i <= degree; ++i)
        for (int j = 0; i + j <= degree; ++j) {
            const int c = static_cast<int>(rng() % 7) - 3;
            if (c == 0) continue;
            p += (c < 0 ? "-" : (p.empty() ? "" : "+")) + std::to_string(std::abs(c)) + "*x^"
                + std::to_string(i) + "*y^" + std::to_string(j);
        }
    return p.empty() ? "1" : p;
}

std::vector<std::string> SplitLines(const std::string& s)
{
    std::vector<std::string> lines;
    std::istringstream in(s);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

// Mixed fast, slow and unreadable lines under two threads: every line has
// its answer in place, and each answer is the --json object plus its number;
// --sections points gives the fixed points of the whole study.
TEST(Batch, OrderNumbersIsolationAndTheJsonObject)
{
    std::mt19937 rng(17);
    std::vector<std::vector<std::string>> systems; // empty: a bad line
    std::string input;
    for (int k = 0; k < 24; ++k) {
        const int kind = static_cast<int>(rng() % 4);
        if (kind == 0) {
            input += k % 2 ? "x+y\n" : "{\"P\": \"y\", \"Q\": 3}\n";
            systems.push_back({});
            continue;
        }
        const int degree = kind == 3 ? 5 : 1 + static_cast<int>(rng() % 2);
        const std::string p = RandomPoly(rng, degree), q = RandomPoly(rng, degree);
        input += k % 3 ? p + "\t" + q + "\r\n" : "{\"P\": \"" + p + "\", \"Q\": \"" + q + "\"}\n";
        systems.push_back({ p, q });
    }
    const auto file = std::filesystem::temp_directory_path() / ("batch_test_" + std::to_string(getpid()));
    std::ofstream(file) << input;
    std::vector<std::string> pointFields[2];
    for (const bool points : { false, true }) {
        std::ostringstream out, err;
        std::vector<std::string> args { "--batch", "--jobs", "2", file.string() };
        if (points) args.insert(args.begin(), { "--sections", "points" });
        EXPECT_EQ(RunAnalyse(args, out, err), kAnalyseInputError); // some lines are bad
        const std::vector<std::string> lines = SplitLines(out.str());
        ASSERT_EQ(lines.size(), systems.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string tail = ", \"line\": " + std::to_string(i + 1) + "}";
            ASSERT_TRUE(lines[i].ends_with(tail)) << lines[i];
            const std::string object = lines[i].substr(0, lines[i].size() - tail.size()) + "}";
            if (systems[i].empty()) {
                EXPECT_NE(object.find("\"error\": {\"message\": \"Ligne illisible"), std::string::npos)
                    << object;
                continue;
            }
            std::vector<std::string> single { "--json", "--", systems[i][0], systems[i][1] };
            if (points) single.insert(single.begin(), { "--sections", "points" });
            EXPECT_EQ(object + "\n", testing::Analyse(single).out) << "line " << i + 1;
            const size_t from = object.find("\"fixed_points\": "), to = object.find(", \"discussion\": ");
            ASSERT_LT(from, to) << object;
            pointFields[points].push_back(object.substr(from, to - from));
        }
    }
    EXPECT_EQ(pointFields[0], pointFields[1]);
    std::filesystem::remove(file);
}

TEST(Batch, StrictJsonLines)
{
    JsonStringMembers m;
    std::string problem;
    ASSERT_TRUE(
        ReadJsonStringObject(" {\"P\": \"a\\\"\\\\\\u00e9\\ud83d\\ude00\", \"Q\":\"\"} ", m, problem));
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].second, "a\"\\\xC3\xA9\xF0\x9F\x98\x80");
    for (const char* bad :
        { "{\"P\": \"a\", \"P\": \"b\"}", "{\"P\": 1}", "{\"P\": \"a\"} x", "{\"P\": \"a\",}",
            "{\"P\": \"\\ud83d\"}", "{\"P\": \"a", "{\"P\": \"\\q\"}", "{\"P\": \"\x01\"}", "[]" }) {
        EXPECT_FALSE(ReadJsonStringObject(bad, m, problem)) << bad;
        EXPECT_TRUE(problem.starts_with("JSON illisible, octet ")) << problem;
    }
}

// The real program, fed slowly through a pipe, gets SIGINT: it ends with
// 130 and every line it wrote is whole, numbered in order from 1.
TEST(Batch, InterruptLeavesWholeLinesOnly)
{
    int toChild[2], fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        close(toChild[1]);
        close(fromChild[0]);
        const std::string program = std::string(VINDREL_APP_DIR) + "/vindrel-analyse";
        execl(program.c_str(), program.c_str(), "--batch", "--jobs", "2", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    std::mt19937 rng(5);
    for (int k = 0; k < 400; ++k) {
        const std::string line = RandomPoly(rng, k % 5 == 4 ? 6 : 2) + "\t" + RandomPoly(rng, 2) + "\n";
        ASSERT_EQ(write(toChild[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }
    usleep(150000);
    kill(pid, SIGINT); // the pipe stays open: only the interrupt ends the run
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = read(fromChild[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(n));
    int status = 0;
    waitpid(pid, &status, 0);
    close(toChild[1]);
    close(fromChild[0]);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kAnalyseInterrupted);
    ASSERT_TRUE(out.empty() || out.back() == '\n');
    long previous = 0;
    for (const std::string& l : SplitLines(out)) {
        const size_t at = l.rfind(", \"line\": ");
        ASSERT_NE(at, std::string::npos) << l;
        ASSERT_TRUE(l.starts_with("{\"input\"") && l.ends_with("}")) << l;
        const long n = std::stol(l.substr(at + 10));
        EXPECT_GT(n, previous);
        previous = n;
    }
    EXPECT_GT(previous, 0); // lines were answered before the interrupt
}

// A line whose work never looks at the clock: the watchdog answers it in
// its place, the later lines keep flowing, and the run ends without it.
TEST(Batch, WatchdogAnswersAStuckLineAndGoesOn)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string input = "a\nb\nstuck\nc\nd\n";
    ASSERT_EQ(write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    close(fds[1]);
    struct Gate {
        std::mutex m;
        std::condition_variable cv;
        bool open = false, left = false;
    };
    auto gate = std::make_shared<Gate>();
    batch::FdLineSource source(fds[0], 0);
    batch::RunOptions options;
    options.jobs = 2;
    options.watchdog = std::chrono::milliseconds(1000);
    options.overdue = [](std::uint64_t line) { return batch::Answer { "late " + std::to_string(line), false }; };
    std::ostringstream out;
    const batch::Summary s = batch::Run(
        source, out,
        [gate](std::uint64_t, const std::string& text, bool) {
            if (text == "stuck") {
                std::unique_lock lock(gate->m);
                gate->cv.wait(lock, [&] { return gate->open; });
                gate->left = true;
            }
            return batch::Answer { "ok " + text, true };
        },
        options);
    close(fds[0]);
    EXPECT_EQ(out.str(), "ok a\nok b\nlate 3\nok c\nok d\n");
    EXPECT_EQ(s.abandoned, 1u);
    EXPECT_EQ(s.failed, 1u);
    std::unique_lock lock(gate->m);
    EXPECT_FALSE(gate->left); // still held when the run ended
    gate->open = true;
    gate->cv.notify_all();
}

// Lines are not flushed one by one, yet an answered line reaches the reader
// of the output while a long line after it is still being worked on.
TEST(Batch, AnsweredLinesAreFlushedWhileALongLineRuns)
{
    struct Visible : std::stringbuf {
        std::mutex m;
        std::condition_variable cv;
        std::string seen; // what the last flush made visible
        int sync() override
        {
            std::lock_guard lock(m);
            seen = str();
            cv.notify_all();
            return 0;
        }
    };
    auto visible = std::make_shared<Visible>();
    std::ostream out(visible.get());
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string input = "a\nlong\n";
    ASSERT_EQ(write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    close(fds[1]);
    batch::FdLineSource source(fds[0], 0);
    batch::RunOptions options;
    options.jobs = 1;
    batch::Run(
        source, out,
        [visible](std::uint64_t, const std::string& text, bool) {
            if (text != "long") return batch::Answer { "ok " + text, true };
            std::unique_lock lock(visible->m);
            const bool seen = visible->cv.wait_for(
                lock, std::chrono::seconds(5), [&] { return visible->seen == "ok a\n"; });
            return batch::Answer { seen ? "saw a" : "a not flushed", true };
        },
        options);
    close(fds[0]);
    EXPECT_EQ(visible->seen, "ok a\nsaw a\n");
}

} // namespace
} // namespace vindrel::engine
