// Special files where the programs expect regular ones. A device or FIFO
// named as lzsunpack's output is written into, never replaced by a regular
// file; a FIFO as any program's input is refused at once rather than waited
// on; a link that leads nowhere is an input that cannot be opened, not a
// missing one.
#include "tests/programs/child_setup.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/synthetic_inputs.h"

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
}

// The pipe carries the data alone: the report goes to stderr whenever the
// data go to standard output, by "-", -c, or a name that leads there.
TEST(StandardOutput, LzsunpackPipesTheDataAloneWithTheReportOnStderr)
{
    ScratchDir dir;
    make_packed(dir);
    const std::string report = "       x.lzs: lzs        31 -->       44\n";
    for (std::vector<std::string> args : {std::vector<std::string>{"x.lzs", "/dev/stdout"},
                                          {"x.lzs", "-"},
                                          {"-c", "x.lzs"},
                                          {"-f", "x.lzs", "/proc/self/fd/1"}}) {
        SCOPED_TRACE(args.back());
        RunResult result = run_program(LZSUNPACK_PATH, args, dir.path());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, DATA);
        EXPECT_EQ(result.err, report);
    }
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"x.dat", "x.lzs"}));
}

// Standard output redirected to a file, and a link to it as the output:
// the data must land in that file, and the link must stay a link (a rename
// over it used to replace it, leaving the file with the report alone).
TEST(StandardOutput, LzsunpackWritesThroughALinkToStandardOutputIntoTheFileBehindIt)
{
    ScratchDir dir;
    make_packed(dir);
    fs::create_symlink("/proc/self/fd/1", dir / "mystdout");
    const std::string redirected = (dir / "f1.out").string();
    RunOptions options;
    options.child_setup = [&redirected] {
        int fd = open(redirected.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDOUT_FILENO);
    };
    RunResult result = run_program(LZSUNPACK_PATH, {"-f", "x.lzs", "mystdout"}, dir.path(), options);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::is_symlink(dir / "mystdout"));
    EXPECT_EQ(dir.read("f1.out"), testing_support::bytes_of(DATA));
    EXPECT_EQ(result.err, "       x.lzs: lzs        31 -->       44\n");
}

// Any other link is followed, never replaced: the file it leads to gets the
// data (created if the link leads nowhere yet), in its own directory.
TEST(SpecialOutput, EveryOutputThroughALinkReplacesTheFileItLeadsToAndKeepsTheLink)
{
    ScratchDir dir;
    make_packed(dir);
    fs::create_directory(dir / "real");
    dir.write("real/old", std::string("earlier"));
    fs::create_symlink("real/old", dir / "to_old");
    fs::create_symlink("real/new", dir / "to_new");
    fs::create_symlink("real/x.lzs", dir / "y.lzs");
    dir.write("y.dat", DATA);
    for (const char* link : {"to_old", "to_new"})
        EXPECT_EQ(run_program(LZSUNPACK_PATH, {"-f", "x.lzs", link}, dir.path()).status, 0) << link;
    EXPECT_EQ(run_program(LZSPACK_PATH, {"y.dat"}, dir.path()).status, 0);
    for (const char* link : {"to_old", "to_new", "y.lzs"})
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
    EXPECT_EQ(dir.read("real/old"), testing_support::bytes_of(DATA));
    EXPECT_EQ(dir.read("real/new"), testing_support::bytes_of(DATA));
    EXPECT_EQ(dir.read("real/x.lzs"), dir.read("x.lzs"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 3);
}

// "-" as the file reads standard input; the kind must then be given.
TEST(StandardInput, LzsunpackReadsAnImageFromStandardInputWithItsKindGiven)
{
    ScratchDir dir;
    make_packed(dir);
    const std::string image = (dir / "x.lzs").string();
    RunOptions options;
    options.child_setup = [&image] {
        int fd = open(image.c_str(), O_RDONLY);
        dup2(fd, STDIN_FILENO);
    };
    RunResult result = run_program(LZSUNPACK_PATH, {"-t", "lzs", "-"}, dir.path(), options);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, DATA);
    EXPECT_EQ(result.err, "           -: lzs        31 -->       44\n");

    result = run_program(LZSUNPACK_PATH, {"-t", "lzs", "-", "out"}, dir.path(), options);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(dir.read("out"), testing_support::bytes_of(DATA));
    EXPECT_EQ(result.out, "           -: lzs        31 -->       44\n");

    result = run_program(LZSUNPACK_PATH, {"-"}, dir.path(), options);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Can't tell the kind of standard input: give it with -t!\n\n");
}

// A pipe cannot tell its length: the image is read in blocks into a buffer
// that grows as it fills, so one larger than the first buffer (1 MiB) must
// come through whole.
TEST(StandardInput, LzsunpackReadsAnImageLongerThanItsFirstBufferFromAPipe)
{
    ScratchDir dir;
    const testing_support::Bytes data = testing_support::random_bytes(std::size_t{3} << 20, 7);
    dir.write("big.dat", data);
    ASSERT_EQ(run_program(LZSPACK_PATH, {"big.dat"}, dir.path()).status, 0);
    const std::string image = (dir / "big.lzs").string();
    RunOptions options;
    options.child_setup = [&image] {
        int ends[2];
        if (pipe(ends) != 0)
            _exit(126);
        if (fork() == 0) {
            dup2(ends[1], STDOUT_FILENO);
            close(ends[0]);
            execlp("cat", "cat", image.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        dup2(ends[0], STDIN_FILENO);
        close(ends[0]);
        close(ends[1]);
    };
    RunResult result = run_program(LZSUNPACK_PATH, {"-t", "lzs", "-", "out"}, dir.path(), options);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(dir.read("out") == data);
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
