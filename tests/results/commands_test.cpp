#include "results/results.h"
#include "support/fake_platform.h"

#include <QDir>

#include <gtest/gtest.h>

#include <functional>

using namespace vindrel;
using namespace vindrel::test;

namespace {

using Command = std::function<void(Platform&, FormControls&, WorkingState&)>;

struct Results : ::testing::Test {
    FakePlatform platform;
    FakeControls form;
    WorkingState state;
    Results()
    {
        form.texts[Control::Composante1] = "y";
        form.texts[Control::Composante2] = "-x";
        state.iana = 1;
        QDir().mkpath(platform.AppPath() + "/sysdyn");
    }
    void Result(const char* file, const QByteArray& bytes)
    {
        WriteBytes(platform.AppPath() + "/sysdyn/" + file, bytes);
    }
    QByteArray Catalogue() const { return ReadBytes(platform.AppPath() + "/vindrel.txt"); }
};

const std::pair<const char*, Command> kCommands[] = {
    { "Résultats", Résultats_Click },
    { "Points_fixes", Points_fixes_Click },
    { "Hamiltonien", Hamiltonien_Click },
    { "Calculs_explicatifs", Calculs_explicatifs_Click },
};

TEST_F(Results, GuardsTestTheComponentsFirstThenTheFlag)
{
    const std::tuple<int, QString, QString, Control> cases[] = {
        { 0, "", "Sélectionnez un système d'équations !", Control::Composante1 },
        { 1, "", "Sélectionnez un système d'équations !", Control::Composante1 },
        { 0, "x", "Faites d'abord l'analyse du système!", Control::Analyser },
    };
    for (const auto& [name, command] : kCommands) {
        for (const auto& [iana, q, message, focus] : cases) {
            FakePlatform fresh;
            FakeControls controls;
            controls.texts[Control::Composante1] = "y";
            controls.texts[Control::Composante2] = q;
            state.iana = iana;
            state.inew = 1;
            command(fresh, controls, state);
            EXPECT_EQ(fresh.events, QStringList { "MsgBox Vindrel: " + message }) << name;
            EXPECT_EQ(controls.focus, std::vector<Control> { focus }) << name;
        }
    }
}

TEST_F(Results, EachCommandShowsItsFileAndHandsTheFocusOn)
{
    Result("brisolt.res", "conclusions\r\n");
    Result("dovra.res", "point (0,0) : centre\r\n");
    Result("skellin.res", "infini\r\n");
    Result("quenmar2.pho", "H = x\xFD + y\xFD\r\n");
    Result("tarnel2.res", "d\x82tail\r\n");
    const std::tuple<QString, std::vector<Control>> expected[] = {
        { "conclusions", { Control::Points_fixes } },
        { "point (0,0) : centre\r\ninfini", { Control::Hamiltonien } },
        { "H = x² + y²", { Control::Calculs_explicatifs } },
        { "détail", {} },
    };
    for (int i = 0; i < 4; ++i) {
        form.focus.clear();
        platform.messages.clear();
        kCommands[i].second(platform, form, state);
        ASSERT_EQ(platform.messages.size(), 1u) << kCommands[i].first;
        EXPECT_EQ(platform.messages[0].prompt, std::get<0>(expected[i]));
        EXPECT_EQ(platform.messages[0].caption, "Vindrel");
        EXPECT_EQ(form.focus, std::get<1>(expected[i])) << kCommands[i].first;
    }
    EXPECT_TRUE(platform.inputs.empty()); // inew unset counts as 0
    for (int channel = 2; channel <= 6; ++channel)
        EXPECT_FALSE(platform.Files().IsOpen(channel));
}

TEST_F(Results, PointsFixesDropsASecondTextThatIsZero)
{
    const std::pair<QString, bool> zeroCases[] = {
        { "0", true },
        { " 0 ", true },
        { "-0", true },
        { "+0", true },
        { "0,0", true },
        { "0.000", true },
        { "0e3", true },
        { ".0", true },
        { "0.", true },
        { "00", true },
        { "-0.0E-5", true },
        { "0\r\n", true },
        { "", false },
        { "O", false },
        { "0x", false },
        { "1", false },
        { "0.001", false },
        { "1e0", false },
        { "0 0", false },
        { ".", false },
        { "e3", false },
        { "0e", false },
        { "--0", false },
        { "0,0,0", false },
    };
    for (const auto& [text, zero] : zeroCases)
        EXPECT_EQ(EstNombreNul(text), zero) << text.toStdString();

    Result("dovra.res", "premier\r\n");
    const std::pair<QByteArray, QString> files[]
        = { { "0\r\n", "premier" }, { "", "premier\r\n" }, { "1 point\r\n", "premier\r\n1 point" } };
    for (const auto& [second, message] : files) {
        Result("skellin.res", second);
        Points_fixes_Click(platform, form, state);
        EXPECT_EQ(platform.messages.back().prompt, message);
    }
}

TEST_F(Results, ResultatsOffersTheRecordingOnlyInNewSystemModeAfterItsBox)
{
    Result("brisolt.res", "conclusions");
    for (std::optional<int> inew : { std::optional<int>(), std::optional<int>(0) }) {
        state.inew = inew;
        Résultats_Click(platform, form, state);
    }
    EXPECT_TRUE(platform.inputs.empty());

    state.inew = 1;
    platform.events.clear();
    form.focus.clear();
    platform.inputAnswers = { "", "Mon système" };
    Résultats_Click(platform, form, state);
    Résultats_Click(platform, form, state);
    EXPECT_EQ(platform.events,
        (QStringList { "MsgBox Vindrel: conclusions", "InputBox Enregistrement du nouveau système?",
            "MsgBox Vindrel: conclusions", "InputBox Enregistrement du nouveau système?" }));
    EXPECT_EQ(form.focus, (std::vector<Control> { Control::Points_fixes, Control::Points_fixes }));
    EXPECT_EQ(Catalogue(), QByteArray("Mon syst\xE8me\r\ny\r\n-x\r\n"));
    EXPECT_EQ(state.inew, std::optional<int>(1));
}

TEST_F(Results, AFailedRecordingStopsResultatsBeforeTheFocusMove)
{
    Result("brisolt.res", "conclusions");
    state.inew = 1;
    platform.inputAnswers = { "Nom" };
    platform.setAppPath(
        platform.AppPath() + "/sysdyn/brisolt.res"); // not a folder: the catalogue cannot open
    EXPECT_THROW(Résultats_Click(platform, form, state), PlatformError);
    EXPECT_TRUE(form.focus.empty());
}

} // namespace
