// Result files and the text mode keep every line within 100 characters:
// long lines are broken at blanks and nothing is lost, for random texts, the
// catalogue systems and random systems.
#include "engine/cli/analyse.h"
#include "engine/cli/run_analyse.h"
#include "engine/report/decode_table.h"
#include "engine/report/dos.h"
#include "engine/report/result_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <unistd.h>

namespace vindrel::engine {
namespace {

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    return { std::istream_iterator<std::string>(in), std::istream_iterator<std::string>() };
}

size_t Characters(const std::string& line)
{
    size_t n = 0;
    for (unsigned char c : line)
        n += (c & 0xC0) != 0x80;
    return n;
}

void ExpectShortLines(const std::string& text, const std::string& what)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        ASSERT_LE(Characters(line), kResultLineLimit) << what << "\n" << line;
}

void ExpectWrapped(const std::string& original, const std::string& wrapped, const std::string& what)
{
    ExpectShortLines(wrapped, what);
    EXPECT_EQ(Words(original), Words(wrapped)) << what;
}

TEST(LineLength, RandomTextsKeepTheirWordsInOrder)
{
    std::mt19937 rng(18);
    const std::vector<std::string> letters { "a", "é", "x", "²", "=", "(", "ù" };
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int line = 0; line < 4; ++line) {
            text += std::string(rng() % 12, ' ');
            for (int w = rng() % 40; w > 0; --w) {
                for (int c = 1 + rng() % 30; c > 0; --c)
                    text += letters[rng() % letters.size()];
                text += std::string(1 + rng() % 3, ' ');
            }
            text += '\n';
        }
        const std::string wrapped = WrapLongLines(text);
        ExpectWrapped(text, wrapped, text);
        EXPECT_EQ(wrapped, WrapLongLines(wrapped)); // already short enough
    }
    // A word longer than a line is cut, and only then.
    const std::string word(250, 'z');
    const std::string cut = WrapLongLines("  " + word);
    EXPECT_EQ(word, [&] {
        std::string joined;
        for (const std::string& w : Words(cut))
            joined += w;
        return joined;
    }());
    ExpectShortLines(cut, cut);
    EXPECT_EQ(3u, Words(cut).size());
}

std::vector<std::pair<std::string, std::string>> Systems()
{
    std::vector<std::pair<std::string, std::string>> systems;
    std::ifstream in(VINDREL_SOURCE_DIR "/data/vindrel.txt", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    for (size_t i = 3; i + 2 < lines.size(); i += 3)
        systems.emplace_back(lines[i + 1], lines[i + 2]);
    EXPECT_GT(systems.size(), 20u);
    std::mt19937 rng(100);
    const auto randomComponent = [&] {
        std::string p;
        for (int t = 1 + rng() % 5; t > 0; --t) {
            const int c = static_cast<int>(rng() % 7) - 3;
            p += (c < 0 ? "-" : "+") + std::to_string(c == 0 ? 1 : std::abs(c)) + "x^"
                + std::to_string(rng() % 3) + "y^" + std::to_string(rng() % 2);
        }
        return p;
    };
    for (int k = 0; k < 8; ++k)
        systems.emplace_back(randomComponent(), randomComponent());
    return systems;
}

TEST(LineLength, EveryResultFileAndTheTextModeOfEverySystem)
{
    const std::filesystem::path dir
        = std::filesystem::temp_directory_path() / ("vindrel_lines_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const auto& [p, q] : Systems()) {
        const ParsedSystem s = ParseSystem(p, q);
        for (const ReportSection& section : AnalyseSections()) {
            const std::string text = section.report(s);
            WriteResultFile(dir / section.file, text);
            std::ifstream in(dir / section.file, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ExpectWrapped(text, testing::FrontEndRead(bytes), section.file + " " + p + " " + q);
        }
        const testing::Outcome shown = testing::Analyse({ "--", p, q });
        ASSERT_EQ(kAnalyseOk, shown.status) << p << " " << q;
        ExpectShortLines(shown.out, "texte de " + p + " " + q);
    }
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace vindrel::engine
