#include "catalogue/catalogue.h"
#include "support/fake_platform.h"

#include <QDir>
#include <QFile>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

using namespace vindrel;
using namespace vindrel::test;

namespace {

QByteArray Records(int n)
{
    QByteArray bytes;
    for (int i = 1; i <= n; ++i)
        bytes += "S" + QByteArray::number(i) + "\r\nP" + QByteArray::number(i) + "\r\nQ\r\n";
    return bytes;
}

struct Catalogue : ::testing::Test {
    FakePlatform platform;
    FakeControls form;
    WorkingState state;
    QString CataloguePath() const { return platform.AppPath() + "/vindrel.txt"; }
    QString Load(const std::optional<QByteArray>& bytes)
    {
        if (bytes) WriteBytes(CataloguePath(), *bytes);
        ::testing::internal::CaptureStderr();
        ChargerCatalogue(platform, form, state);
        return QString::fromStdString(::testing::internal::GetCapturedStderr());
    }
    void Select(const QString& item)
    {
        form.texts[Control::Nom] = item;
        Nom_Click(form, state);
    }
};

struct LoadCase {
    const char* what;
    std::optional<QByteArray> file;
    QStringList items;
    QStringList lastRecord; // nomsys, compo1, compo2 at index Max
};

TEST_F(Catalogue, LoadingFollowsTheLineRulesAndShortRecords)
{
    const LoadCase cases[] = {
        { "complete records", "A\r\np1\r\nq1\r\nB\r\np2\r\nq2\r\n", { "A", "B" }, { "B", "p2", "q2" } },
        { "no final line end", "A\r\np1\r\nq1\r\nB\r\np2\r\nq2", { "A", "B" }, { "B", "p2", "q2" } },
        { "3n+1 lines", "A\r\np1\r\nq1\r\nB", { "A", "B" }, { "B", "", "" } },
        { "3n+2 lines", "A\r\np1\r\nq1\r\nB\r\np2\r\n", { "A", "B" }, { "B", "p2", "" } },
        { "blank line after the records", "A\r\np1\r\nq1\r\n\r\n", { "A", "" }, { "", "", "" } },
        { "LF only", "A\np1\nq1\n", { "A\np1\nq1\n" }, { "A\np1\nq1\n", "", "" } },
        { "lone CR", "A\rp1\rq1\r", { "A" }, { "A", "p1", "q1" } },
        { "blanks kept", "  A \r\n p \r\nq \r\n", { "  A " }, { "  A ", " p ", "q " } },
        { "Windows-1252 bytes", "Nouveau syst\xE8me\r\n\x80x\r\ny\r\n", { "Nouveau système" },
            { "Nouveau système", "€x", "y" } },
        { "empty file", QByteArray(""), { "" }, { "", "", "" } },
        { "missing file", std::nullopt, { "" }, { "", "", "" } },
    };
    for (const LoadCase& c : cases) {
        FakeControls fresh;
        WorkingState loaded;
        if (c.file)
            WriteBytes(CataloguePath(), *c.file);
        else
            QFile::remove(CataloguePath());
        ChargerCatalogue(platform, fresh, loaded);
        EXPECT_EQ(fresh.nomItems, c.items) << c.what;
        EXPECT_EQ(loaded.Max, c.items.size()) << c.what;
        EXPECT_EQ(
            (QStringList { loaded.nomsys[loaded.Max], loaded.compo1[loaded.Max], loaded.compo2[loaded.Max] }),
            c.lastRecord)
            << c.what;
        EXPECT_FALSE(platform.Files().IsOpen(1)) << c.what;
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Catalogue, SixtyRecordsFillTheTablesAndASurplusIsReportedOnceOnStandardError)
{
    const QString warning = "vindrel : le catalogue " + QDir::toNativeSeparators(CataloguePath())
        + " contient plus de 60 systèmes ; la fin du fichier est ignorée.\n";
    const std::pair<QByteArray, QString> cases[] = {
        { Records(60), "" },
        { Records(60).chopped(2), "" },
        { Records(60) + "\r\n", warning },
        { Records(75), warning },
    };
    for (const auto& [bytes, expected] : cases) {
        FakeControls fresh;
        form = fresh;
        state = WorkingState();
        EXPECT_EQ(Load(bytes), expected);
        EXPECT_EQ(state.Max, 60);
        EXPECT_EQ(form.nomItems.size(), 60);
        EXPECT_EQ(state.compo1[60], "P60");
    }
}

TEST_F(Catalogue, SelectionSetsNewSystemModeFromThePhraseBeforeCopyingTheLastMatch)
{
    Load("Nouveau syst\xE8me\r\nnp\r\nnq\r\nLin\r\nx\r\n-y\r\nLin\r\n2x\r\n-2y\r\n"
         "Nouveau syst\xE8me 2\r\n\r\n\r\nnouveau syst\xE8me\r\n\r\n\r\nNouveau systeme\r\n\r\n\r\n"
         "Nouveau syst\x8Ame\r\n\r\n\r\n");
    std::vector<std::optional<int>> inewAtSetText;
    struct Spy : FakeControls {
        std::function<void()> onSet;
        void SetText(Control c, const QString& t) override { onSet(), FakeControls::SetText(c, t); }
    } spy;
    spy.onSet = [&] { inewAtSetText.push_back(state.inew); };
    const std::tuple<QString, int, QString, QString> cases[] = {
        { "Nouveau système", 1, "np", "nq" },
        { "Lin", 0, "2x", "-2y" },
        { "Nouveau système 2", 1, "", "" },
        { "nouveau système", 0, "", "" },
        { "Nouveau systeme", 0, "", "" },
        { "Nouveau systŠme", 0, "", "" },
    };
    for (const auto& [item, inew, p, q] : cases) {
        state.iana = 1;
        inewAtSetText.clear();
        spy.texts[Control::Nom] = item;
        spy.focus.clear();
        Nom_Click(spy, state);
        EXPECT_EQ(state.inew, std::optional<int>(inew)) << item.toStdString();
        EXPECT_THAT(inewAtSetText,
            ::testing::AllOf(
                ::testing::SizeIs(::testing::Ge(2u)), ::testing::Each(std::optional<int>(inew))));
        EXPECT_EQ(spy.texts[Control::Composante1], p);
        EXPECT_EQ(spy.texts[Control::Composante2], q);
        EXPECT_EQ(state.iana, 0);
        EXPECT_EQ(spy.focus, std::vector<Control> { Control::Composante1 });
    }
}

TEST_F(Catalogue, SelectionWithoutMatchOrWithoutEntriesOnlyRecomputesModeAndFocus)
{
    Load("Nouveau syst\xE8me\r\nnp\r\nnq\r\n");
    form.texts[Control::Composante1] = "kept";
    state.iana = 1;
    Select("Nouveau système absent");
    EXPECT_EQ(state.inew, std::optional<int>(1));
    EXPECT_EQ(form.texts[Control::Composante1], "kept");
    EXPECT_EQ(state.iana, 1);
    state.Max = 0;
    Select("Nouveau système");
    EXPECT_TRUE(form.setTextCalls.empty());
    EXPECT_EQ(form.focus, (std::vector<Control> { Control::Composante1, Control::Composante1 }));
}

TEST_F(Catalogue, TheEmptyItemOfAMissingCatalogueMatchesItsEmptyEntry)
{
    Load(std::nullopt);
    form.texts[Control::Composante1] = "x";
    form.texts[Control::Composante2] = "y";
    Select("");
    EXPECT_EQ(form.texts[Control::Composante1], "");
    EXPECT_EQ(form.texts[Control::Composante2], "");
    EXPECT_EQ(state.inew, std::optional<int>(0));
}

} // namespace
