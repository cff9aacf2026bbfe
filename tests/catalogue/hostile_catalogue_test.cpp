// The catalogue against hostile files: garbage bytes, a million lines, one
// line of 10 MB, and a file that another writer extends while the program
// loads it and records into it. Loading always finishes within its 60
// entries, and every record the program writes comes back whole.
#include "catalogue/catalogue.h"
#include "support/fake_platform.h"

#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <random>
#include <thread>
#include <unistd.h>

using namespace vindrel;
using namespace vindrel::test;

namespace {

struct HostileCatalogue : ::testing::Test {
    FakePlatform platform;
    QString Path() const { return platform.AppPath() + "/vindrel.txt"; }

    struct Loaded {
        FakeControls form;
        WorkingState state;
    };
    Loaded Load()
    {
        Loaded loaded;
        ChargerCatalogue(platform, loaded.form, loaded.state);
        return loaded;
    }
    void Record(const QString& name, const QString& p, const QString& q)
    {
        FakeControls form;
        form.texts[Control::Composante1] = p;
        form.texts[Control::Composante2] = q;
        platform.inputAnswers.push_back(name);
        EtapeEnregistrement(platform, form, RecordVariant::Enregistrer);
    }
};

// The lines of a file by the catalogue's rule, to compare the loader with.
QStringList Lines(const QByteArray& bytes)
{
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            line += QChar(Windows1252ToUnicode(static_cast<unsigned char>(bytes[i])));
            continue;
        }
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        lines.push_back(std::exchange(line, QString()));
    }
    if (!line.isEmpty()) lines.push_back(line);
    return lines;
}

void ExpectEntries(const WorkingState& state, const FakeControls& form, const QStringList& lines, int count)
{
    ASSERT_EQ(state.Max, count);
    ASSERT_EQ(form.nomItems.size(), count);
    for (int k = 1; k <= count; ++k) {
        const auto line = [&](int i) { return i < lines.size() ? lines[i] : QString(); };
        EXPECT_EQ(state.nomsys[k], line(3 * k - 3)) << "entry " << k;
        EXPECT_EQ(state.compo1[k], line(3 * k - 2)) << "entry " << k;
        EXPECT_EQ(state.compo2[k], line(3 * k - 1)) << "entry " << k;
        EXPECT_EQ(form.nomItems[k - 1], state.nomsys[k]);
    }
}

TEST_F(HostileCatalogue, BinaryGarbageLoadsItsFirstSixtyRecordsByTheLineRule)
{
    std::mt19937 random(20240601);
    QByteArray garbage(1 << 20, Qt::Uninitialized);
    for (char& b : garbage)
        b = static_cast<char>(random() & 0xFF);
    WriteBytes(Path(), garbage);
    const QStringList lines = Lines(garbage);
    ASSERT_GT(lines.size(), 180); // about 4 000 CRs in a megabyte of random bytes
    Loaded loaded = Load();
    ExpectEntries(loaded.state, loaded.form, lines, 60);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_FALSE(platform.Files().IsOpen(1));
}

TEST_F(HostileCatalogue, AMillionLinesStopAtTheSixtiethRecord)
{
    QByteArray bytes;
    bytes.reserve(15 * 1000000);
    for (int i = 0; i < 1000000; ++i)
        bytes += "ligne " + QByteArray::number(i) + "\r\n";
    WriteBytes(Path(), bytes);
    Loaded loaded = Load();
    EXPECT_EQ(loaded.state.Max, 60);
    EXPECT_EQ(loaded.state.nomsys[60], "ligne 177");
    EXPECT_EQ(loaded.state.compo2[60], "ligne 179");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(HostileCatalogue, ATenMegabyteLineIsReadWholeAsOneName)
{
    const QByteArray line(10 * 1024 * 1024, '\xe9');
    struct Case {
        QByteArray after;
        qsizetype nameSize;
        QString compo1, compo2;
    };
    const Case cases[] = {
        { "\r\nx\r\ny\r\n", line.size(), "x", "y" },
        { "x\r\ny\r\n", line.size() + 1, "y", "" }, // the line runs on into "x"
        { "", line.size(), "", "" },
    };
    for (const Case& c : cases) {
        WriteBytes(Path(), line + c.after);
        Loaded loaded = Load();
        ASSERT_EQ(loaded.state.Max, 1);
        EXPECT_EQ(loaded.state.nomsys[1].size(), c.nameSize);
        EXPECT_EQ(loaded.state.nomsys[1].count(u'é'), line.size());
        EXPECT_EQ(loaded.state.compo1[1], c.compo1);
        EXPECT_EQ(loaded.state.compo2[1], c.compo2);
    }
}

// Appends whole records with one write each, as another program would.
void AppendRecordBytes(const QString& path, const QByteArray& record)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, record.constData(), static_cast<size_t>(record.size())), record.size());
    ::close(fd);
}

TEST_F(HostileCatalogue, LoadingAndRecordingWhileAnotherWriterAppendsLoseAndMergeNothing)
{
    WriteBytes(Path(), "D\xe9part\r\ny\r\n-x\r\n");
    std::atomic<bool> go = false;
    std::thread other([&] {
        while (!go)
            std::this_thread::yield();
        for (int i = 0; i < 40; ++i) {
            AppendRecordBytes(
                Path(), "Autre " + QByteArray::number(i) + "\r\nx+" + QByteArray::number(i) + "\r\ny\r\n");
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    go = true;
    QStringList mine;
    for (int i = 0; i < 15; ++i) {
        Loaded during = Load();
        // Loading sees a prefix of whole records; only the last may be cut by a write in progress.
        ASSERT_GE(during.state.Max, 1);
        EXPECT_EQ(during.state.nomsys[1], "Départ");
        mine.push_back(QStringLiteral("Système à moi n°%1").arg(i));
        Record(mine.back(), QStringLiteral("%1x^2").arg(i), "-y");
    }
    other.join();
    EXPECT_TRUE(platform.messages.empty());

    Loaded after = Load();
    ASSERT_EQ(after.state.Max, 56);
    QStringList names, others;
    for (int k = 1; k <= after.state.Max; ++k) {
        const QString& name = after.state.nomsys[k];
        if (name.startsWith("Système à moi")) {
            names.push_back(name);
            const int i = name.mid(name.indexOf(u'°') + 1).toInt();
            EXPECT_EQ(after.state.compo1[k], QStringLiteral("%1x^2").arg(i));
            EXPECT_EQ(after.state.compo2[k], "-y");
        } else if (name.startsWith("Autre ")) {
            others.push_back(name);
            EXPECT_EQ(after.state.compo1[k], "x+" + name.mid(6));
            EXPECT_EQ(after.state.compo2[k], "y");
        } else {
            EXPECT_EQ(name, "Départ");
            EXPECT_EQ(k, 1);
        }
    }
    EXPECT_EQ(names, mine); // all fifteen, whole and in the order recorded
    EXPECT_EQ(others.size(), 40);
}

TEST_F(HostileCatalogue, AFileGrowingWithoutLineEndsStillFinishesLoading)
{
    WriteBytes(Path(),
        "d\xe9"
        "but");
    std::atomic<bool> stop = false;
    std::thread other([&] {
        const QByteArray block(64 * 1024, 'z');
        for (int i = 0; i < 400 && !stop; ++i)
            AppendRecordBytes(Path(), block);
    });
    Loaded loaded = Load();
    stop = true;
    other.join();
    EXPECT_EQ(loaded.state.Max, 1);
    EXPECT_TRUE(loaded.state.nomsys[1].startsWith("début"));
    EXPECT_TRUE(loaded.state.compo1[1].isEmpty());
}

TEST_F(HostileCatalogue, RecordingRoundTripsThroughTheNextLoading)
{
    // A hand-edited file whose last line has no end, then 58 recordings:
    // the line is ended once, every record reloads whole, the 60th is refused
    // with its message, and a refused character leaves the file as it was.
    WriteBytes(Path(), "Main\r\nx\r\ny");
    for (int i = 2; i <= 59; ++i)
        Record(QStringLiteral("Nom %1 «€»").arg(i), QStringLiteral("x+%1").arg(i), " ");
    const QByteArray full = ReadBytes(Path());
    ASSERT_TRUE(full.startsWith("Main\r\nx\r\ny\r\nNom 2 \xab\x80\xbb\r\nx+2\r\n \r\n"));
    Record("Soixante", "y", "x");
    ASSERT_TRUE(platform.messages.empty());
    const QByteArray sixty = ReadBytes(Path());
    Record("Trop", "y", "x");
    EXPECT_EQ(ReadBytes(Path()), sixty);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].prompt,
        "Le catalogue contient déjà 60 systèmes, le plus grand nombre que le programme sait afficher : "
        "le système « Trop » n'a pas été enregistré.");

    Loaded loaded = Load();
    ASSERT_EQ(loaded.state.Max, 60);
    EXPECT_EQ(loaded.state.nomsys[1], "Main");
    EXPECT_EQ(loaded.state.compo2[1], "y");
    for (int k = 2; k <= 59; ++k) {
        EXPECT_EQ(loaded.state.nomsys[k], QStringLiteral("Nom %1 «€»").arg(k));
        EXPECT_EQ(loaded.state.compo1[k], QStringLiteral("x+%1").arg(k));
        EXPECT_EQ(loaded.state.compo2[k], " ");
    }
    EXPECT_EQ(loaded.state.nomsys[60], "Soixante");

    WriteBytes(Path(), "A\r\nx\r\ny\r\n");
    platform.messages.clear();
    Record("Flèche", "x→y", "y");
    EXPECT_EQ(ReadBytes(Path()), QByteArray("A\r\nx\r\ny\r\n"));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].prompt,
        "La composante dx/dt contient le caractère « → » (U+2192), que le fichier du catalogue ne peut pas "
        "contenir : rien n'a été enregistré. Remplacez ce caractère puis recommencez.");
}

} // namespace
