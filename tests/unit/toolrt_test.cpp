// The tool runtime: the fatal exit, the ratio line, file lengths and the
// temporary output's life cycle.
#include "packing/ratio.h"
#include "tests/support/scratch_dir.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"
#include "toolrt/file_io.h"
#include "toolrt/temp_output.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

using testing_support::ScratchDir;

TEST(FailDeathTest, PrintsTheMessageAndAnEmptyLineAndExitsWithTheStatus)
{
    EXPECT_EXIT(toolrt::fail(2, toolrt::MSG_CANT_OPEN_FILE, "x.bin"), testing::ExitedWithCode(2),
                "^Can't open file: x.bin!\n\n$");
    EXPECT_EXIT(toolrt::fail(5, "No newline of its own."), testing::ExitedWithCode(5),
                "^No newline of its own.\n$");
}

TEST(Ratio, TruncatesThePercentageToTwoDecimals)
{
    EXPECT_EQ(packing::format_ratio("a.dat", 1000, 456), "       a.dat:     1000 -->      456  [45.60%]\n");
    EXPECT_EQ(packing::format_ratio("x.bin", 3, 13), "       x.bin:        3 -->       13  [433.33%]\n");
    EXPECT_EQ(packing::format_ratio("x", 3, 2), "           x:        3 -->        2  [66.66%]\n");
}

TEST(Ratio, StaysRightWhereThirtyTwoBitArithmeticWouldOverflow)
{
    // 64 MiB packed into 30 MiB: 30 MiB * 100 * 100 leaves 32 bits.
    EXPECT_EQ(packing::format_ratio("big", 67108864, 31457280),
              "         big: 67108864 --> 31457280  [46.87%]\n");
}

TEST(Ratio, ShowsAnEmptyOriginalWithoutDividingByZero)
{
    EXPECT_EQ(packing::format_ratio("empty", 0, 10), "       empty:        0 -->       10  [--.--%]\n");
}

TEST(FileLength, ReturnsTheWholeLengthAndKeepsThePosition)
{
    ScratchDir dir;
    dir.write("f", testing_support::Bytes(3000, 7));
    toolrt::OpenedInput opened = toolrt::open_input((dir / "f").c_str());
    EXPECT_EQ(opened.length, 3000);
    std::fclose(opened.stream);
    std::FILE* f = std::fopen((dir / "f").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 2048, SEEK_SET);
    EXPECT_EQ(toolrt::file_length(f), 3000);
    EXPECT_EQ(std::ftell(f), 2048);
    std::fclose(f);
}

TEST(OpenInputDeathTest, RefusesADirectory)
{
    ScratchDir dir;
    EXPECT_EXIT(toolrt::open_input(dir.path().c_str()), testing::ExitedWithCode(2), "^Can't open file: ");
}

// Runs `body` in a child process inside `dir` and returns its wait status.
template <typename Body> int in_child(const ScratchDir& dir, Body body)
{
    pid_t child = fork();
    if (child == 0) {
        if (chdir(dir.path().c_str()) != 0)
            _exit(99);
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

TEST(TempOutput, CommitReplacesTheFinalFileInOneStep)
{
    ScratchDir dir;
    dir.write("out.bin", std::string("old"));
    int status = in_child(dir, [] {
        std::FILE* f = toolrt::temp_output_open("out.bin");
        std::fputs("new", f);
        toolrt::temp_output_commit();
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(dir.read("out.bin"), testing_support::bytes_of("new"));
    EXPECT_EQ(dir.entries(), std::set<std::string>{"out.bin"});
}

TEST(TempOutput, IsRemovedWhenTheRunFailsBeforeTheCommit)
{
    ScratchDir dir;
    dir.write("out.bin", std::string("old"));
    int status = in_child(dir, [] {
        std::FILE* f = toolrt::temp_output_open("out.bin");
        std::fputs("partial", f);
        toolrt::fail(5, toolrt::MSG_SHORT_WRITE);
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 5);
    EXPECT_EQ(dir.read("out.bin"), testing_support::bytes_of("old"));
    EXPECT_EQ(dir.entries(), std::set<std::string>{"out.bin"});
}

TEST(TempOutput, IsRemovedWhenASignalEndsTheRunAndTheSignalStillEndsIt)
{
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        ScratchDir dir;
        int status = in_child(dir, [sig] {
            std::FILE* f = toolrt::temp_output_open("out.bin");
            std::fputs("partial", f);
            std::fflush(f);
            raise(sig);
        });
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "signal " << sig;
        EXPECT_TRUE(dir.entries().empty()) << "signal " << sig;
    }
}

TEST(TempOutput, ReportsARenameThatFailsAndLeavesNoTemporaryFile)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir / "out.bin");
    std::filesystem::create_directory(dir / "out.bin" / "keep");
    int status = in_child(dir, [] {
        std::FILE* f = toolrt::temp_output_open("out.bin");
        std::fputs("new", f);
        std::freopen("/dev/null", "w", stderr);
        toolrt::temp_output_commit();
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 5);
    EXPECT_EQ(dir.entries(), std::set<std::string>{"out.bin"});
    EXPECT_TRUE(std::filesystem::exists(dir / "out.bin" / "keep"));
}

TEST(TempOutputDeathTest, NamesTheFinalFileWhenTheRenameFails)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir / "out.bin");
    std::filesystem::create_directory(dir / "out.bin" / "keep");
    std::string final_name = (dir / "out.bin").string();
    EXPECT_EXIT(
        {
            toolrt::temp_output_open(final_name.c_str());
            toolrt::temp_output_commit();
        },
        testing::ExitedWithCode(5), "^Can't rename temporary file to .*out.bin!\n\n$");
}

}  // namespace
