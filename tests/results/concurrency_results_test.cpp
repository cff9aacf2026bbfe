// Result files are never seen torn: while a writer replaces a result file a
// thousand times, LireFichier reading it in a loop always gets one of the
// whole texts, never a mix or a part. The writer is first a rename-based one
// in the test, then the analysis tool itself, run as a process over and over.
#include "results/results.h"
#include "support/fake_platform.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <thread>

using namespace vindrel;
using namespace vindrel::test;

namespace {

constexpr int kRewrites = 1000;

// What LireFichier gives for a text of ASCII, \x82 (é) and \xf8 lines ended by CR LF.
QString Decoded(const QByteArray& text)
{
    return QString::fromLatin1(text.chopped(2)).replace(QChar(0x82), u'é');
}

struct Concurrency : ::testing::Test {
    FakePlatform platform;
    QString Path(const QString& name) const { return platform.AppPath() + "/" + name; }
};

// Rewrites the file with each text in turn, through a temporary file renamed
// over it, kRewrites times in all.
void RewriteByRename(const QString& path, const std::vector<QByteArray>& texts)
{
    const QByteArray target = path.toLocal8Bit();
    const QByteArray temporary = target + ".tmp";
    for (int i = 0; i < kRewrites; ++i) {
        WriteBytes(QString::fromLocal8Bit(temporary), texts[i % texts.size()]);
        ASSERT_EQ(std::rename(temporary.constData(), target.constData()), 0);
    }
}

TEST_F(Concurrency, ReadsDuringAThousandRenamedRewritesAreAlwaysWhole)
{
    // Texts of different lengths and line counts, with DOS letters, so that
    // a part of one or a mix of two cannot pass for a whole one.
    std::vector<QByteArray> texts;
    for (int n : { 1, 700, 3000 }) {
        QByteArray text;
        for (int i = 0; i < n; ++i)
            text += "Point fixe n\xf8" + QByteArray::number(i) + " : selle, d\x82termin\x82 en "
                + QByteArray::number(n) + "\r\n";
        texts.push_back(text);
    }
    std::set<QString> whole;
    for (const QByteArray& text : texts)
        whole.insert(Decoded(text));

    WriteBytes(Path("dovra.res"), texts[0]);
    std::atomic<bool> done = false;
    std::thread writer([&] {
        RewriteByRename(Path("dovra.res"), texts);
        done = true;
    });
    int reads = 0;
    while (!done) {
        const QString text = LireFichier(platform, 5, Path("dovra.res"));
        ASSERT_TRUE(whole.count(text))
            << "read " << reads << " gave a torn text of " << text.size() << " characters";
        ++reads;
    }
    writer.join();
    EXPECT_GT(reads, 0);
    // The last of the thousand rewrites (999 % 3 == 0) wrote the first text.
    EXPECT_EQ(LireFichier(platform, 5, Path("dovra.res")), Decoded(texts[0]));
}

TEST_F(Concurrency, ReadsWhileTheToolRewritesItsFileAThousandTimesAreAlwaysWhole)
{
    // Each run of velquin2 replaces quenmar2.pho twice: first with the
    // placeholder, then with the result; 500 runs make 1000 rewrites.
    const QString built = QStringLiteral(VINDREL_APP_DIR "/sysdyn/velquin2");
    if (!QFile::exists(built)) GTEST_SKIP() << "velquin2 n'est pas construit";
    ASSERT_TRUE(QDir(platform.AppPath()).mkpath("sysdyn"));
    const QString tool = Path("sysdyn/velquin2");
    ASSERT_TRUE(QFile::copy(built, tool));
    const QStringList arguments { "y", "-x+x^2", "xy" };
    const auto runTool = [&] { return QProcess::execute(tool, arguments); };

    ASSERT_EQ(runTool(), 0);
    const QString file = Path("sysdyn/quenmar2.pho");
    const QString result = LireFichier(platform, 3, file);
    const QString placeholder = QStringLiteral("Calcul en cours... cliquez de nouveau dans un instant.");
    ASSERT_TRUE(result.contains("hamiltonien")) << result.toStdString();

    std::atomic<bool> done = false;
    std::atomic<int> failures = 0;
    std::thread writer([&] {
        for (int run = 0; run < kRewrites / 2; ++run)
            if (runTool() != 0) ++failures;
        done = true;
    });
    int reads = 0, placeholders = 0;
    while (!done) {
        const QString text = LireFichier(platform, 3, file);
        ASSERT_TRUE(text == result || text == placeholder)
            << "read " << reads << " gave a torn text: " << text.toStdString();
        placeholders += text == placeholder;
        ++reads;
    }
    writer.join();
    EXPECT_EQ(failures, 0);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(LireFichier(platform, 3, file), result);
    std::printf(
        "%d lectures pendant %d réécritures, dont %d du texte d'attente\n", reads, kRewrites, placeholders);
}

} // namespace
