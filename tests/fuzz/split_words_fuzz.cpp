// Splitting a command line's text into words, on any UTF-16 text: no word is
// empty or holds a blank or a tab, and the words, in order, are the text
// without its blanks and tabs.
#include "analysis/analysis.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace vindrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QString text(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, (size / 2) * 2);
    const QStringList words = SplitWords(text);

    QString rest;
    for (const QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t')) rest += c;
    QString joined;
    for (const QString& word : words) {
        if (word.isEmpty() || word.contains(QLatin1Char(' ')) || word.contains(QLatin1Char('\t')))
            std::abort();
        joined += word;
    }
    if (joined != rest) std::abort();
    return 0;
}
