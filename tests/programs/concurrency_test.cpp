// Runs that meet other runs: a file that appears while lzsunpack works is
// never replaced without -f; two packers writing one name each prove their
// own file; two apppack runs in one directory never leave a mixed pair.
#include "tests/programs/packer_runs.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

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
std::pair<RunResult, RunResult> run_both(const std::function<RunResult()>& a, const std::function<RunResult()>& b)
{
    RunResult first;
    std::thread other([&] { first = a(); });
    RunResult second = b();
    other.join();
    return {first, second};
}

TEST(Concurrency, TwoLzspackRunsOnOneOutputNameEachProveTheirOwnFile)
{
    for (int round = 0; round < ROUNDS; ++round) {
        ScratchDir dir;
        dir.write("x.txt", testing_support::word_soup(300000, 1));
        dir.write("x.dat", testing_support::word_soup(300000, 2));
        auto [txt, dat] = run_both([&] { return run_program(LZSPACK_PATH, {"x.txt"}, dir.path()); },
                                   [&] { return run_program(LZSPACK_PATH, {"x.dat"}, dir.path()); });
        EXPECT_EQ(txt.status, 0) << txt.err;
        EXPECT_EQ(dat.status, 0) << dat.err;
    }
}

TEST(Concurrency, TwoApppackRunsInOneDirectoryLeaveOutputsOfOneExecutable)
{
    // What each executable gives alone.
    std::map<Bytes, Bytes> image_of_head;
    for (std::uint32_t seed : {1u, 2u}) {
        ScratchDir alone;
        alone.write("app.exe", testing_support::word_soup(300000, seed));
        ASSERT_EQ(run_program(APPPACK_PATH, {"app.exe"}, alone.path()).status, 0);
        image_of_head[alone.read("app_head.bin")] = alone.read("zq_app.bin");
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
        auto pair = image_of_head.find(dir.read("app_head.bin"));
        ASSERT_NE(pair, image_of_head.end());
        EXPECT_TRUE(dir.read("zq_app.bin") == pair->second) << "round " << round;
    }
}

}  // namespace
