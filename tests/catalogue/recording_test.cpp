#include "catalogue/catalogue.h"
#include "support/fake_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace vindrel;
using namespace vindrel::test;

namespace {

const QString kPromptEnregistrer
    = "Nom que vous voulez donner à ce nouveau système qui s'ajoutera dès la prochaine "
      "activation de la commande à la boite de choix des systèmes, et qui possèdera "
      "les composantes que vous lui avez attribuées:";
const QString kPromptResultats
    = "Nom que vous voulez donner au nouveau système qui s'ajoutera dès la prochaine "
      "activation de la commande à la boite de choix des systèmes, et qui possèdera "
      "les composantes que vous lui avez attribuées:";

struct Recording : ::testing::Test {
    FakePlatform platform;
    FakeControls form;
    Recording()
    {
        form.texts[Control::Composante1] = "y";
        form.texts[Control::Composante2] = "-x";
    }
    QString Path() const { return platform.AppPath() + "/vindrel.txt"; }
    QByteArray Record(const QString& answer, RecordVariant variant = RecordVariant::Enregistrer)
    {
        platform.inputAnswers.push_back(answer);
        EtapeEnregistrement(platform, form, variant);
        return ReadBytes(Path());
    }
};

TEST_F(Recording, TheInputBoxOfEachVariantAsksAtTheScreenCorner)
{
    Record("", RecordVariant::Enregistrer);
    Record("", RecordVariant::Resultats);
    ASSERT_EQ(platform.inputs.size(), 2u);
    const ShownInput& first = platform.inputs[0];
    EXPECT_EQ(first.prompt, kPromptEnregistrer);
    EXPECT_EQ(first.title, "Enregistrement d'un nouveau système?");
    EXPECT_EQ(first.defaultText, "NOM CHOISI");
    EXPECT_EQ(std::make_pair(first.x, first.y), std::make_pair(0, 0));
    EXPECT_EQ(platform.inputs[1].prompt, kPromptResultats);
    EXPECT_EQ(platform.inputs[1].title, "Enregistrement du nouveau système?");
}

TEST_F(Recording, AcceptsEveryNonEmptyAnswerWithoutTheDefaultName)
{
    const std::pair<QString, bool> cases[] = {
        { "NOM CHOISI", false },
        { "Mon NOM CHOISI 2", false },
        { "", false },
        { "nom choisi", true },
        { "Nom Choisi", true },
        { "   ", true },
    };
    for (const auto& [answer, accepted] : cases) {
        QFile::remove(Path());
        const QByteArray expected = accepted ? answer.toLatin1() + "\r\ny\r\n-x\r\n" : QByteArray();
        EXPECT_EQ(Record(answer), expected) << answer.toStdString();
        EXPECT_EQ(QFile::exists(Path()), accepted) << answer.toStdString();
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(Recording, TwoRecordingsAppendInOrderAndTheNextLoadingListsThem)
{
    WriteBytes(Path(), "A\r\np\r\nq\r\n");
    Record("Système é");
    form.texts[Control::Composante1] = "  ";
    Record("A");
    EXPECT_EQ(
        ReadBytes(Path()), QByteArray("A\r\np\r\nq\r\nSyst\xE8me \xE9\r\ny\r\n-x\r\nA\r\n  \r\n-x\r\n"));
    FakeControls next;
    WorkingState state;
    ChargerCatalogue(platform, next, state);
    EXPECT_EQ(next.nomItems, (QStringList { "A", "Système é", "A" }));
}

TEST_F(Recording, EnregistrerRefusesAMissingComponentAndMovesToTheFirst)
{
    const std::pair<QString, QString> cases[] = { { "y", "" }, { "", "x" }, { "", "" } };
    for (const auto& [p, q] : cases) {
        form.texts[Control::Composante1] = p;
        form.texts[Control::Composante2] = q;
        form.focus.clear();
        platform.messages.clear();
        Enregistrer_Click(platform, form);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].prompt, "Vous n'avez pas défini les composantes de votre système!");
        EXPECT_EQ(platform.messages[0].caption, "Vindrel");
        EXPECT_EQ(form.focus, std::vector<Control> { Control::Composante1 });
    }
    EXPECT_TRUE(platform.inputs.empty());
    form.texts[Control::Composante1] = " ";
    form.texts[Control::Composante2] = " ";
    platform.inputAnswers.push_back("blancs");
    Enregistrer_Click(platform, form);
    EXPECT_EQ(ReadBytes(Path()), QByteArray("blancs\r\n \r\n \r\n"));
}

TEST_F(Recording, AFullCatalogueIsNotExtended)
{
    QByteArray sixty;
    for (int i = 0; i < 60; ++i)
        sixty += "S\r\nP\r\nQ\r\n";
    WriteBytes(Path(), sixty.chopped(5)); // the 60th record holds its name only
    Record("Trop");
    EXPECT_EQ(ReadBytes(Path()), sixty.chopped(5));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].prompt,
        "Le catalogue contient déjà 60 systèmes, le plus grand nombre que le "
        "programme sait afficher : le système « Trop » n'a pas été enregistré.");
    WriteBytes(Path(), sixty.chopped(9)); // 59 records
    EXPECT_EQ(Record("Dernier"), sixty.chopped(9) + "Dernier\r\ny\r\n-x\r\n");
}

TEST_F(Recording, AnOpenLastLineIsEndedBeforeTheRecord)
{
    const std::pair<QByteArray, QByteArray> cases[] = {
        { "A\r\np\r\nq", "A\r\np\r\nq\r\n" },
        { "A\r\np\r\nq\n", "A\r\np\r\nq\n\r\n" },
        { "A\r\np\r\nq\r", "A\r\np\r\nq\r" },
        { "A\r\np\r\nq\r\n", "A\r\np\r\nq\r\n" },
    };
    for (const auto& [before, kept] : cases) {
        WriteBytes(Path(), before);
        EXPECT_EQ(Record("N"), kept + "N\r\ny\r\n-x\r\n");
    }
}

TEST_F(Recording, ATextThatTheCatalogueCannotHoldIsNamedAndNothingIsWritten)
{
    const std::tuple<QString, QString, QString> cases[] = {
        { "Ωmega", "y", "Le nom du système contient le caractère « Ω » (U+03A9)" },
        { "N", "x\U0001F600", "La composante dx/dt contient le caractère « \U0001F600 » (U+1F600)" },
    };
    for (const auto& [name, p, start] : cases) {
        form.texts[Control::Composante1] = p;
        platform.messages.clear();
        EXPECT_EQ(Record(name), QByteArray());
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].prompt,
            start
                + ", que le fichier du catalogue ne peut pas contenir : rien "
                  "n'a été enregistré. Remplacez ce caractère puis recommencez.");
    }
    form.texts[Control::Composante1] = "y";
    form.texts[Control::Composante2] = "a\rb";
    platform.messages.clear();
    EXPECT_EQ(Record("N"), QByteArray());
    EXPECT_EQ(platform.messages.at(0).prompt,
        "La composante dy/dt contient un retour à la ligne, qui couperait "
        "l'enregistrement du catalogue : rien n'a été enregistré.");
}

TEST_F(Recording, AFailingFileIsReportedAsAnErrorWithItsNumber)
{
    platform.setAppPath(platform.AppPath() + "/absent");
    try {
        Record("N");
        FAIL() << "no error";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), 75);
        EXPECT_EQ(e.description(),
            "Erreur d'accès au chemin ou au fichier : le dossier « " + platform.AppPath()
                + " » n'existe pas.");
    }
    platform.setAppPath(QFileInfo(platform.AppPath()).path());
    ASSERT_TRUE(QFile::link("/dev/full", Path()));
    try {
        Record("N");
        FAIL() << "no error";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), 57);
        EXPECT_EQ(e.description(),
            "Erreur d'écriture dans le fichier « " + Path()
                + " » : le système n'a pas été enregistré (disque plein ou protégé ?).");
    }
    EXPECT_FALSE(platform.Files().IsOpen(7));
}

} // namespace
