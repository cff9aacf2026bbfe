#include "analysis/analysis.h"
#include "catalogue/catalogue.h"
#include "support/fake_platform.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

using namespace vindrel;
using namespace vindrel::test;

namespace {

struct Analysis : ::testing::Test {
    FakePlatform platform;
    FakeControls form;
    WorkingState state;
    void Components(const QString& p, const QString& q)
    {
        form.texts[Control::Composante1] = p;
        form.texts[Control::Composante2] = q;
    }
    QString Tool(const char* name) const { return platform.AppPath() + "/sysdyn/" + name; }
};

TEST_F(Analysis, GuardsTestTheFlagFirstThenTheComponents)
{
    struct Case {
        int iana;
        QString p, q;
        QString message;
        Control focus;
    };
    const Case cases[] = {
        { 1, "", "", "Système en cours déjà analysé!", Control::Resultats },
        { 0, "", "", "Sélectionnez un système d'équations !", Control::Composante1 },
        { 0, "y", "", "Sélectionnez un système d'équations !", Control::Composante1 },
        { 0, "", "x", "Sélectionnez un système d'équations !", Control::Composante1 },
    };
    for (const Case& c : cases) {
        FakePlatform fresh;
        FakeControls controls;
        controls.texts[Control::Composante1] = c.p;
        controls.texts[Control::Composante2] = c.q;
        state.iana = c.iana;
        Analyser_Click(fresh, controls, state);
        EXPECT_EQ(fresh.events, QStringList { "MsgBox Vindrel: " + c.message });
        EXPECT_EQ(controls.focus, std::vector<Control> { c.focus });
        EXPECT_EQ(state.iana, c.iana);
    }
}

TEST_F(Analysis, ARunStartsTheThreeToolsHiddenBetweenItsMessagesAndMarksTheSystem)
{
    Components("y", "-x+x^2");
    Analyser_Click(platform, form, state);
    EXPECT_EQ(platform.events,
        (QStringList { "Start " + Tool("korbast"), "MsgBox Vindrel: Analyse générale du système terminée",
            "Start " + Tool("velquin2"), "Start " + Tool("durmosk"),
            "MsgBox Vindrel: Recherche des points fixes terminée" }));
    ASSERT_EQ(platform.started.size(), 3u);
    EXPECT_EQ(platform.started[0].arguments, (QStringList { "y", "-x+x^2" }));
    for (int i : { 1, 2 })
        EXPECT_EQ(platform.started[i].arguments, (QStringList { "y", "-x+x^2", "xy" }));
    for (const StartedProgram& s : platform.started)
        EXPECT_EQ(s.style, WindowStyle::Hidden);
    EXPECT_EQ(state.iana, 1);
    EXPECT_EQ(form.focus, std::vector<Control> { Control::Resultats });

    Analyser_Click(platform, form, state);
    EXPECT_EQ(platform.started.size(), 3u);
    EXPECT_EQ(platform.messages.back().prompt, "Système en cours déjà analysé!");

    // Choosing a catalogue entry clears the flag: the next click runs again.
    state.Max = 1;
    state.nomsys[1] = "S";
    state.compo1[1] = "y";
    state.compo2[1] = "x";
    form.texts[Control::Nom] = "S";
    Nom_Click(form, state);
    Analyser_Click(platform, form, state);
    EXPECT_EQ(platform.started.size(), 6u);
}

TEST_F(Analysis, CommandLinesAreSplitAtBlanksOnlyAfterTheToolPath)
{
    platform.setAppPath(platform.AppPath() + "/dossier avec blanc");
    const std::tuple<QString, QString, QString, QStringList> cases[] = {
        { "x + y", "-x", "x + y -x xy", { "x", "+", "y", "-x", "xy" } },
        { "  x", "y  ", "  x y   xy", { "x", "y", "xy" } },
        { "   ", "y", "    y xy", { "y", "xy" } },
        { "\"x y\"", "'a'", "\"x y\" 'a' xy", { "\"x", "y\"", "'a'", "xy" } },
        { "x;rm -rf ~", "$(reboot)", "x;rm -rf ~ $(reboot) xy", { "x;rm", "-rf", "~", "$(reboot)", "xy" } },
        { "x²\té", "`id`|a>b&", "x²\té `id`|a>b& xy", { "x²", "é", "`id`|a>b&", "xy" } },
    };
    for (const auto& [p, q, tail, words] : cases) {
        EXPECT_EQ(ToolCommandText(platform, Tool::Durmosk, p, q), Tool("durmosk") + " " + tail);
        const CommandLine command = ToolCommand(platform, Tool::Durmosk, p, q);
        EXPECT_EQ(command.program, Tool("durmosk"));
        EXPECT_EQ(command.arguments, words);
    }
}

TEST_F(Analysis, AToolThatCannotStartStopsTheRunAtThatStep)
{
    Components("y", "x");
    platform.startFailure = PlatformError(53, "Fichier introuvable : velquin2");
    platform.startFailureAfter = 1;
    EXPECT_THROW(Analyser_Click(platform, form, state), PlatformError);
    EXPECT_EQ(platform.events,
        (QStringList { "Start " + Tool("korbast"), "MsgBox Vindrel: Analyse générale du système terminée" }));
    EXPECT_EQ(state.iana, 0);
    EXPECT_TRUE(form.focus.empty());
}

// Starts programs for real, detached and without a shell, as the program does.
struct RealStartPlatform : FakePlatform {
    void StartProgram(const QString& program, const QStringList& arguments, WindowStyle style) override
    {
        FakePlatform::StartProgram(program, arguments, style);
        if (!QProcess::startDetached(program, arguments, AppPath()))
            throw PlatformError(53, "Fichier introuvable : " + program);
    }
};

TEST(AnalysisProcesses, ShellCharactersReachTheRealToolsAsLiteralWords)
{
    RealStartPlatform platform;
    FakeControls form;
    WorkingState state;
    const QString dir = platform.AppPath() + "/sysdyn/";
    ASSERT_TRUE(QDir().mkpath(dir));
    for (const char* tool : { "korbast", "velquin2", "durmosk" }) {
        WriteBytes(dir + tool,
            "#!/bin/sh\nout=\"$0.args\"\nprintf '%s\\0' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n");
        QFile::setPermissions(dir + tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QString marker = platform.AppPath() + "/PWNED";
    form.texts[Control::Composante1] = "x;touch " + marker + "1";
    form.texts[Control::Composante2] = "$(touch " + marker + "2)|`touch " + marker + "3`";
    Analyser_Click(platform, form, state);

    const QStringList words = { "x;touch", marker + "1", "$(touch", marker + "2)|`touch", marker + "3`" };
    QDeadlineTimer deadline(10000);
    for (const char* tool : { "korbast", "velquin2", "durmosk" }) {
        const QString args = dir + tool + ".args";
        while (!QFile::exists(args) && !deadline.hasExpired())
            QThread::msleep(10);
        const QStringList received = QString::fromUtf8(ReadBytes(args)).split(QChar(0), Qt::SkipEmptyParts);
        EXPECT_EQ(received, QString(tool) == "korbast" ? words : words + QStringList { "xy" }) << tool;
    }
    for (const char* n : { "1", "2", "3" })
        EXPECT_FALSE(QFile::exists(marker + n));
}

} // namespace
