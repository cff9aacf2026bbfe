// Sequential text files addressed by channel number: open for reading or
// appending, read a line (CR LF or a lone CR ends it; a lone LF stays in the
// line), end-of-file test, write lines ended by CR LF, close. Bytes map one
// to one onto Windows-1252 characters.
//
// Reading goes through a buffer of its own over one open handle, so a big
// file (a 10 MB line, a million lines) reads in linear time, and a file
// replaced by rename while it is being read keeps giving the old content.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>

namespace vindrel {

// The character that Windows-1252 gives to a byte. The five codes that
// Windows-1252 leaves undefined (129, 141, 143, 144, 157) give the control
// characters of the same value (U+0081, U+008D, U+008F, U+0090, U+009D).
char16_t Windows1252ToUnicode(unsigned char byte);

// The byte of a character in Windows-1252, or nothing when Windows-1252
// cannot represent it.
std::optional<unsigned char> UnicodeToWindows1252(char16_t character);

QString DecodeWindows1252(const QByteArray& bytes);

// Bytes of a text in Windows-1252, or the first character (a whole code
// point, surrogate pairs joined) that Windows-1252 cannot represent.
struct Windows1252Encoding {
    QByteArray bytes;
    std::optional<char32_t> unrepresentable;
};
Windows1252Encoding EncodeWindows1252(const QString& text);

enum class WriteStatus { Written, NotOpen, Unrepresentable, WriteFailed };

struct WriteResult {
    WriteStatus status = WriteStatus::Written;
    std::optional<char32_t> unrepresentable; // with Unrepresentable
};

class FileChannels {
public:
    FileChannels();
    ~FileChannels();
    FileChannels(const FileChannels&) = delete;
    FileChannels& operator=(const FileChannels&) = delete;

    // Opens a file for reading under a channel; false when the file cannot be
    // opened or the channel is already in use.
    bool OpenInput(int channel, const QString& path);
    // Opens a file for appending (created when missing; never truncated).
    bool OpenAppend(int channel, const QString& path);

    // The next line without its line end; nothing when no byte is left or the
    // channel is not open for reading.
    std::optional<QString> LineInput(int channel);

    // True when no byte is left to read; nothing when the channel is not open.
    std::optional<bool> Eof(int channel) const;

    // Writes each line followed by CR LF, all of them in one write, and
    // flushes. Nothing is written when a character cannot be encoded.
    WriteResult PrintLines(int channel, const QStringList& lines);
    WriteResult PrintLine(int channel, const QString& line)
    {
        return PrintLines(channel, QStringList { line });
    }

    // Closes the channel; nothing happens when it is not open.
    void Close(int channel);
    bool IsOpen(int channel) const;

private:
    struct Channel;
    std::map<int, std::unique_ptr<Channel>> channels_;
};

} // namespace vindrel
