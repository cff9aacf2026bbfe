// A strict reader for one flat JSON object whose values are all strings:
// {"P": "y", "Q": "-x+x^2", "vars": "xy"}. Escapes (\uXXXX included, with
// surrogate pairs) become UTF-8; duplicate keys, other value kinds and
// anything after the closing brace are refused.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vindrel::engine {

using JsonStringMembers = std::vector<std::pair<std::string, std::string>>;

// False with problem set (a French sentence naming the byte position,
// counted from 1) when text is not such an object.
bool ReadJsonStringObject(const std::string& text, JsonStringMembers& members, std::string& problem);

// One JSON string starting at text[pos] (its opening quote), escapes decoded
// as above; pos moves past the closing quote. False with problem set.
bool ReadJsonString(const std::string& text, size_t& pos, std::string& out, std::string& problem);

} // namespace vindrel::engine
