// lzspack on an input of more than 64 MiB: its ratio line needs 64-bit
// arithmetic (written size times 100 passes 2^31), and its self-check holds
// the whole input twice over.
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using testing_support::Bytes;
using testing_support::RunResult;
using testing_support::ScratchDir;

// Not a round number, so no length field or count happens to come out even.
constexpr std::size_t INPUT_SIZE = (64u << 20) + 12345;

std::uint32_t le32_at(std::ifstream& in, std::streamoff offset)
{
    unsigned char bytes[4] = {};
    in.seekg(offset);
    in.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// "%12s: %8d --> %8d  [%2d.%02d%%]" worked out in 64 bits.
std::string ratio_line(const char* name, std::int64_t original, std::int64_t written)
{
    std::int64_t scaled = written * 100;
    char line[128];
    std::snprintf(line, sizeof line, "%12s: %8" PRId64 " --> %8" PRId64 "  [%2" PRId64 ".%02" PRId64 "%%]\n",
                  name, original, written, scaled / original, scaled % original * 100 / original);
    return line;
}

TEST(LargeInput, PacksAndVerifiesMoreThan64MebibytesWithARightRatioLine)
{
    ScratchDir dir;
    dir.write("big.dat", testing_support::word_soup(INPUT_SIZE, 4));

    RunResult result = testing_support::run_program(LZSPACK_PATH, {"big.dat"}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");

    auto written = static_cast<std::int64_t>(std::filesystem::file_size(dir / "big.lzs"));
    ASSERT_GT(written * 100, std::int64_t{INT32_MAX});
    EXPECT_EQ(result.out, ratio_line("big.dat", INPUT_SIZE, written));
    std::ifstream packed(dir / "big.lzs", std::ios::binary);
    EXPECT_EQ(le32_at(packed, 0), 1u);
    EXPECT_EQ(le32_at(packed, 4), INPUT_SIZE);
}

// Both packers refuse an input of 2 GiB or more before writing anything;
// 3 GiB is negative and 4 GiB + 10 is 10 in 32 bits: neither may wrap. The
// inputs are sparse files: long, but no disk used.
TEST(LargeInput, EveryPackerRefusesTwoGibibytesOrMoreBeforeWritingAnything)
{
    constexpr std::uintmax_t GIB = std::uintmax_t{1} << 30;
    struct Packer {
        const char* path;
        const char* input;
    };
    for (Packer packer : {Packer{LZSPACK_PATH, "huge.bin"}, Packer{APPPACK_PATH, "huge.exe"}}) {
        for (std::uintmax_t size : {2 * GIB, 3 * GIB, 4 * GIB + 10}) {
            SCOPED_TRACE(std::string(packer.input) + " of " + std::to_string(size));
            ScratchDir dir;
            dir.write(packer.input, Bytes{});
            std::filesystem::resize_file(dir / packer.input, size);
            RunResult run = testing_support::run_program(packer.path, {packer.input}, dir.path());
            EXPECT_EQ(run.status, 5);
            EXPECT_EQ(run.err,
                      "Can't pack " + std::string(packer.input) + ": 2 GiB or more is too large!\n\n");
            EXPECT_EQ(dir.entries(), std::set<std::string>{packer.input});
        }
    }
}

}  // namespace
