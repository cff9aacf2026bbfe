#include "engine/report/result_file.h"

#include "engine/report/dos.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace vindrel::engine {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// Closes the descriptor and removes the temporary file unless released.
class TempFile {
public:
    explicit TempFile(std::string pattern)
        : path_(std::move(pattern))
    {
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) ThrowErrno("création du fichier temporaire " + path_);
    }
    ~TempFile()
    {
        if (fd_ >= 0) ::close(fd_);
        if (!released_) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(const std::string& bytes)
    {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                ThrowErrno("écriture de " + path_);
            }
            done += static_cast<size_t>(n);
        }
    }
    void Close()
    {
        // Readable by everyone like an ordinary file (mkstemp creates 0600).
        if (::fchmod(fd_, 0644) != 0) ThrowErrno("droits de " + path_);
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) ThrowErrno("fermeture de " + path_);
    }
    // The caller takes over the closed temporary file.
    std::string Release()
    {
        released_ = true;
        return path_;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool released_ = false;
};

} // namespace

std::filesystem::path ExecutableDir()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) throw std::system_error(ec, "lecture de /proc/self/exe");
    return exe.parent_path();
}

void WriteResultFile(const std::filesystem::path& file, const std::string& utf8Text)
{
    PendingResultFile(file, utf8Text).Commit();
}

PendingResultFile::PendingResultFile(const std::filesystem::path& file, const std::string& utf8Text)
    : target_(file)
{
    const std::string bytes = ToDos850(WrapLongLines(utf8Text)); // before touching the disk
    TempFile tmp(file.string() + ".tmpXXXXXX");
    tmp.Write(bytes);
    tmp.Close();
    temp_ = tmp.Release();
}

PendingResultFile::~PendingResultFile()
{
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

PendingResultFile::PendingResultFile(PendingResultFile&& other) noexcept
    : target_(std::move(other.target_))
    , temp_(std::exchange(other.temp_, {}))
{
}

PendingResultFile& PendingResultFile::operator=(PendingResultFile&& other) noexcept
{
    if (this != &other) {
        if (!temp_.empty()) ::unlink(temp_.c_str());
        target_ = std::move(other.target_);
        temp_ = std::exchange(other.temp_, {});
    }
    return *this;
}

void PendingResultFile::Commit()
{
    if (temp_.empty()) throw std::logic_error("fichier de résultats déjà mis en place : " + target_.string());
    const std::string temp = std::exchange(temp_, {});
    if (::rename(temp.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw std::system_error(err, std::generic_category(), "remplacement de " + target_.string());
    }
}

} // namespace vindrel::engine
