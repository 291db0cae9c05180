// A packer stopped by SIGTERM, SIGINT or SIGHUP in the middle of writing its
// token stream: it must end by that signal, remove its temporary files and
// leave the earlier versions of its outputs whole (apppack's header record
// too, which is committed only with the body). Even SIGKILL,
// which no handler sees, leaves nothing behind: the file has no name until it
// is complete. A signal ignored when the packer started (nohup, a background
// job) stays ignored.
#include "tests/programs/child_setup.h"
#include "tests/programs/packer_runs.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <tuple>

namespace {

using namespace packer_runs;
using testing_support::RunOptions;
using testing_support::RunResult;

// Big enough that the packer is still writing long after the signal.
constexpr std::size_t INPUT_SIZE = 8 << 20;
// The signal goes out once the stream has this much on disk.
constexpr long long SIGNAL_AT_BYTES = 256 << 10;

const Bytes& large_input()
{
    static const Bytes input = testing_support::word_soup(INPUT_SIZE, 3);
    return input;
}

class Interrupt : public testing::TestWithParam<std::tuple<Packer, int>> { };

TEST_P(Interrupt, RemovesTheTemporaryFileAndKeepsTheEarlierOutputWhole)
{
    const auto& [packer, signal] = GetParam();
    ScratchDir dir;
    Files expected = prepare(dir, packer, large_input());

    RunOptions options;
    options.child_setup = testing_support::restore_signals;
    options.signal = signal;
    options.signal_when = [&dir] { return temporary_size(dir) >= SIGNAL_AT_BYTES; };
    RunResult result = run(packer, dir, options);

    EXPECT_EQ(result.signal, signal) << "status " << result.status << ": " << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(files_in(dir), expected);
    EXPECT_EQ(dir.entries().size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(BothPackers, Interrupt,
                         testing::Combine(testing::Values(lzspack(), apppack()),
                                          testing::Values(SIGTERM, SIGINT, SIGHUP, SIGKILL)),
                         [](const testing::TestParamInfo<std::tuple<Packer, int>>& param_info) {
                             return std::string(std::get<0>(param_info.param).name) + "_" +
                                    sigabbrev_np(std::get<1>(param_info.param));
                         });

class IgnoredAtStart : public testing::TestWithParam<std::tuple<Packer, int>> { };

TEST_P(IgnoredAtStart, DoesNotStopTheRun)
{
    const auto& [packer, signal] = GetParam();
    ScratchDir dir;
    prepare(dir, packer, large_input());

    RunOptions options;
    options.child_setup = [signal = signal] {
        testing_support::restore_signals();
        std::signal(signal, SIG_IGN);
    };
    options.signal = signal;
    options.signal_when = [&dir] { return temporary_size(dir) >= SIGNAL_AT_BYTES; };
    RunResult result = run(packer, dir, options);

    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(dir.entries().size(), 1 + packer.outputs.size());
}

INSTANTIATE_TEST_SUITE_P(BothPackers, IgnoredAtStart,
                         testing::Combine(testing::Values(lzspack(), apppack()),
                                          testing::Values(SIGINT, SIGHUP)),
                         [](const testing::TestParamInfo<std::tuple<Packer, int>>& param_info) {
                             return std::string(std::get<0>(param_info.param).name) + "_" +
                                    sigabbrev_np(std::get<1>(param_info.param));
                         });

}  // namespace

namespace {

using Pair = std::pair<Bytes, Bytes>;

Pair apppack_pair(const ScratchDir& dir) { return {dir.read("app_head.bin"), dir.read("zq_app.bin")}; }

// apppack's outputs change together. Stopped at any moment of a run, from
// its first instruction to after its end, it leaves the pair of the earlier
// executable or the pair of the new one, never one file of each.
TEST(ApppackStopped, LeavesTheEarlierPairOrTheNewOneWheneverTheSignalComes)
{
    const Packer& packer = apppack();
    const Bytes earlier = testing_support::random_bytes(3000, 9);
    const Bytes later = testing_support::word_soup(2 << 20, 4);
    ScratchDir reference;
    reference.write(packer.input, later);
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(run(packer, reference).status, 0);
    const auto whole_run = std::chrono::steady_clock::now() - started;
    const Pair new_pair = apppack_pair(reference);

    constexpr int MOMENTS = 16;
    int kept = 0;
    for (int moment = 0; moment <= MOMENTS; ++moment) {
        // Up to an eighth past the reference run's end: the last few land
        // in the commit, the proof or after the exit.
        const auto delay = whole_run * moment * 9 / (MOMENTS * 8);
        ScratchDir dir;
        dir.write(packer.input, earlier);
        ASSERT_EQ(run(packer, dir).status, 0);
        const Pair old_pair = apppack_pair(dir);
        dir.write(packer.input, later);

        RunOptions options;
        options.child_setup = testing_support::restore_signals;
        options.signal = SIGTERM;
        options.signal_when = [start = std::chrono::steady_clock::now(), delay] {
            return std::chrono::steady_clock::now() - start >= delay;
        };
        RunResult result = run(packer, dir, options);
        EXPECT_TRUE(result.signal == SIGTERM || result.status == 0) << result.status << ": " << result.err;
        Pair left = apppack_pair(dir);
        EXPECT_TRUE(left == old_pair || left == new_pair)
            << "a mixed pair after " << moment << "/" << MOMENTS;
        EXPECT_EQ(dir.entries().size(), 3u) << "a temporary file was left";
        kept += left == old_pair;
    }
    EXPECT_GT(kept, 0);
}

}  // namespace
