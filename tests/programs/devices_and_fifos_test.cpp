// Special files where the programs expect regular ones. A device or FIFO
// named as lzsunpack's output is written into, never replaced by a regular
// file; a FIFO as any program's input is refused at once rather than waited
// on; a link that leads nowhere is an input that cannot be opened, not a
// missing one.
#include "tests/programs/child_setup.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::ScratchDir;
namespace fs = std::filesystem;

const std::string DATA = "special files, special files, special files\n";

// x.lzs, packed from DATA.
void make_packed(const ScratchDir& dir)
{
    dir.write("x.dat", DATA);
    ASSERT_EQ(run_program(LZSPACK_PATH, {"x.dat"}, dir.path()).status, 0);
}

RunOptions ending_if_stuck()
{
    RunOptions options;
    options.child_setup = [] { testing_support::end_after(20); };
    return options;
}

TEST(SpecialOutput, LzsunpackWritesIntoADeviceWithOrWithoutForce)
{
    ScratchDir dir;
    make_packed(dir);
    if (mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "cannot make a device node here";
    for (std::vector<std::string> args :
         {std::vector<std::string>{"x.lzs", "null"}, {"-f", "x.lzs", "null"}}) {
        RunResult result = run_program(LZSUNPACK_PATH, args, dir.path());
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(fs::is_character_file(dir / "null"));
    }
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"null", "x.dat", "x.lzs"}));
}

TEST(SpecialOutput, LzsunpackWritesIntoAFifoAndThroughDevStdout)
{
    ScratchDir dir;
    make_packed(dir);
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    // The reader is there before the writer, and the data fit the pipe.
    int reader = open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    RunResult result = run_program(LZSUNPACK_PATH, {"-f", "x.lzs", "pipe"}, dir.path(), ending_if_stuck());
    char received[4096];
    ssize_t length = read(reader, received, sizeof received);
    close(reader);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(std::string(received, static_cast<std::size_t>(std::max<ssize_t>(length, 0))), DATA);
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));

    result = run_program(LZSUNPACK_PATH, {"x.lzs", "/dev/stdout"}, dir.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, DATA.size()), DATA);
}

struct FifoInput {
    const char* program;
    std::vector<std::string> args;
    std::string fifo;
    std::string message;
};

TEST(SpecialInput, EveryProgramRefusesAFifoAtOnce)
{
    const FifoInput cases[] = {
        {LZSPACK_PATH, {"f.x"}, "f.x", "Can't open file: f.x!\n\n"},
        {APPPACK_PATH, {"f.x"}, "f.x", "Can't open file: f.x!\n\n"},
        {LZSUNPACK_PATH, {"-t", "lzs", "f.x"}, "f.x", "Can't open file: f.x!\n\n"},
        {CHKPAK_PATH, {}, "chkps.lzs", "Can't open file: chkps.lzs!\n"},
        {APPSCRAMBLE_PATH, {}, "zq_app.bin", "Can't open file: zq_app.bin!\n"},
    };
    for (const FifoInput& test : cases) {
        SCOPED_TRACE(test.program);
        ScratchDir dir;
        ASSERT_EQ(mkfifo((dir / test.fifo).c_str(), 0600), 0);
        RunResult result = run_program(test.program, test.args, dir.path(), ending_if_stuck());
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, test.message);
        EXPECT_EQ(dir.entries(), std::set<std::string>{test.fifo});
    }
}

TEST(SpecialInput, ScramblersRefuseALinkToNowhereAsTheirInput)
{
    for (auto [program, input] :
         {std::pair{CHKPAK_PATH, "chkps.lzs"}, std::pair{APPSCRAMBLE_PATH, "zq_app.bin"}}) {
        SCOPED_TRACE(program);
        ScratchDir dir;
        fs::create_symlink("missing", dir / input);
        RunResult result = run_program(program, {}, dir.path());
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, "Can't open file: " + std::string(input) + "!\n");
        EXPECT_EQ(dir.entries(), std::set<std::string>{input});
    }
}

}  // namespace
