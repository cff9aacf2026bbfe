// Rejoining the words of a tool's command line into the two components.
// The front end passes P and Q unquoted, so a blank inside a component
// splits it into several words. With more words than expected, every split
// into two non-empty groups is tried (each group joined with single blanks);
// exactly one split giving two valid components is used, anything else is
// refused with a French message quoting what was received. Never a guess.
#pragma once

#include <string>
#include <vector>

namespace vindrel::engine {

enum class VarsWord { Absent, Present }; // korbast: absent; velquin2, durmosk: "xy" last

inline constexpr size_t kMaxWords = 100;

struct Components {
    std::string p, q;
    char xvar = 'x', yvar = 'y';
};

// words: the command-line arguments after the program name. Throws
// EngineError with a French message when they do not give two components.
// Without a variables word, xvar and yvar name the variables.
Components RejoinWords(
    const std::vector<std::string>& words, VarsWord varsWord, char xvar = 'x', char yvar = 'y');

} // namespace vindrel::engine
