// Rejoining a tool's command-line words on any bytes: the first byte chooses
// whether a variables word ends the line, the rest is split at NUL bytes into
// words. RejoinWords must either throw one of the engine's errors or return
// two components that, joined by one blank, are the words joined by blanks.
#include "engine/errors.h"
#include "engine/tool/words.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vindrel::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const VarsWord varsWord = (data[0] & 1) ? VarsWord::Present : VarsWord::Absent;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::vector<std::string> words;
    size_t start = 0;
    for (;;) {
        const size_t nul = rest.find('\0', start);
        words.push_back(rest.substr(start, nul == std::string::npos ? std::string::npos : nul - start));
        if (nul == std::string::npos) break;
        start = nul + 1;
    }
    try {
        const Components c = RejoinWords(words, varsWord);
        const size_t used = varsWord == VarsWord::Present ? words.size() - 1 : words.size();
        std::string joined;
        for (size_t i = 0; i < used; ++i)
            joined += (i ? " " : "") + words[i];
        if (c.p + " " + c.q != joined) std::abort();
    } catch (const EngineError&) {
    }
    return 0;
}
