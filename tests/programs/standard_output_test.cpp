// Standard output that cannot take what a program prints: a full disk, a
// closed descriptor, a pipe whose reader has gone. The run still does its
// work (and the packers their proof), then reports the lost output on stderr
// with status 5; never success, never a kill by SIGPIPE.
#include "tests/programs/child_setup.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

namespace {

using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::ScratchDir;
using testing_support::Stdout;

constexpr char LOST[] = "Can't write to standard output!\n";

struct LostOutput {
    const char* program;
    std::vector<std::string> args;
    std::string message;  // on stderr
};

TEST(StandardOutput, LostOutputIsAFailureOnceTheRunsWorkIsDone)
{
    const LostOutput cases[] = {
        {LZSPACK_PATH, {"a.txt"}, std::string(LOST) + "\n"},
        {APPPACK_PATH, {"app.exe"}, std::string(LOST) + "\n"},
        {LZSUNPACK_PATH, {"-v", "-f", "a.lzs"}, std::string(LOST) + "\n"},
        {LZSPACK_PATH, {"--help"}, std::string(LOST) + "\n"},
        {LZSUNPACK_PATH, {"--version"}, std::string(LOST) + "\n"},
        {CHKPAK_PATH, {"--help"}, LOST},
        {APPSCRAMBLE_PATH, {"--version"}, LOST},
        // chkpak's one message, when chkps.pak is a directory, after the
        // warning that no chkps.lzs is there.
        {CHKPAK_PATH, {}, std::string("no chkps.lzs here: chkps.pak holds only the built-in image\n") + LOST},
    };
    for (Stdout kind : {Stdout::FULL, Stdout::CLOSED, Stdout::BROKEN_PIPE}) {
        for (const LostOutput& test : cases) {
            SCOPED_TRACE(std::string(test.program) + " " + (test.args.empty() ? "" : test.args[0]) +
                         ", stdout " + std::to_string(static_cast<int>(kind)));
            ScratchDir dir;
            dir.write("a.txt", std::string(5000, 'a'));
            dir.write("app.exe", std::string(5000, 'e'));
            ASSERT_EQ(run_program(LZSPACK_PATH, {"a.txt"}, dir.path()).status, 0);
            std::filesystem::create_directory(dir / "chkps.pak");
            RunOptions options;
            options.child_setup = [kind] { testing_support::set_stdout(kind); };

            RunResult result = run_program(test.program, test.args, dir.path(), options);
            EXPECT_EQ(result.signal, 0);
            EXPECT_EQ(result.status, 5);
            EXPECT_EQ(result.err, test.message);
        }
    }
}

TEST(StandardOutput, PackersStillWriteAndProveTheirOutput)
{
    ScratchDir dir;
    dir.write("a.txt", std::string(5000, 'a'));
    RunOptions options;
    options.child_setup = [] { testing_support::set_stdout(Stdout::BROKEN_PIPE); };
    EXPECT_EQ(run_program(LZSPACK_PATH, {"a.txt"}, dir.path(), options).status, 5);
    RunResult unpacked = run_program(LZSUNPACK_PATH, {"a.lzs", "b.txt"}, dir.path());
    EXPECT_EQ(unpacked.status, 0) << unpacked.err;
    EXPECT_EQ(dir.read("b.txt"), dir.read("a.txt"));
}

}  // namespace
