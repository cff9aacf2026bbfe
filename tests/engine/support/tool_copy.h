// A built tool copied into a fresh temporary folder named after the running
// test, so that process tests never write into the program folder. The
// folder is removed when the object goes.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace vindrel::test {

class ToolCopy {
public:
    explicit ToolCopy(const std::string& name)
        : name_(name)
        , built_(std::filesystem::path(VINDREL_APP_DIR) / "sysdyn" / name)
    {
    }
    ~ToolCopy()
    {
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    ToolCopy(const ToolCopy&) = delete;
    ToolCopy& operator=(const ToolCopy&) = delete;

    const std::filesystem::path& built() const { return built_; }
    const std::filesystem::path& dir() const { return dir_; }

    // Copies the built tool into <temp>/<prefix>-<pid>-<test name>/, which
    // also holds an empty folder "elsewhere" to run it from.
    void Make(const std::string& prefix)
    {
        dir_ = std::filesystem::temp_directory_path()
            / (prefix + "-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "elsewhere");
        std::filesystem::copy_file(built_, dir_ / name_);
    }

    // Runs the copy with the given arguments (shell words) from the working
    // folder `from`, its output discarded; the exit status, or -1 when it
    // did not exit normally.
    int Run(const std::string& args, const std::filesystem::path& from) const
    {
        const std::string cmd
            = "cd '" + from.string() + "' && '" + (dir_ / name_).string() + "' " + args + " >/dev/null 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The bytes of a file of the folder ("" when there is none).
    std::string Read(const std::string& file) const
    {
        std::ifstream in(dir_ / file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string name_;
    std::filesystem::path built_;
    std::filesystem::path dir_;
};

} // namespace vindrel::test
