// Too little memory for the run: whichever allocation fails, the program
// says so with status 3 instead of aborting.
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::ScratchDir;

// Address space for a program that holds a 64 MiB original once (neither
// program keeps a second copy of it): enough to start and read the image,
// not enough to unpack or prove it.
constexpr rlim_t ADDRESS_SPACE = 60000 * 1024;

TEST(Memory, RunningOutIsStatusThreeWithItsMessageInEveryProgram)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
#endif
    ScratchDir dir;
    dir.write("m", std::string(64 << 20, '\0'));
    ASSERT_EQ(run_program(LZSPACK_PATH, {"m"}, dir.path()).status, 0);

    RunOptions options;
    options.child_setup = [] {
        rlimit limit = {ADDRESS_SPACE, ADDRESS_SPACE};
        if (setrlimit(RLIMIT_AS, &limit) != 0)
            _exit(125);
    };
    for (std::vector<std::string> args : {std::vector<std::string>{LZSUNPACK_PATH, "-f", "m.lzs"},
                                          std::vector<std::string>{LZSPACK_PATH, "m"}}) {
        SCOPED_TRACE(args[0]);
        RunResult result =
            run_program(args[0], std::vector<std::string>(args.begin() + 1, args.end()), dir.path(), options);
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.status, 3);
        EXPECT_EQ(result.err.rfind("Can't allocate memory", 0), 0u) << result.err;
    }
}

}  // namespace
