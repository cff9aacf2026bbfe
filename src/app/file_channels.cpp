#include "app/file_channels.h"

#include <QFile>

#include <array>
#include <cstring>

namespace vindrel {

namespace {

// Windows-1252 for the bytes 128 to 159; every other byte is the character of
// the same code (ISO 8859-1). The five undefined codes keep their own value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 128-135
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 136-143
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 144-151
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 152-159
};

constexpr std::array<char16_t, 256> MakeWindows1252Table()
{
    std::array<char16_t, 256> table {};
    for (int b = 0; b < 256; ++b)
        table[b] = (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : static_cast<char16_t>(b);
    return table;
}

constexpr std::array<char16_t, 256> kWindows1252 = MakeWindows1252Table();

constexpr qint64 kReadChunk = 64 * 1024;
constexpr char kCR = '\r';
constexpr char kLF = '\n';

} // namespace

char16_t Windows1252ToUnicode(unsigned char byte)
{
    return kWindows1252[byte];
}

std::optional<unsigned char> UnicodeToWindows1252(char16_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<unsigned char>(character);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == character) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

QString DecodeWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(kWindows1252[static_cast<unsigned char>(bytes[i])]);
    return text;
}

Windows1252Encoding EncodeWindows1252(const QString& text)
{
    Windows1252Encoding result;
    result.bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (auto byte = UnicodeToWindows1252(c.unicode())) {
            result.bytes.append(static_cast<char>(*byte));
            continue;
        }
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text[i + 1]);
        result.bytes.clear();
        result.unrepresentable = code;
        return result;
    }
    return result;
}

enum class ChannelMode { Input, Append };

struct FileChannels::Channel {
    QFile file;
    ChannelMode mode = ChannelMode::Input;
    QByteArray buffer;
    qsizetype pos = 0;
    bool exhausted = false;

    // Makes at least one unread byte available; false at the end of the file
    // (or on a read error, which ends the reading as well).
    bool Fill()
    {
        if (pos < buffer.size()) return true;
        if (exhausted) return false;
        buffer.resize(kReadChunk);
        const qint64 n = file.read(buffer.data(), kReadChunk);
        if (n <= 0) {
            buffer.clear();
            pos = 0;
            exhausted = true;
            return false;
        }
        buffer.resize(n);
        pos = 0;
        return true;
    }
};

FileChannels::FileChannels() = default;
FileChannels::~FileChannels() = default;

bool FileChannels::OpenInput(int channel, const QString& path)
{
    if (channels_.count(channel)) return false;
    auto ch = std::make_unique<Channel>();
    ch->file.setFileName(path);
    ch->mode = ChannelMode::Input;
    if (!ch->file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return false;
    channels_[channel] = std::move(ch);
    return true;
}

bool FileChannels::OpenAppend(int channel, const QString& path)
{
    if (channels_.count(channel)) return false;
    auto ch = std::make_unique<Channel>();
    ch->file.setFileName(path);
    ch->mode = ChannelMode::Append;
    if (!ch->file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) return false;
    channels_[channel] = std::move(ch);
    return true;
}

std::optional<QString> FileChannels::LineInput(int channel)
{
    auto it = channels_.find(channel);
    if (it == channels_.end() || it->second->mode != ChannelMode::Input) return std::nullopt;
    Channel& ch = *it->second;
    if (!ch.Fill()) return std::nullopt;

    QByteArray line;
    while (ch.Fill()) {
        const char* begin = ch.buffer.constData() + ch.pos;
        const qsizetype available = ch.buffer.size() - ch.pos;
        const void* cr = std::memchr(begin, kCR, static_cast<std::size_t>(available));
        if (!cr) {
            line.append(begin, available);
            ch.pos = ch.buffer.size();
            continue;
        }
        const qsizetype len = static_cast<const char*>(cr) - begin;
        line.append(begin, len);
        ch.pos += len + 1;
        // CR LF ends the line as one; a lone CR ends it too.
        if (ch.Fill() && ch.buffer[ch.pos] == kLF) ++ch.pos;
        break;
    }
    return DecodeWindows1252(line);
}

std::optional<bool> FileChannels::Eof(int channel) const
{
    auto it = channels_.find(channel);
    if (it == channels_.end()) return std::nullopt;
    Channel& ch = *it->second;
    if (ch.mode == ChannelMode::Append) return true;
    return !ch.Fill();
}

WriteResult FileChannels::PrintLines(int channel, const QStringList& lines)
{
    auto it = channels_.find(channel);
    if (it == channels_.end() || it->second->mode != ChannelMode::Append) return { WriteStatus::NotOpen, {} };
    QByteArray bytes;
    for (const QString& line : lines) {
        Windows1252Encoding encoded = EncodeWindows1252(line);
        if (encoded.unrepresentable) return { WriteStatus::Unrepresentable, encoded.unrepresentable };
        bytes.append(encoded.bytes);
        bytes.append("\r\n", 2);
    }
    QFile& file = it->second->file;
    if (file.write(bytes) != bytes.size() || !file.flush()) return { WriteStatus::WriteFailed, {} };
    return {};
}

void FileChannels::Close(int channel)
{
    channels_.erase(channel);
}

bool FileChannels::IsOpen(int channel) const
{
    return channels_.count(channel) != 0;
}

} // namespace vindrel
