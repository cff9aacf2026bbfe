// Writing result files: UTF-8 text -> lines of at most 100 characters
// (WrapLongLines) -> code page 850 with CR LF -> a temporary
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

// A result file written in full under a temporary name beside its target but
// not yet in place, so that several files can be put in place together in a
// short step (e.g. while holding a lock). Commit() renames it over the
// target; one dropped uncommitted removes its temporary file.
class PendingResultFile {
public:
    // Throws like WriteResultFile.
    PendingResultFile(const std::filesystem::path& file, const std::string& utf8Text);
    ~PendingResultFile();
    PendingResultFile(PendingResultFile&& other) noexcept;
    PendingResultFile& operator=(PendingResultFile&& other) noexcept;
    PendingResultFile(const PendingResultFile&) = delete;
    PendingResultFile& operator=(const PendingResultFile&) = delete;

    const std::filesystem::path& target() const { return target_; }
    // Throws std::system_error when the rename fails (the temporary file is then removed).
    void Commit();

private:
    std::filesystem::path target_;
    std::string temp_; // empty once committed or moved from
};

} // namespace vindrel::engine
