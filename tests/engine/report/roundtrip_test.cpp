// Every text a tool can write reads back unchanged through the front end's
// decoding: reports, error messages (with user input echoed), fixed texts.
#include "decode_table.h"
#include "engine/errors.h"
#include "engine/hamiltonian/hamiltonian.h"
#include "engine/report/dos.h"
#include "engine/report/result_file.h"
#include "engine/tool/tool_main.h"
#include "engine/tool/words.h"

#include <gtest/gtest.h>

namespace vindrel::engine {
namespace {

using testing::FrontEndRead;

// The final line end closes the last line; the front end shows no line after it.
void ExpectReadsBack(const std::string& text)
{
    std::string shown = text;
    if (!shown.empty() && shown.back() == '\n') shown.pop_back();
    EXPECT_EQ(FrontEndRead(ToDos850(text)), shown) << text;
}

TEST(RoundTrip, HamiltonianReports)
{
    const char* systems[][2] = { { "y", "-x+x^2" }, { "x-xy", "xy-y" }, { "-a", "-2abx-b" },
        { "ax+y", "bx-y" }, { "ax^2+x", "-2axy" }, { "3x^2-1", "0" }, { "0", "0" }, { "x^5y^4-1/3", "y^7" },
        { "2ax+by", "-2bx^2y+cy" } };
    for (const auto& s : systems)
        ExpectReadsBack(HamiltonianReport(ParseSystem(s[0], s[1])));
}

TEST(RoundTrip, ErrorReportsEchoingAnyInput)
{
    const char* inputs[] = { "x2", "sin(x)", "(x", "x)", "x^-1", "x^1.5", "x/y", "x/0", "é", "x×y", "«x»",
        "\x01", "\xFF", "x^1000", "2^99999999", "", "x+", "√x", "x\r\ny" };
    for (const char* p : inputs) {
        try {
            ParseSystem(p, "y");
            ADD_FAILURE() << p;
        } catch (const EngineError& e) {
            ExpectReadsBack(ErrorReport(e.what()));
        }
    }
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>> {
             { "x", "+", "y", "x", "xy" }, { "x", "«", "»", "xy" }, { "y", "x", "é√" }, { "\xC3" } }) {
        try {
            RejoinWords(words, VarsWord::Present);
            ADD_FAILURE();
        } catch (const EngineError& e) {
            ExpectReadsBack(ErrorReport(e.what()));
        }
    }
}

TEST(RoundTrip, FixedTexts)
{
    ExpectReadsBack(kPlaceholder);
    ExpectReadsBack(kTimeoutMessage);
}

} // namespace
} // namespace vindrel::engine
