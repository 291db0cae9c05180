// Standard output that cannot take what a program prints: a full disk, a
// closed descriptor, a pipe whose reader has gone. The run still does its
// work (and the packers their proof), then reports the lost output on stderr
// with status 5; never success, never a kill by SIGPIPE.
#include "tests/programs/child_setup.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include <fcntl.h>
#include <unistd.h>

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

namespace {

// What a program wrote to a terminal: its stderr is the slave side of a
// pseudo-terminal, read from the master once the run is over.
class Terminal {
public:
    Terminal() : master_(posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            slave_ = ptsname(master_);
        fcntl(master_, F_SETFL, O_NONBLOCK);
    }
    ~Terminal() { close(master_); }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool open() const { return !slave_.empty(); }
    // A child setup that puts stderr on the terminal.
    std::function<void()> as_stderr() const
    {
        return [slave = slave_] {
            int fd = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
            dup2(fd, STDERR_FILENO);
            close(fd);
        };
    }
    std::string drain() const
    {
        std::string text;
        char buffer[4096];
        ssize_t got;
        while ((got = read(master_, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(got));
        return text;
    }

private:
    int master_;
    std::string slave_;
};

// A long run shows its percentage on a terminal, rewritten in place, and
// erases it at the end; with stderr a pipe (as in every other test) it
// prints nothing of it.
TEST(Progress, ShowsOnATerminalInBothModesOfBothPackersAndIsErasedAtTheEnd)
{
    Terminal terminal;
    ASSERT_TRUE(terminal.open());
    // Large enough for more than half a second even on a fast machine.
    const testing_support::Bytes standard_input = testing_support::word_soup(64 << 20, 6);
    const testing_support::Bytes best_input = testing_support::word_soup(6 << 20, 7);
    for (const char* program : {LZSPACK_PATH, APPPACK_PATH}) {
        for (bool best : {false, true}) {
            SCOPED_TRACE(std::string(program) + (best ? " --best" : ""));
            ScratchDir dir;
            dir.write("in.bin", best ? best_input : standard_input);
            std::vector<std::string> args = {"in.bin"};
            if (best)
                args.insert(args.begin(), "--best");
            RunOptions options;
            options.child_setup = terminal.as_stderr();
            RunResult result = run_program(program, args, dir.path(), options);
            EXPECT_EQ(result.status, 0);
            std::string shown = terminal.drain();
            ASSERT_GE(shown.size(), 2u);
            EXPECT_EQ(shown.rfind("\rin.bin: ", 0), 0u) << shown;
            EXPECT_NE(shown.find("%"), std::string::npos) << shown;
            // The last thing written blanks the line and returns to its start.
            std::size_t last = shown.rfind('\r', shown.size() - 2);
            EXPECT_EQ(shown.back(), '\r');
            EXPECT_EQ(shown.find_first_not_of(' ', last + 1), shown.size() - 1) << shown;
            if (program == std::string(LZSPACK_PATH) && !best) {
                result = run_program(program, args, dir.path());
                EXPECT_EQ(result.err, "");
            }
        }
    }
}

}  // namespace
