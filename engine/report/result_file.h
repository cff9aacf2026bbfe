// Writing result files: UTF-8 text -> code page 850 with CR LF -> a temporary
// file in the same directory -> renamed over the old file, so a reader sees
// either the old file or the whole new one, never a part.
#pragma once

#include <filesystem>
#include <string>

namespace vindrel::engine {

inline constexpr const char* kPlaceholder = "Calcul en cours... cliquez de nouveau dans un instant.";

// The directory that holds the running program (from /proc/self/exe).
std::filesystem::path ExecutableDir();

// Writes the text atomically. Throws std::system_error when the file cannot
// be written, std::logic_error when the text holds a character that result
// files cannot carry.
void WriteResultFile(const std::filesystem::path& file, const std::string& utf8Text);

} // namespace vindrel::engine
