// The packers when the system lets them down: a disk that fills up while the
// token stream is written, a directory they may not write, inputs they
// cannot read. Every such run must end with its status and message, leave no
// temporary file behind and leave each file it did not commit byte for byte
// as it was.
#include "tests/programs/child_setup.h"
#include "tests/programs/packer_runs.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using namespace packer_runs;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::word_soup;
namespace fs = std::filesystem;

constexpr char MSG_SHORT_WRITE[] = "Can't write correctly size\n\n";
constexpr char MSG_CANT_OPEN_TEMP[] = "Can't open temporary file!\n\n";

// Large enough that its stream spans many 4 KB stdio buffers.
constexpr std::size_t INPUT_SIZE = 300000;

RunOptions with_file_size_limit(rlim_t bytes, bool ignore_signal = true)
{
    RunOptions options;
    options.child_setup = [bytes, ignore_signal] { testing_support::limit_file_size(bytes, ignore_signal); };
    return options;
}

RunOptions unprivileged()
{
    RunOptions options;
    options.child_setup = testing_support::run_unprivileged;
    return options;
}

void expect_failure(const RunResult& result, int status, const std::string& message)
{
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.status, status);
    EXPECT_EQ(result.err, message);
    EXPECT_EQ(result.out, "");
}

void expect_files(const ScratchDir& dir, const Files& expected)
{
    Files actual = files_in(dir);
    EXPECT_EQ(dir.entries().size(), actual.size()) << "something other than files was left";
    for (const auto& [name, bytes] : expected) {
        auto found = actual.find(name);
        if (found == actual.end())
            ADD_FAILURE() << name << " is gone";
        else
            EXPECT_TRUE(found->second == bytes) << name << " changed";
    }
    for (const auto& entry : actual)
        EXPECT_TRUE(expected.count(entry.first)) << entry.first << " was left behind";
}

class PackerFaults : public testing::TestWithParam<Packer> {
protected:
    const Packer& packer() const { return GetParam(); }

    // What an undisturbed run writes for `input`.
    Files reference_outputs(const Bytes& input) const
    {
        ScratchDir dir;
        dir.write(packer().input, input);
        RunResult result = run(packer(), dir);
        EXPECT_EQ(result.status, 0) << result.err;
        Files files = files_in(dir);
        files.erase(packer().input);
        return files;
    }
};

TEST_P(PackerFaults, ReportsADiskThatFillsUpAnywhereInTheStreamAndKeepsWhatItDidNotCommit)
{
    Bytes input = word_soup(INPUT_SIZE, 1);
    Files reference = reference_outputs(input);
    const std::size_t packed_size = reference.at(packer().outputs.back()).size();

    // Before the first byte, inside the first stdio buffer, inside the
    // second, halfway, and one byte short, which only the last flush meets.
    for (std::size_t limit :
         {std::size_t{0}, std::size_t{100}, std::size_t{4096 + 100}, packed_size / 2, packed_size - 1}) {
        SCOPED_TRACE("file size limit " + std::to_string(limit));
        ScratchDir dir;
        // apppack's header record fits every limit, but is committed only
        // with the body: the earlier pair stays whole.
        Files expected = prepare(dir, packer(), input);

        expect_failure(run(packer(), dir, with_file_size_limit(limit)), 5, MSG_SHORT_WRITE);
        expect_files(dir, expected);
    }
}

TEST_P(PackerFaults, FitsADiskWithRoomForExactlyItsOutput)
{
    Bytes input = word_soup(INPUT_SIZE, 1);
    Files expected = reference_outputs(input);
    ScratchDir dir;
    prepare(dir, packer(), input);
    expected[packer().input] = input;

    RunResult result = run(packer(), dir, with_file_size_limit(expected.at(packer().outputs.back()).size()));
    EXPECT_EQ(result.status, 0) << result.err;
    expect_files(dir, expected);
}

// The kernel signals a write past the file size limit with SIGXFSZ, whose
// default action used to end the packer on the spot and strand its
// temporary file.
TEST_P(PackerFaults, ReportsTheFileSizeLimitAsAFullDiskWhenItsSignalIsNotIgnored)
{
    Bytes input = word_soup(INPUT_SIZE, 1);
    ScratchDir dir;
    Files before = prepare(dir, packer(), input);

    expect_failure(run(packer(), dir, with_file_size_limit(50, /*ignore_signal=*/false)), 5, MSG_SHORT_WRITE);
    expect_files(dir, before);
}

TEST_P(PackerFaults, CannotCreateATemporaryFileInADirectoryItMayNotWrite)
{
    ScratchDir dir;
    Files before = prepare(dir, packer(), word_soup(INPUT_SIZE, 1));
    fs::permissions(dir.path(), static_cast<fs::perms>(0555));

    RunResult result = run(packer(), dir, unprivileged());
    if (result.status == testing_support::SETUP_FAILED)
        GTEST_SKIP() << "cannot run the packer without root's privileges here";
    fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::add);
    expect_failure(result, 2, MSG_CANT_OPEN_TEMP);
    expect_files(dir, before);
}

TEST_P(PackerFaults, RefusesAnInputItCannotReadOrThatIsNotAFile)
{
    ScratchDir dir;
    Files before = prepare(dir, packer(), word_soup(INPUT_SIZE, 1));
    fs::permissions(dir.path(), static_cast<fs::perms>(0755));
    fs::permissions(dir / packer().input, fs::perms::none);

    RunResult result = run(packer(), dir, unprivileged());
    if (result.status == testing_support::SETUP_FAILED)
        GTEST_SKIP() << "cannot run the packer without root's privileges here";
    expect_failure(result, 2, "Can't open file: " + packer().input + "!\n\n");
    fs::permissions(dir / packer().input, fs::perms::owner_read);
    expect_files(dir, before);

    fs::remove(dir / packer().input);
    fs::create_directory(dir / packer().input);
    before.erase(packer().input);
    expect_failure(run(packer(), dir), 2, "Can't open file: " + packer().input + "!\n\n");
    fs::remove(dir / packer().input);
    expect_files(dir, before);
}

// Something else appends to the input while it is packed: the run must say
// so (it once said "Can't read file") and keep the earlier outputs.
TEST_P(PackerFaults, SaysTheInputChangedWhenItGrowsDuringTheRun)
{
    ScratchDir dir;
    Files before = prepare(dir, packer(), word_soup(4 << 20, 5));
    const std::string input = (dir / packer().input).string();
    RunOptions options;
    options.signal = SIGCONT;  // harmless: the moment is what matters
    options.signal_when = [&dir, &input] {
        if (temporary_size(dir) < (64 << 10))
            return false;
        std::FILE* grow = std::fopen(input.c_str(), "ab");
        std::fputs("more", grow);
        std::fclose(grow);
        return true;
    };
    expect_failure(run(packer(), dir, options), 5,
                   "Can't pack " + packer().input + ": it changed during the run!\n\n");
    before.erase(packer().input);
    Files after = files_in(dir);
    after.erase(packer().input);
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(BothPackers, PackerFaults, testing::Values(lzspack(), apppack()),
                         [](const testing::TestParamInfo<Packer>& param_info) {
                             return std::string(param_info.param.name);
                         });

// The longest output name lzspack accepts (1023 characters): a failed run
// must still leave nothing behind in the output's directory.
TEST(LzspackFaults, RemovesTheTemporaryFileOfAnOutputNameAtTheLimit)
{
    ScratchDir dir;
    std::string folder;  // no part of a name may pass 255 characters
    for (char c : {'c', 'd', 'e', 'f'})
        folder += std::string(200, c) + "/";
    std::string stem = folder + std::string(1019 - folder.size(), 'n');
    std::string input = stem + ".dat";
    ASSERT_EQ((stem + ".lzs").size(), 1023u);
    fs::create_directories(dir / folder);
    Bytes data = word_soup(INPUT_SIZE, 2);
    dir.write(input, data);

    expect_failure(
        testing_support::run_program(LZSPACK_PATH, {input}, dir.path(), with_file_size_limit(4096)), 5,
        MSG_SHORT_WRITE);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / folder), fs::directory_iterator()), 1);

    RunResult result = testing_support::run_program(LZSPACK_PATH, {input}, dir.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(dir.exists(stem + ".lzs"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / folder), fs::directory_iterator()), 2);
}

}  // namespace
