// The analysis tools as processes on hostile components: each tool that is
// built runs from a temporary copy of the program folder, must finish within
// 10 s with a non-zero exit status, and must leave in every file it owns a
// readable message, never the placeholder. The table of what each input gave
// (time, first line) is printed for the record.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr auto kLimit = std::chrono::seconds(10);
constexpr auto kKillAfter = std::chrono::seconds(30);
const std::string kPlaceholder = "Calcul en cours... cliquez de nouveau dans un instant.";

struct ToolFiles {
    std::string tool;
    std::vector<std::string> files;
    bool varsWord;
};

const ToolFiles kTools[] = {
    { "korbast", { "brisolt.res", "tarnel2.res" }, false },
    { "velquin2", { "quenmar2.pho" }, true },
    { "durmosk", { "dovra.res", "skellin.res" }, true },
};

struct Hostile {
    std::string name;
    std::vector<std::string> words; // the components' words, before "xy"
};

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::vector<Hostile> HostileInputs()
{
    std::vector<std::string> fiveHundred;
    for (int i = 0; i < 250; ++i) {
        fiveHundred.push_back("x");
        fiveHundred.push_back("+");
    }
    return {
        { "100 000 caractères", { "x" + Repeat("+x", 49999) + "+", "y" } },
        { "imbrication 10 000", { Repeat("(", 10000) + "x" + Repeat(")", 10000), "y" } },
        { "imbrication 400", { Repeat("(", 400) + "x" + Repeat(")", 400), "y" } },
        { "900 signes moins", { Repeat("-", 900) + "x", "y" } },
        { "x^1000000000", { "x^1000000000", "y" } },
        { "degré 200 dense", { "(1+x+y)^200", "x*y^199+y^200" } },
        { "caractères de contrôle",
            { "x\x01\x07"
              "y\x1b[2J",
                "\x7f-x" } },
        { "UTF-8 invalide", { "x\xff\xfe+\xc3", "\xe9y" } },
        { "blancs seuls", { "   ", "\t " } },
        { "500 mots", fiveHundred },
    };
}

fs::path BuiltTool(const std::string& tool)
{
    return fs::path(VINDREL_APP_DIR) / "sysdyn" / tool;
}

struct ToolRun {
    int status = -1; // exit status, or -1 when killed
    std::chrono::milliseconds elapsed {};
};

// Runs the program with its words, output to /dev/null; kills it past kKillAfter.
ToolRun RunProcess(const fs::path& program, const std::vector<std::string>& words)
{
    std::vector<std::string> args { program.string() };
    args.insert(args.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ToolRun run;
    if (spawned != 0) return run;
    int wstatus = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &wstatus, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() - start > kKillAfter) {
            kill(pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    run.elapsed
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
    return run;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

// Bytes a result file may hold: printable ASCII, CR LF, and the code page
// 850 letters that the front end converts.
bool OnlyResultFileBytes(const std::string& text)
{
    const std::string letters = "\x82\x8a\x88\x89\x87\x85\x83\x84\x96\x97\x81\x8b\x8c\x93\x94\xfd";
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 0x20 && b < 0x7f) || c == '\r' || c == '\n') continue;
        if (letters.find(c) == std::string::npos) return false;
    }
    return true;
}

// The first line, its code page 850 letters in UTF-8, for the printed table.
std::string FirstLine(const std::string& text)
{
    const std::string dos = "\x82\x8a\x88\x89\x87\x85\x83\x84\x96\x97\x81\x8b\x8c\x93\x94\xfd";
    const char* utf8[] = { "é", "è", "ê", "ë", "ç", "à", "â", "ä", "û", "ù", "ü", "ï", "î", "ô", "ö", "²" };
    std::string out;
    for (const char c : text.substr(0, text.find('\r'))) {
        const size_t i = dos.find(c);
        out += i == std::string::npos ? std::string(1, c) : std::string(utf8[i]);
    }
    return out;
}

struct HostileTools : ::testing::Test {
    fs::path folder;
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("vindrel-hostile-" + std::to_string(::getpid()));
        fs::create_directories(folder / "sysdyn");
    }
    void TearDown() override { fs::remove_all(folder); }
};

TEST_F(HostileTools, EveryBuiltToolRefusesHostileComponentsInTimeWithAMessageInEachFile)
{
    int toolsRun = 0;
    for (const ToolFiles& tool : kTools) {
        if (!fs::exists(BuiltTool(tool.tool))) continue;
        ++toolsRun;
        const fs::path copy = folder / "sysdyn" / tool.tool;
        fs::copy_file(BuiltTool(tool.tool), copy, fs::copy_options::overwrite_existing);
        for (const Hostile& input : HostileInputs()) {
            SCOPED_TRACE(tool.tool + " / " + input.name);
            for (const std::string& file : tool.files)
                fs::remove(folder / "sysdyn" / file);
            std::vector<std::string> words = input.words;
            if (tool.varsWord) words.push_back("xy");
            const ToolRun run = RunProcess(copy, words);
            EXPECT_LT(run.elapsed, kLimit);
            EXPECT_GT(run.status, 0) << "exit status (-1: killed)";
            for (const std::string& file : tool.files) {
                const std::string text = ReadFile(folder / "sysdyn" / file);
                EXPECT_EQ(text.find(kPlaceholder), std::string::npos)
                    << file << " still holds the placeholder";
                EXPECT_GT(text.size(), 20u) << file;
                EXPECT_TRUE(OnlyResultFileBytes(text)) << file;
                std::printf("| %s | %s | %lld ms | %d | %s: %s |\n", tool.tool.c_str(), input.name.c_str(),
                    static_cast<long long>(run.elapsed.count()), run.status, file.c_str(),
                    FirstLine(text).c_str());
            }
        }
    }
    if (toolsRun == 0) GTEST_SKIP() << "aucun outil d'analyse n'est construit";
}

} // namespace
