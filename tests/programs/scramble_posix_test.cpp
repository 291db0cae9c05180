// The scramblers' dealings with files where POSIX permission bits, the
// umask and file size limits come in.
#include "tests/programs/child_setup.h"
#include "tests/programs/scrambler_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace {

using namespace scramble_model;
using testing_support::limit_file_size;
using testing_support::run_unprivileged;
namespace fs = std::filesystem;

constexpr rlim_t FILE_SIZE_LIMIT = 1000;  // below both images: their write must fail
constexpr fs::perms READ_ONLY_DIR = static_cast<fs::perms>(0555);
constexpr fs::perms OWNERS_DIR = static_cast<fs::perms>(0755);  // others may look, not create
constexpr fs::perms READABLE_FILE = static_cast<fs::perms>(0644);

class ScramblerFilesOnPosix : public ScramblerFiles { };

TEST_P(ScramblerFilesOnPosix, ReplacesAnEarlierOutputWithOneImageReadableByAll)
{
    dir_.write(tool().output, input_bytes(300000));
    dir_.write(tool().input, input_bytes(64));
    RunOptions options;
    options.child_setup = [] { umask(022); };
    ASSERT_EQ(run_in(dir_, tool().path, {}, options).status, 0);
    EXPECT_EQ(fs::file_size(dir_ / tool().output), tool().image_size);
    EXPECT_EQ(fs::status(dir_ / tool().output).permissions(), READABLE_FILE);
    EXPECT_EQ(dir_.entries(), (std::set<std::string>{tool().input, tool().output}));
}

TEST_P(ScramblerFilesOnPosix, CannotCreateAnOutputInAReadOnlyDirectory)
{
    dir_.write(tool().input, input_bytes(20));
    fs::permissions(dir_.path(), READ_ONLY_DIR);
    RunOptions options;
    options.child_setup = run_unprivileged;
    expect_cant_create(run_in(dir_, tool().path, {}, options));
    EXPECT_EQ(dir_.entries(), std::set<std::string>{tool().input});
}

TEST_P(ScramblerFilesOnPosix, KeepsTheEarlierOutputWhenTheWriteFails)
{
    Bytes earlier = earlier_output();
    dir_.write(tool().input, input_bytes(20, 2));
    // Whether or not SIGXFSZ comes with the failed write, the run must end
    // with its message rather than be killed and strand its temporary file.
    for (bool ignore_signal : {true, false}) {
        SCOPED_TRACE(ignore_signal);
        RunOptions options;
        options.child_setup = [ignore_signal] { limit_file_size(FILE_SIZE_LIMIT, ignore_signal); };
        RunResult result = run_in(dir_, tool().path, {}, options);
        EXPECT_EQ(result.status, 5);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "Can't write " + std::string(tool().output) + ": File too large!\n");
        EXPECT_EQ(dir_.read(tool().output), earlier);
        EXPECT_EQ(dir_.entries(), (std::set<std::string>{tool().input, tool().output}));
    }
}

TEST_P(ScramblerFilesOnPosix, StopsWithoutOutputWhenTheInputCannotBeOpened)
{
    dir_.write(tool().input, input_bytes(20));
    fs::permissions(dir_ / tool().input, fs::perms::none);
    fs::permissions(dir_.path(), OWNERS_DIR);
    RunOptions options;
    options.child_setup = run_unprivileged;
    RunResult result = run_in(dir_, tool().path, {}, options);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "Can't open file: " + std::string(tool().input) + "!\n");
    EXPECT_EQ(dir_.entries(), std::set<std::string>{tool().input});
}

INSTANTIATE_TEST_SUITE_P(BothTools, ScramblerFilesOnPosix, both_scramblers(), scrambler_name);

}  // namespace
