// The programs that take a file name report one that does not exist the
// same way, and create nothing.
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

namespace {

using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchDir;

TEST(EveryFileReader, ReportsAMissingInputAndCreatesNothing)
{
    const struct {
        const char* path;
        const char* input;
    } readers[] = {
        {LZSPACK_PATH, "missing.bin"},
        {APPPACK_PATH, "missing.exe"},
        {LZSUNPACK_PATH, "missing.lzs"},
    };
    for (const auto& reader : readers) {
        SCOPED_TRACE(reader.path);
        ScratchDir dir;
        RunResult run = run_program(reader.path, {reader.input}, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, std::string("Can't open file: ") + reader.input + "!\n\n");
        EXPECT_TRUE(dir.entries().empty());
    }
}

}  // namespace
