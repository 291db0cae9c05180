// A packer stopped by SIGTERM, SIGINT or SIGHUP in the middle of writing its
// token stream: it must end by that signal, remove its temporary file and
// leave the earlier version of the output it was writing whole. Even SIGKILL,
// which no handler sees, leaves nothing behind: the file has no name until it
// is complete. A signal ignored when the packer started (nohup, a background
// job) stays ignored.
#include "tests/programs/child_setup.h"
#include "tests/programs/packer_runs.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

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

// apppack commits the header record before it starts the stream.
Files committed_before_the_stream(const Packer& packer, const Bytes& input)
{
    constexpr std::ptrdiff_t RECORD_OFFSET = 16;
    constexpr std::ptrdiff_t RECORD_SIZE = 60;
    if (packer.outputs.size() == 1)
        return {};
    return {{packer.outputs.front(),
             Bytes(input.begin() + RECORD_OFFSET, input.begin() + RECORD_OFFSET + RECORD_SIZE)}};
}

class Interrupt : public testing::TestWithParam<std::tuple<Packer, int>> { };

TEST_P(Interrupt, RemovesTheTemporaryFileAndKeepsTheEarlierOutputWhole)
{
    const auto& [packer, signal] = GetParam();
    ScratchDir dir;
    Files expected = prepare(dir, packer, large_input());
    for (const auto& [name, bytes] : committed_before_the_stream(packer, large_input()))
        expected[name] = bytes;

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
