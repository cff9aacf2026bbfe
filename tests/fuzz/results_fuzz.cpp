// The result reader on any bytes: LireFichier of a file holding them must
// give exactly what a plain re-reading gives: the lines (a CR LF or a lone
// CR ends one, a lone LF stays in it), each byte turned into its character
// and the DOS letters converted, joined by CR LF.
#include "app/file_channels.h"
#include "results/results.h"
#include "support/fake_platform.h"

#include <QDir>

#include <cstdint>
#include <cstdlib>

using namespace vindrel;

namespace {

QString ReferenceText(const QByteArray& bytes)
{
    QStringList lines;
    QByteArray line;
    qsizetype i = 0;
    bool any = false;
    while (i < bytes.size()) {
        any = true;
        const char c = bytes[i++];
        if (c != '\r') {
            line.append(c);
            continue;
        }
        if (i < bytes.size() && bytes[i] == '\n') ++i;
        lines.push_back(DecodeTexte(DecodeWindows1252(line)));
        line.clear();
        any = false;
    }
    if (any || lines.isEmpty()) lines.push_back(DecodeTexte(DecodeWindows1252(line)));
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static test::FakePlatform platform;
    const QString path = QDir(platform.AppPath()).filePath(QStringLiteral("brisolt.res"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    test::WriteBytes(path, bytes);

    const QString text = LireFichier(platform, 2, path);
    if (text != ReferenceText(bytes)) std::abort();
    if (platform.Files().IsOpen(2)) std::abort();
    return 0;
}
