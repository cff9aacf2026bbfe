#include "app/file_channels.h"
#include "support/fake_platform.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

using namespace vindrel;
using vindrel::test::ReadBytes;
using vindrel::test::WriteBytes;

namespace {

struct Files : ::testing::Test {
    QTemporaryDir dir;
    FileChannels files;
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList ReadAll(const QByteArray& bytes)
    {
        WriteBytes(Path("f"), bytes);
        EXPECT_TRUE(files.OpenInput(1, Path("f")));
        QStringList lines;
        while (auto line = files.LineInput(1))
            lines.push_back(*line);
        EXPECT_EQ(files.Eof(1), std::optional<bool>(true));
        files.Close(1);
        return lines;
    }
};

TEST_F(Files, LineEndsAreCrLfOrLoneCrAndALoneLfStaysInTheLine)
{
    const std::pair<QByteArray, QStringList> cases[] = {
        { "a\r\nb\r\nc\r\n", { "a", "b", "c" } },
        { "a\r\nb\r\nc", { "a", "b", "c" } },
        { "a\rb\r", { "a", "b" } },
        { "a\nb\r\n\n", { "a\nb", "\n" } },
        { "a\r\r\nb", { "a", "", "b" } },
        { "\r\n\r\n", { "", "" } },
        { "", {} },
    };
    for (const auto& [bytes, lines] : cases)
        EXPECT_EQ(ReadAll(bytes), lines) << bytes.toStdString();
}

TEST_F(Files, CrLfSplitAcrossTheReadBufferIsOneLineEnd)
{
    const QByteArray longLine(64 * 1024 - 1, 'x');
    EXPECT_EQ(ReadAll(longLine + "\r\ny"), (QStringList { QString::fromLatin1(longLine), "y" }));
}

TEST_F(Files, ClosedChannelFailsEveryOperationAndABusyChannelCannotBeReopened)
{
    EXPECT_EQ(files.Eof(4), std::nullopt);
    EXPECT_EQ(files.LineInput(4), std::nullopt);
    EXPECT_EQ(files.PrintLine(4, "a").status, WriteStatus::NotOpen);
    EXPECT_FALSE(files.OpenInput(4, Path("missing")));
    WriteBytes(Path("f"), "");
    ASSERT_TRUE(files.OpenInput(4, Path("f")));
    EXPECT_FALSE(files.OpenAppend(4, Path("g")));
    EXPECT_EQ(files.Eof(4), std::optional<bool>(true));
}

TEST_F(Files, AppendCreatesThenExtendsAndRefusesUnencodableTextWhole)
{
    ASSERT_TRUE(files.OpenAppend(7, Path("cat")));
    EXPECT_EQ(files.PrintLines(7, { "é€", "" }).status, WriteStatus::Written);
    const WriteResult refused = files.PrintLines(7, { "ok", "x\U0001F600" });
    EXPECT_EQ(refused.status, WriteStatus::Unrepresentable);
    EXPECT_EQ(refused.unrepresentable, std::optional<char32_t>(0x1F600));
    files.Close(7);
    ASSERT_TRUE(files.OpenAppend(7, Path("cat")));
    files.PrintLine(7, "b");
    files.Close(7);
    EXPECT_EQ(ReadBytes(Path("cat")), QByteArray("\xE9\x80\r\n\r\nb\r\n"));
}

TEST_F(Files, AFileReplacedByRenameWhileReadIsReadAsOpened)
{
    WriteBytes(Path("res"), "old 1\r\nold 2\r\n");
    ASSERT_TRUE(files.OpenInput(2, Path("res")));
    EXPECT_EQ(files.LineInput(2), std::optional<QString>("old 1"));
    WriteBytes(Path("new"), "new 1\r\nnew 2\r\n");
    ASSERT_EQ(std::rename(Path("new").toLocal8Bit().constData(), Path("res").toLocal8Bit().constData()), 0);
    EXPECT_EQ(files.LineInput(2), std::optional<QString>("old 2"));
    EXPECT_EQ(files.Eof(2), std::optional<bool>(true));
}

TEST_F(Files, BigFilesReadWhole)
{
    const QByteArray tenMegabytes(10 * 1024 * 1024, 'p');
    const QStringList single = ReadAll(tenMegabytes);
    ASSERT_EQ(single.size(), 1);
    EXPECT_EQ(single.front().size(), tenMegabytes.size());
    QByteArray manyLines;
    for (int i = 0; i < 1000000; ++i)
        manyLines += "l" + QByteArray::number(i % 10) + "\r\n";
    const QStringList lines = ReadAll(manyLines);
    ASSERT_EQ(lines.size(), 1000000);
    EXPECT_EQ(lines.back(), "l9");
}

} // namespace
