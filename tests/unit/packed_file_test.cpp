// The packed-file container and its proof: a file that does not decode to
// its input, for whatever reason, must never pass.
#include "codec/packed_file.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

using testing_support::Bytes;
using testing_support::bytes_of;
using testing_support::ScratchDir;

constexpr codec::PackedLayout LZS_LAYOUT = {2, 1};

// Packs in.bin of `dir` into in.lzs, as lzspack does.
void pack(const ScratchDir& dir)
{
    std::FILE* input = std::fopen((dir / "in.bin").c_str(), "rb");
    ASSERT_NE(input, nullptr);
    std::uint32_t size = static_cast<std::uint32_t>(dir.read("in.bin").size());
    codec::write_packed_file(input, (dir / "in.lzs").c_str(), {1, size});
    std::fclose(input);
}

void verify(const ScratchDir& dir)
{
    codec::verify_packed_file((dir / "in.lzs").c_str(), LZS_LAYOUT, (dir / "in.bin").c_str(), 0);
    std::exit(0);
}

TEST(PackedFile, WritesTheHeaderWordsThenTheStream)
{
    ScratchDir dir;
    dir.write("in.bin", std::string("abc"));
    EXPECT_EXIT(
        {
            pack(dir);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(testing_support::to_hex(dir.read("in.lzs")), "01 00 00 00 03 00 00 00 00 61 62 63 FF");
    EXPECT_EXIT(verify(dir), testing::ExitedWithCode(0), "");
}

TEST(PackedFileDeathTest, RefusesAnInputThatChangedSinceItWasPacked)
{
    ScratchDir dir;
    dir.write("in.bin", std::string("the original input, the original input"));
    EXPECT_EXIT(
        {
            pack(dir);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    for (const char* changed : {"the original input, the original inpuT", "the original input",
                                "the original input, the original input, and more"}) {
        dir.write("in.bin", std::string(changed));
        EXPECT_EXIT(verify(dir), testing::ExitedWithCode(5), "^Can't decode correctly!\n\n$") << changed;
    }
}

TEST(PackedFileDeathTest, RefusesAPackedFileWhoseDeclaredLengthIsWrong)
{
    ScratchDir dir;
    dir.write("in.bin", std::string("abc"));
    dir.write("in.lzs", testing_support::from_hex("01 00 00 00 04 00 00 00 00 61 62 63 FF"));
    EXPECT_EXIT(verify(dir), testing::ExitedWithCode(5),
                "^Can't decode correctly!\n\torg_size = 4, decode_size = 3\n\n$");
    dir.write("in.lzs", testing_support::from_hex("01 00 00 00 02 00 00 00 00 61 62 63 FF"));
    EXPECT_EXIT(verify(dir), testing::ExitedWithCode(5), "^Decode data error! over run.\n$");
}

TEST(PackedFileDeathTest, RefusesAPackedFileCutShort)
{
    ScratchDir dir;
    dir.write("in.bin", std::string("abc"));
    for (const char* cut : {"01 00 00 00 03 00 00 00 00 61 62", "01 00 00 00 03 00", ""}) {
        dir.write("in.lzs", testing_support::from_hex(cut));
        EXPECT_EXIT(verify(dir), testing::ExitedWithCode(5), "^Decode data error! ") << cut;
    }
}

}  // namespace
