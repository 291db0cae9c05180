// What reaches the disk in which order, seen through strace: the output's
// data are synced before the file gets its name, and its directory after,
// so after a power cut the name leads to the old file or the whole new one.
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>

namespace {

using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchDir;
namespace fs = std::filesystem;

std::string find_strace()
{
    std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(path, folder, ':');)
        if (fs::exists(fs::path(folder) / "strace"))
            return (fs::path(folder) / "strace").string();
    return "";
}

bool names_a_file(const std::string& line)
{
    for (const char* call : {"link(", "linkat(", "rename(", "renameat(", "renameat2("})
        if (line.find(call) != std::string::npos)
            return true;
    return false;
}

TEST(Durability, SyncsTheFileBeforeNamingItAndTheDirectoryAfter)
{
    std::string strace = find_strace();
    if (strace.empty())
        GTEST_SKIP() << "strace is not installed";
    const std::vector<std::vector<std::string>> runs = {
        {LZSPACK_PATH, "x.dat"}, {LZSUNPACK_PATH, "x.lzs", "y"}, {CHKPAK_PATH}, {APPPACK_PATH, "x.dat"}};
    ScratchDir dir;
    dir.write("x.dat", std::string(5000, 'd'));
    for (const std::vector<std::string>& run : runs) {
        SCOPED_TRACE(run[0]);
        std::vector<std::string> args = {"-f", "-o", "trace.log", "-e",
                                         "trace=fsync,fdatasync,link,linkat,rename,renameat,renameat2"};
        args.insert(args.end(), run.begin(), run.end());
        // LeakSanitizer cannot run under ptrace; the other suites check leaks.
        testing_support::RunOptions options;
        options.child_setup = [] { setenv("ASAN_OPTIONS", "detect_leaks=0", 1); };
        RunResult result = run_program(strace, args, dir.path(), options);
        if (result.status != 0 && !dir.exists("trace.log"))
            GTEST_SKIP() << "strace cannot trace here: " << result.err;
        ASSERT_EQ(result.status, 0) << result.err;

        testing_support::Bytes log = dir.read("trace.log");
        std::istringstream trace(std::string(log.begin(), log.end()));
        std::string steps;  // S for a sync, N for a naming call, in order
        for (std::string line; std::getline(trace, line);) {
            if (line.find("fsync(") != std::string::npos || line.find("fdatasync(") != std::string::npos)
                steps += 'S';
            else if (names_a_file(line))
                steps += 'N';
        }
        EXPECT_TRUE(std::regex_match(steps, std::regex("(S+N+S+)+"))) << steps;
    }
}

}  // namespace
