// An output is never readable by more people than its input: it takes the
// input's permission bits within the umask, replacing an earlier output's.
// (Without an input the scramblers' outputs get 0666 within the umask.)
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using testing_support::run_program;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::ScratchDir;
namespace fs = std::filesystem;

struct Case {
    const char* program;
    std::vector<std::string> args;
    std::string input;
    std::vector<std::string> outputs;
};

TEST(Permissions, OutputsTakeTheInputsBitsWithinTheUmask)
{
    const Case cases[] = {
        {LZSPACK_PATH, {"in.dat"}, "in.dat", {"in.lzs"}},
        {APPPACK_PATH, {"in.dat"}, "in.dat", {"app_head.bin", "zq_app.bin"}},
        {LZSUNPACK_PATH, {"-f", "in.lzs"}, "in.lzs", {"in"}},
        {CHKPAK_PATH, {}, "chkps.lzs", {"chkps.pak"}},
        {APPSCRAMBLE_PATH, {}, "zq_app.bin", {"zq_app2.bin"}},
    };
    struct Modes {
        fs::perms input;
        mode_t umask;
        fs::perms output;
    };
    for (Modes modes :
         {Modes{fs::perms(0600), 022, fs::perms(0600)}, Modes{fs::perms(0664), 027, fs::perms(0640)}}) {
        for (const Case& test : cases) {
            SCOPED_TRACE(test.program + (" umask " + std::to_string(modes.umask)));
            ScratchDir dir;
            dir.write("in.dat", std::string(5000, 'p'));
            ASSERT_EQ(run_program(LZSPACK_PATH, {"in.dat"}, dir.path()).status, 0);
            if (!dir.exists(test.input))
                dir.write(test.input, std::string("scrambler input"));
            for (const std::string& output : test.outputs) {
                if (output != test.input && !dir.exists(output))
                    dir.write(output, std::string("earlier"));
                fs::permissions(dir / output, fs::perms(0644));
            }
            fs::permissions(dir / test.input, modes.input);

            RunOptions options;
            options.child_setup = [umask_bits = modes.umask] { umask(umask_bits); };
            RunResult result = run_program(test.program, test.args, dir.path(), options);
            ASSERT_EQ(result.status, 0) << result.err;
            for (const std::string& output : test.outputs)
                EXPECT_EQ(fs::status(dir / output).permissions(), modes.output) << output;
        }
    }
}

}  // namespace
