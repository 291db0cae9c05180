// --help and --version: every program answers them on stdout with status 0,
// touching no file, and only when it is the one and only argument. Any other
// command line means what it always meant.
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using testing_support::Bytes;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchDir;

struct Program {
    const char* name;
    const char* path;
};

const Program PROGRAMS[] = {
    {"lzspack", LZSPACK_PATH},         {"apppack", APPPACK_PATH},     {"chkpak", CHKPAK_PATH},
    {"appscramble", APPSCRAMBLE_PATH}, {"lzsunpack", LZSUNPACK_PATH},
};

// The inputs the scramblers would read, so that a run that ignored --help
// would show in the directory.
void write_scrambler_inputs(const ScratchDir& dir)
{
    dir.write("chkps.lzs", Bytes(40, 0x11));
    dir.write("zq_app.bin", Bytes(40, 0x22));
}

const std::set<std::string> SCRAMBLER_INPUTS = {"chkps.lzs", "zq_app.bin"};

// Runs `program` with `arg` as its only argument beside the scramblers'
// inputs, checks that it ends quietly with status 0 and leaves the directory
// as it was, and returns what it printed.
std::string answer_of(const Program& program, const char* arg)
{
    ScratchDir dir;
    write_scrambler_inputs(dir);
    RunResult run = run_program(program.path, {arg}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(dir.entries(), SCRAMBLER_INPUTS);
    return run.out;
}

TEST(EveryProgram, PrintsItsUsageForHelpAndTouchesNoFile)
{
    for (const Program& program : PROGRAMS) {
        SCOPED_TRACE(program.name);
        std::string out = answer_of(program, "--help");
        EXPECT_EQ(out.rfind(std::string("Usage: ") + program.path, 0), 0u) << out;
    }
}

TEST(EveryProgram, PrintsTheToolChainVersionAndTouchesNoFile)
{
    for (const Program& program : PROGRAMS) {
        SCOPED_TRACE(program.name);
        EXPECT_EQ(answer_of(program, "--version"), std::string(program.name) + " " LZSTOOLS_VERSION "\n");
    }
}

// --help shows the options a wrong command line's usage does not.
TEST(Packers, ShowBestAndTheEndOfOptionsInTheirHelpUsage)
{
    const std::pair<Program, const char*> cases[] = {{PROGRAMS[0], " [--best] [--] infile [outfile]\n"},
                                                     {PROGRAMS[1], " [--best] [--] infile\n"}};
    for (const auto& [program, usage] : cases) {
        std::string out = answer_of(program, "--help");
        EXPECT_EQ(out.substr(0, out.find('\n') + 1), std::string("Usage: ") + program.path + usage);
    }
}

TEST(Packers, TakeHelpWithAnotherArgumentAsTheInputFileName)
{
    for (const char* path : {LZSPACK_PATH, APPPACK_PATH}) {
        SCOPED_TRACE(path);
        ScratchDir dir;
        RunResult run = run_program(path, {"--help", "extra"}, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "Can't open file: --help!\n\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST(Lzspack, PacksAFileNamedVersionWhenAnotherArgumentFollows)
{
    ScratchDir dir;
    dir.write("--version", std::string("abc"));
    RunResult run = run_program(LZSPACK_PATH, {"--version", "extra"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"--version", "--version.lzs"}));
}

TEST(Scramblers, IgnoreHelpWithAnotherArgumentAndScrambleAsBefore)
{
    ScratchDir dir;
    write_scrambler_inputs(dir);
    EXPECT_EQ(run_program(CHKPAK_PATH, {"--help", "extra"}, dir.path()).status, 0);
    EXPECT_EQ(run_program(APPSCRAMBLE_PATH, {"extra", "--version"}, dir.path()).status, 0);
    EXPECT_EQ(dir.read("chkps.pak").size(), 3600u);
    EXPECT_EQ(dir.read("zq_app2.bin").size(), 204800u);
}

}  // namespace
