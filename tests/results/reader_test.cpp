#include "app/file_channels.h"
#include "results/results.h"
#include "support/fake_platform.h"

#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

using namespace vindrel;
using namespace vindrel::test;

namespace {

struct Reader : ::testing::Test {
    FakePlatform platform;
    QString Path(const QString& name) const { return platform.AppPath() + "/" + name; }
    QString Read(const QByteArray& bytes)
    {
        WriteBytes(Path("f.res"), bytes);
        const QString text = LireFichier(platform, 2, Path("f.res"));
        EXPECT_FALSE(platform.Files().IsOpen(2));
        return text;
    }
};

TEST_F(Reader, LinesAreJoinedByCrLfWithoutATrailingOne)
{
    const std::pair<QByteArray, QString> cases[] = {
        { "a\r\nb\r\nc\r\n", "a\r\nb\r\nc" },
        { "a\r\nb\r\nc", "a\r\nb\r\nc" },
        { "seule", "seule" },
        { "a\r\n\r\n", "a\r\n" },
        { "\r\na\r\n", "\r\na" },
        { "", "" },
        { "a\nb\rc", "a\nb\r\nc" },
        { "\x82t\x82\r\n", "été" },
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(Read(bytes), text) << bytes.toStdString();
}

TEST_F(Reader, EveryByteBecomesExactlyOneCharacter)
{
    // Windows-1252 for 128..159, the undefined codes keeping their value.
    const char16_t high[32] = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
        0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D,
        0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };
    const std::map<int, QChar> dos = { { 130, u'é' }, { 138, u'è' }, { 136, u'ê' }, { 137, u'ë' },
        { 135, u'ç' }, { 133, u'à' }, { 131, u'â' }, { 132, u'ä' }, { 150, u'û' }, { 151, u'ù' },
        { 129, u'ü' }, { 139, u'ï' }, { 140, u'î' }, { 147, u'ô' }, { 148, u'ö' }, { 253, u'²' } };
    QByteArray all;
    QString expected;
    for (int b = 0; b < 256; ++b) {
        const QChar own = (b >= 128 && b < 160) ? QChar(high[b - 128]) : QChar(b);
        const QChar c = dos.count(b) ? dos.at(b) : own;
        EXPECT_EQ(DecodeTexte(QString(own)), QString(c)) << b;
        if (b == '\r') continue;
        all += static_cast<char>(b);
        expected += c;
    }
    EXPECT_EQ(Read(all), expected);
    EXPECT_EQ(DecodeTexte(""), "");
}

TEST_F(Reader, AMissingFileNamesTheResultAndPointsToAnalyser)
{
    const std::pair<QString, QString> cases[] = {
        { "brisolt.res", "conclusions de l'analyse" },
        { "dovra.res", "points fixes" },
        { "skellin.res", "points à l'infini" },
        { "quenmar2.pho", "recherche d'un hamiltonien" },
        { "tarnel2.res", "calculs explicatifs" },
    };
    for (const auto& [file, words] : cases)
        EXPECT_EQ(LireFichier(platform, 3, Path(file)),
            "Le résultat « " + words + " » est introuvable (fichier " + file
                + ") : cliquez d'abord sur le bouton Analyser, puis recommencez quand l'analyse est "
                  "terminée.");
    EXPECT_FALSE(platform.Files().IsOpen(3));
}

TEST_F(Reader, AFileReplacedByRenameDuringReadingGivesTheOldOrTheNewText)
{
    QByteArray oldText, newText;
    for (int i = 0; i < 20000; ++i)
        oldText += "ancienne ligne\r\n", newText += "nouvelle\r\n";
    WriteBytes(Path("r.res"), oldText);
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) {
            WriteBytes(Path("tmp"), i % 2 ? oldText : newText);
            std::rename(Path("tmp").toLocal8Bit().constData(), Path("r.res").toLocal8Bit().constData());
        }
    });
    const QString oldRead = QString::fromLatin1(oldText.chopped(2)),
                  newRead = QString::fromLatin1(newText.chopped(2));
    for (int i = 0; i < 40; ++i) {
        const QString text = LireFichier(platform, 4, Path("r.res"));
        ASSERT_TRUE(text == oldRead || text == newRead) << "read " << i << " mixed the two files";
    }
    stop = true;
    writer.join();
}

} // namespace
