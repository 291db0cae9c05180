// The scramblers' shared dealings with files, as a test fixture: the two
// tools' names, their input and output, and how each reports an output it
// cannot create. scramble_test.cpp holds the tests every system runs;
// scramble_posix_test.cpp those that need permission bits, umask or file
// size limits.
#pragma once

#include "tests/support/run_program.h"
#include "tests/support/scramble_model.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace scramble_model {

using testing_support::run_in;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::ScratchDir;

// Random bytes, so that no input byte is mistaken for the filler.
inline Bytes input_bytes(std::size_t size, unsigned seed = 7)
{
    return testing_support::random_bytes(size, seed);
}

struct Scrambler {
    const char* name;
    const char* path;
    const char* input;
    const char* output;
    std::size_t image_size;
    int cant_create_status;
    std::string cant_create_out;
    std::string cant_create_err;
};

inline void PrintTo(const Scrambler& tool, std::ostream* os) { *os << tool.name; }

class ScramblerFiles : public testing::TestWithParam<Scrambler> {
protected:
    const Scrambler& tool() const { return GetParam(); }

    // A first run that leaves an output a failed run must not touch.
    Bytes earlier_output()
    {
        dir_.write(tool().input, input_bytes(20, 1));
        EXPECT_EQ(run_in(dir_, tool().path).status, 0);
        return dir_.read(tool().output);
    }

    void expect_cant_create(const RunResult& result) const
    {
        EXPECT_EQ(result.status, tool().cant_create_status);
        EXPECT_EQ(result.out, tool().cant_create_out);
        EXPECT_EQ(result.err, tool().cant_create_err);
    }

    ScratchDir dir_;
};

// Both tools, for INSTANTIATE_TEST_SUITE_P.
inline auto both_scramblers()
{
    return testing::Values(Scrambler{"chkpak", CHKPAK_PATH, "chkps.lzs", "chkps.pak", PAK_SIZE, 44,
                                     "fopen error! : Don't opend chkps.pak file. \n", ""},
                           Scrambler{"appscramble", APPSCRAMBLE_PATH, "zq_app.bin", "zq_app2.bin", APP_SIZE,
                                     2, "", "Can't open file: zq_app2.bin!\n"});
}

inline std::string scrambler_name(const testing::TestParamInfo<Scrambler>& test) { return test.param.name; }

}  // namespace scramble_model
