// Runs that meet other runs: a file that appears while lzsunpack works is
// never replaced without -f; a packer proves its own file even when another
// run's takes the name; two apppack runs in one directory never leave a
// mixed pair.
#include "tests/programs/child_setup.h"
#include "tests/programs/packer_runs.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace packer_runs;
using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::RunResult;

constexpr int ROUNDS = 10;

TEST(Concurrency, LzsunpackWithoutForceKeepsAFileThatAppearsDuringTheRun)
{
    ScratchDir dir;
    dir.write("r.dat", std::string(32 << 20, 'r'));
    ASSERT_EQ(run_program(LZSPACK_PATH, {"r.dat"}, dir.path()).status, 0);
    dir.write("r.dat", std::string());

    // Once the output is being written, another program creates its name;
    // the harmless SIGCONT only marks the moment.
    RunOptions options;
    options.signal = SIGCONT;
    options.signal_when = [&dir] {
        if (temporary_size(dir) < 0)
            return false;
        dir.write("r", std::string("precious"));
        return true;
    };
    RunResult result = run_program(LZSUNPACK_PATH, {"r.lzs"}, dir.path(), options);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Can't write r: it exists (-f replaces it)!\n\n");
    EXPECT_EQ(dir.read("r"), testing_support::bytes_of("precious"));
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"r", "r.dat", "r.lzs"}));
}

// Runs `a` and `b` at once.
std::pair<RunResult, RunResult> run_both(const std::function<RunResult()>& a,
                                         const std::function<RunResult()>& b)
{
    RunResult first;
    std::thread other([&] { first = a(); });
    RunResult second = b();
    other.join();
    return {first, second};
}

// Standard output on a FIFO that is full: the packer stops on its ratio
// line, after the commit and before the proof.
void stdout_on_full_fifo()
{
    int fd = open("stdout.fifo", O_RDWR | O_NONBLOCK);
    char block[4096] = {};
    while (fd >= 0 && write(fd, block, sizeof block) > 0) { }
    if (fd < 0 || fcntl(fd, F_SETFL, 0) != 0 || dup2(fd, STDOUT_FILENO) < 0)
        _exit(testing_support::SETUP_FAILED);
}

TEST(Concurrency, TheProofReadsTheFileTheRunWroteNotWhatNowHasItsName)
{
    ScratchDir dir;
    dir.write("o.dat", testing_support::word_soup(50000, 1));
    ASSERT_EQ(run_program(LZSPACK_PATH, {"o.dat"}, dir.path()).status, 0);
    dir.write("x.dat", testing_support::word_soup(50000, 2));
    ASSERT_EQ(mkfifo((dir / "stdout.fifo").c_str(), 0600), 0);

    // Another run's file takes the name while the packer waits to print;
    // then the packer's standard output drains and it goes on to the proof.
    RunOptions options;
    options.child_setup = stdout_on_full_fifo;
    options.signal = SIGCONT;
    options.signal_when = [&dir] {
        if (!dir.exists("x.lzs"))
            return false;
        std::filesystem::rename(dir / "o.lzs", dir / "x.lzs");
        int fifo = open((dir / "stdout.fifo").c_str(), O_RDONLY | O_NONBLOCK);
        char block[4096];
        while (read(fifo, block, sizeof block) > 0) { }
        close(fifo);
        return true;
    };
    RunResult result = run_program(LZSPACK_PATH, {"x.dat"}, dir.path(), options);
    EXPECT_EQ(result.status, 0) << result.err;
}

// A file's bytes as a map key. Ordering std::vector<std::uint8_t> keys makes
// GCC 12 warn, wrongly, about the memcmp it inlines in a Release build
// (-Wstringop-overread); a string compares the same bytes without it.
std::string key_of(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

TEST(Concurrency, TwoApppackRunsInOneDirectoryLeaveOutputsOfOneExecutable)
{
    // What each executable gives alone.
    std::map<std::string, Bytes> image_of_head;
    for (std::uint32_t seed : {1u, 2u}) {
        ScratchDir alone;
        alone.write("app.exe", testing_support::word_soup(300000, seed));
        ASSERT_EQ(run_program(APPPACK_PATH, {"app.exe"}, alone.path()).status, 0);
        image_of_head[key_of(alone.read("app_head.bin"))] = alone.read("zq_app.bin");
    }
    ASSERT_EQ(image_of_head.size(), 2u);

    for (int round = 0; round < ROUNDS; ++round) {
        ScratchDir dir;
        dir.write("a.exe", testing_support::word_soup(300000, 1));
        dir.write("b.exe", testing_support::word_soup(300000, 2));
        auto [a, b] = run_both([&] { return run_program(APPPACK_PATH, {"a.exe"}, dir.path()); },
                               [&] { return run_program(APPPACK_PATH, {"b.exe"}, dir.path()); });
        EXPECT_EQ(a.status, 0) << a.err;
        EXPECT_EQ(b.status, 0) << b.err;
        auto pair = image_of_head.find(key_of(dir.read("app_head.bin")));
        ASSERT_NE(pair, image_of_head.end());
        EXPECT_TRUE(dir.read("zq_app.bin") == pair->second) << "round " << round;
    }
}

}  // namespace
