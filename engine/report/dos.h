// Result files are single-byte DOS code page 850 text with CR LF line ends.
// The front end decodes ASCII and exactly these letters: é è ê ë ç à â ä û ù ü
// ï î ô ö and ². Every text a tool writes goes through ToDos850, which refuses
// (as a programming error) any other character.
#pragma once

#include <cstddef>
#include <string>

namespace vindrel::engine {

// UTF-8 -> code page 850 bytes, LF -> CR LF. Throws std::logic_error on a
// character the front end would not decode back, or on invalid UTF-8.
std::string ToDos850(const std::string& utf8);

// The longest line, in characters (not bytes), of a result file.
inline constexpr std::size_t kResultLineLimit = 100;

// Every line longer than limit characters broken at blanks: the
// continuation lines carry the line's own indentation plus two blanks, the
// blanks at a break are dropped, and a word is cut only when it is longer
// than a whole line. Shorter lines are kept as they are.
std::string WrapLongLines(const std::string& utf8, std::size_t limit = kResultLineLimit);

// True when ToDos850 accepts the text.
bool IsDecodable(const std::string& utf8);

// The text with every character that ToDos850 would refuse (and every
// control character but LF) replaced by '?'; for echoing user input.
std::string SanitizeForDos(const std::string& utf8);

} // namespace vindrel::engine
