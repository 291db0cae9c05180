// Names at the edges of what the file system takes, and lzsunpack's command
// line and messages read as its manual says.
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

namespace {

using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchDir;
namespace fs = std::filesystem;

const std::string DATA = "long names, long names, long names\n";

TEST(Names, EveryNameTheFileSystemTakesWorksForAnOutput)
{
    ScratchDir dir;
    std::string stem(251, 'n');  // its .lzs is 255 characters long
    dir.write(stem + ".dat", DATA);
    RunResult packed = run_program(LZSPACK_PATH, {stem + ".dat"}, dir.path());
    ASSERT_EQ(packed.status, 0) << packed.err;

    std::string deep;  // a path past 1023 characters
    for (char c : {'c', 'd', 'e', 'f', 'g'})
        deep += std::string(200, c) + "/";
    fs::create_directories(dir / deep);
    for (const std::string& output : {std::string(255, 'o'), deep + std::string(255, 'o')}) {
        SCOPED_TRACE(output.size());
        RunResult result = run_program(LZSUNPACK_PATH, {stem + ".lzs", output}, dir.path());
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(dir.read(output), testing_support::bytes_of(DATA));
    }
}

TEST(Names, ANameTheSystemRefusesIsReportedAsSuch)
{
    ScratchDir dir;
    dir.write("x.dat", DATA);
    ASSERT_EQ(run_program(LZSPACK_PATH, {"x.dat"}, dir.path()).status, 0);
    std::string output(256, 'o');
    RunResult result = run_program(LZSUNPACK_PATH, {"x.lzs", output}, dir.path());
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "Can't write " + output + ": the system refuses a name that long!\n\n");
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"x.dat", "x.lzs"}));
}

TEST(Names, LzsunpackTakesEverythingAfterItsFirstFileAsAFile)
{
    ScratchDir dir;
    dir.write("x.dat", DATA);
    ASSERT_EQ(run_program(LZSPACK_PATH, {"x.dat"}, dir.path()).status, 0);
    RunResult result = run_program(LZSUNPACK_PATH, {"x.lzs", "-f"}, dir.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(dir.read("-f"), testing_support::bytes_of(DATA));
    EXPECT_FALSE(dir.exists("x"));
}

TEST(Names, LzsunpackNamesTheKindWithItsArticle)
{
    ScratchDir dir;
    dir.write("tiny", std::string("abc"));
    EXPECT_EQ(run_program(LZSUNPACK_PATH, {"-t", "app", "tiny"}, dir.path()).err,
              "Can't unpack tiny: 3 bytes are too few for the header of an app image!\n\n");
    EXPECT_EQ(run_program(LZSUNPACK_PATH, {"-t", "app2", "tiny"}, dir.path()).err,
              "Can't unpack tiny: an app2 image is 204800 bytes, not 3!\n\n");
}

}  // namespace
