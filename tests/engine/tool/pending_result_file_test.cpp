// Result files prepared under a temporary name, put in place later.
#include "engine/report/result_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace vindrel::engine {
namespace {

namespace fs = std::filesystem;

class PendingResultFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path()
            / ("vindrel-pending-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "dovra.res", std::ios::binary) << "ancien";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Read(const std::string& name) const
    {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    size_t FileCount() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    fs::path dir_;
};

TEST_F(PendingResultFileTest, TargetKeepsItsOldTextUntilCommit)
{
    PendingResultFile pending(dir_ / "dovra.res", "Système étudié");
    EXPECT_EQ(Read("dovra.res"), "ancien");
    EXPECT_EQ(FileCount(), 2u);
    pending.Commit();
    EXPECT_EQ(Read("dovra.res"), "Syst\x8Ame \x82tudi\x82");
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(PendingResultFileTest, FailedRenameThrowsAndRemovesTheTemporaryFile)
{
    fs::create_directories(dir_ / "skellin.res" / "occupé");
    PendingResultFile pending(dir_ / "skellin.res", "0");
    EXPECT_THROW(pending.Commit(), std::system_error);
    EXPECT_EQ(FileCount(), 2u); // dovra.res and the directory
}

} // namespace
} // namespace vindrel::engine
