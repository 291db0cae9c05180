// lzspack as a user runs it: the bytes it writes, what it prints, its exit
// status, and the directory it leaves behind.
#include "codec/smallest_stream/smallest_stream.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

namespace {

using testing_support::Bytes;
using testing_support::bytes_of;
using testing_support::from_hex;
using testing_support::run_in;
using testing_support::RunResult;
using testing_support::ScratchDir;

TEST(Lzspack, PacksAnEmptyFileIntoTenBytes)
{
    ScratchDir dir;
    dir.write("empty.dat", Bytes{});
    RunResult run = run_in(dir, LZSPACK_PATH, {"empty.dat"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.read("empty.lzs"), from_hex("01 00 00 00 00 00 00 00 00 FF"));
    EXPECT_EQ(run.out, "   empty.dat:        0 -->       10  [--.--%]\n");
    EXPECT_EQ(run.err, "");
}

TEST(Lzspack, PacksThreeBytesAndPrintsTheRatioLine)
{
    ScratchDir dir;
    dir.write("x.bin", std::string("abc"));
    RunResult run = run_in(dir, LZSPACK_PATH, {"x.bin"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.read("x.lzs"), from_hex("01 00 00 00 03 00 00 00 00 61 62 63 FF"));
    EXPECT_EQ(run.out, "       x.bin:        3 -->       13  [433.33%]\n");
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"x.bin", "x.lzs"}));
}

// Build scripts pass a second argument: it keeps having no effect, but the
// warning keeps `lzspack *.txt` from passing for packing them all.
TEST(Lzspack, PacksOnlyTheFirstFileAndSaysTheOthersHaveNoEffect)
{
    ScratchDir dir;
    dir.write("x.bin", std::string("abc"));
    RunResult run = run_in(dir, LZSPACK_PATH, {"x.bin", "y.out"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "lzspack packs one file: y.out has no effect\n");
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"x.bin", "x.lzs"}));
    run = run_in(dir, LZSPACK_PATH, {"--best", "x.bin", "a.txt", "b.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "lzspack packs one file: a.txt has no effect\n"
                       "lzspack packs one file: b.txt has no effect\n");
}

TEST(Lzspack, WritesTheSmallestStreamWithBest)
{
    ScratchDir dir;
    Bytes input = testing_support::word_soup(40000, 3);
    dir.write("x.bin", input);
    ASSERT_EQ(run_in(dir, LZSPACK_PATH, {"x.bin"}).status, 0);
    std::size_t standard = dir.read("x.lzs").size();
    RunResult run = run_in(dir, LZSPACK_PATH, {"--best", "x.bin"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::size_t best = dir.read("x.lzs").size();
    EXPECT_EQ(best, 8 + codec::smallest_stream_size(input));
    EXPECT_LT(best, standard);
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"x.bin", "x.lzs"}));
}

// --best counts only first and before a file name; -- ends the options.
TEST(Lzspack, TakesBestAsAFileNameWhereItIsNoOption)
{
    const struct {
        std::vector<std::string> args;
        const char* packed;
    } cases[] = {
        {{"--best"}, "--best.lzs"},
        {{"--", "--best"}, "--best.lzs"},
        {{"--best", "--", "--best"}, "--best.lzs"},
        {{"x.bin", "--best"}, "x.lzs"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        dir.write("--best", std::string("abc"));
        dir.write("x.bin", std::string("abc"));
        RunResult run = run_in(dir, LZSPACK_PATH, c.args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(dir.entries(), (std::set<std::string>{"--best", "x.bin", c.packed}));
    }
}

TEST(Lzspack, ReplacesAnExistingOutput)
{
    ScratchDir dir;
    dir.write("x.bin", std::string("abc"));
    dir.write("x.lzs", Bytes(5000, 0x55));
    EXPECT_EQ(run_in(dir, LZSPACK_PATH, {"x.bin"}).status, 0);
    EXPECT_EQ(dir.read("x.lzs").size(), 13u);
}

TEST(Lzspack, WritesTheOutputBesideAnInputInAnotherDirectory)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir / "dir.v2");
    std::filesystem::create_directory(dir / "sub");
    dir.write("dir.v2/data", std::string("abc"));
    dir.write("sub/x.bin", std::string("abc"));
    EXPECT_EQ(run_in(dir, LZSPACK_PATH, {"dir.v2/data"}).status, 0);
    EXPECT_EQ(run_in(dir, LZSPACK_PATH, {"sub/x.bin"}).status, 0);
    EXPECT_TRUE(dir.exists("dir.v2/data.lzs"));
    EXPECT_TRUE(dir.exists("sub/x.lzs"));
}

TEST(Lzspack, VerifiesInputsAcrossTheWindowsBoundaries)
{
    for (std::size_t size : {16384u, 16644u, 16645u, 3u << 20}) {
        ScratchDir dir;
        Bytes input = testing_support::striped(size, "abcdefg", 97, 40, 11);
        dir.write("in.bin", input);
        RunResult run = run_in(dir, LZSPACK_PATH, {"in.bin"});
        EXPECT_EQ(run.status, 0) << size << ": " << run.err;
        Bytes packed = dir.read("in.lzs");
        EXPECT_EQ(Bytes(packed.begin() + 4, packed.begin() + 8),
                  (Bytes{static_cast<std::uint8_t>(size), static_cast<std::uint8_t>(size >> 8),
                         static_cast<std::uint8_t>(size >> 16), 0}));
    }
}

TEST(Lzspack, PrintsUsageWithoutArguments)
{
    ScratchDir dir;
    RunResult run = run_in(dir, LZSPACK_PATH, {});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string("Usage: ") + LZSPACK_PATH + " infile [outfile]\n\n");
    EXPECT_TRUE(dir.entries().empty());
}

TEST(Lzspack, RefusesADirectoryAsInput)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir / "d.bin");
    RunResult run = run_in(dir, LZSPACK_PATH, {"d.bin"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Can't open file: d.bin!\n\n");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"d.bin"});
}

TEST(Lzspack, NeverOverwritesItsInput)
{
    ScratchDir dir;
    Bytes original = bytes_of("not a packed file");
    dir.write("x.lzs", original);
    for (const char* input : {"x.lzs", "./x.lzs"}) {
        RunResult run = run_in(dir, LZSPACK_PATH, {input});
        EXPECT_EQ(run.status, 1) << input;
        EXPECT_EQ(run.err, "Can't write " + std::string(input) + ": it is the input file!\n\n");
    }
    // The same file through links: hard.bin is x.lzs, and so is hard.lzs.
    std::filesystem::create_hard_link(dir / "x.lzs", dir / "hard.bin");
    std::filesystem::create_hard_link(dir / "x.lzs", dir / "hard.lzs");
    RunResult run = run_in(dir, LZSPACK_PATH, {"hard.bin"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Can't write hard.lzs: it is the input file!\n\n");
    EXPECT_EQ(dir.read("x.lzs"), original);
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"x.lzs", "hard.bin", "hard.lzs"}));
}

TEST(Lzspack, RefusesANameTooLongForItsOutput)
{
    ScratchDir dir;
    std::string name(1021, 'n');
    RunResult run = run_in(dir, LZSPACK_PATH, {name});
    EXPECT_EQ(run.status, 2);  // no such file: the input is opened first
    std::filesystem::create_directories(dir / std::string(200, 'd') / std::string(200, 'd') /
                                        std::string(200, 'd') / std::string(200, 'd'));
    std::string deep = std::string(200, 'd') + "/" + std::string(200, 'd') + "/" + std::string(200, 'd') +
                       "/" + std::string(200, 'd') + "/" + std::string(200, 'f');
    dir.write(deep, std::string("abc"));  // 1004 characters; with ".lzs" 1008: fits
    EXPECT_EQ(run_in(dir, LZSPACK_PATH, {deep}).status, 0);
    std::string deeper = deep + "ffffffffffffffffffff";  // 1024 with ".lzs": does not fit
    dir.write(deeper, std::string("abc"));
    run = run_in(dir, LZSPACK_PATH, {deeper});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Can't name the output of " + deeper + ": the name is too long!\n\n");
    EXPECT_FALSE(dir.exists(deeper + ".lzs"));
}

}  // namespace
