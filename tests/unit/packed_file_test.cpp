// The packed-file container and its proof: a file that does not decode to
// its input, for whatever reason, must never pass.
#include "packing/packed_file.h"
#include "tests/support/scratch_dir.h"
#include "toolrt/temp_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

using testing_support::Bytes;
using testing_support::bytes_of;
using testing_support::ScratchDir;

// Packs in.bin of `dir` into in.lzs as lzspack does, declaring `declared`
// bytes, and ends the (death-test) process.
void pack_declaring(const ScratchDir& dir, std::uint32_t declared)
{
    std::FILE* input = std::fopen((dir / "in.bin").string().c_str(), "rb");
    packing::write_packed_file(input, "in.bin", (dir / "in.lzs").string().c_str(), liblzs::LZS_CONTAINER,
                               declared);
    toolrt::temp_output_commit();
    std::exit(0);
}

void pack(const ScratchDir& dir)
{
    pack_declaring(dir, static_cast<std::uint32_t>(dir.read("in.bin").size()));
}

void verify(const ScratchDir& dir)
{
    std::FILE* input = std::fopen((dir / "in.bin").string().c_str(), "rb");
    packing::verify_packed_file(std::fopen((dir / "in.lzs").string().c_str(), "rb"), liblzs::LZS_CONTAINER,
                                input, "in.bin", 0);
    std::exit(0);
}

TEST(PackedFile, WritesTheHeaderWordsThenTheStream)
{
    ScratchDir dir;
    dir.write("in.bin", std::string("abc"));
    EXPECT_EXIT(pack(dir), testing::ExitedWithCode(0), "");
    EXPECT_EQ(testing_support::to_hex(dir.read("in.lzs")), "01 00 00 00 03 00 00 00 00 61 62 63 FF");
    EXPECT_EXIT(verify(dir), testing::ExitedWithCode(0), "");
}

TEST(PackedFileDeathTest, RefusesAnInputThatChangedSinceItWasPacked)
{
    ScratchDir dir;
    dir.write("in.bin", std::string("the original input, the original input"));
    EXPECT_EXIT(pack(dir), testing::ExitedWithCode(0), "");
    const std::pair<const char*, const char*> cases[] = {
        {"the original input, the original inpuT", "^Can't decode correctly!\n\n$"},
        {"the original input", "^Can't pack in.bin: it changed during the run!\n\n$"},
        {"the original input, the original input, and more",
         "^Can't pack in.bin: it changed during the run!\n\n$"},
    };
    for (auto [changed, message] : cases) {
        dir.write("in.bin", std::string(changed));
        EXPECT_EXIT(verify(dir), testing::ExitedWithCode(5), message) << changed;
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

namespace {

TEST(PackedFileDeathTest, KeepsTheEarlierFileWhenTheInputDidNotReadAsDeclared)
{
    ScratchDir dir;
    dir.write("in.bin", std::string("ten bytes!"));
    dir.write("in.lzs", std::string("earlier output"));
    // Shorter than declared (cut meanwhile, or a failed read), and longer.
    for (std::uint32_t declared : {11u, 9u, 0u}) {
        EXPECT_EXIT(pack_declaring(dir, declared), testing::ExitedWithCode(5),
                    "^Can't pack in.bin: it changed during the run!\n\n$")
            << declared;
        EXPECT_EQ(dir.read("in.lzs"), bytes_of("earlier output"));
        EXPECT_EQ(dir.entries(), (std::set<std::string>{"in.bin", "in.lzs"}));
    }
    EXPECT_EXIT(pack_declaring(dir, 10), testing::ExitedWithCode(0), "");
    EXPECT_NE(dir.read("in.lzs"), bytes_of("earlier output"));
}

TEST(PackedFileDeathTest, RefusesAnInputThatCannotBeRead)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir / "in.bin");  // opens, but every read fails
    dir.write("in.lzs", std::string("earlier output"));
    EXPECT_EXIT(pack_declaring(dir, 0), testing::ExitedWithCode(5), "^Can't read file: in.bin!\n\n$");
    EXPECT_EQ(dir.read("in.lzs"), bytes_of("earlier output"));
}

}  // namespace
