// apppack as a user runs it.
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

// A 2048-byte header whose every byte is distinct from the record's
// neighbours, followed by `body`.
Bytes executable(const Bytes& body, unsigned seed = 1)
{
    Bytes exe = testing_support::random_bytes(2048, seed);
    exe.insert(exe.end(), body.begin(), body.end());
    return exe;
}

TEST(Apppack, SplitsTheHeaderRecordFromTheCompressedBody)
{
    ScratchDir dir;
    Bytes exe = executable(bytes_of("abc"));
    dir.write("app.exe", exe);
    RunResult run = run_in(dir, APPPACK_PATH, {"app.exe"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "     app.exe:        3 -->        9  [300.00%]\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(dir.read("zq_app.bin"), from_hex("03 00 00 00 00 61 62 63 FF"));
    EXPECT_EQ(dir.read("app_head.bin"), Bytes(exe.begin() + 16, exe.begin() + 76));
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"app.exe", "app_head.bin", "zq_app.bin"}));
}

TEST(Apppack, WritesTheSmallestStreamWithBest)
{
    ScratchDir dir;
    Bytes body = testing_support::word_soup(30000, 4);
    dir.write("app.exe", executable(body));
    RunResult run = run_in(dir, APPPACK_PATH, {"--best", "app.exe"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.read("zq_app.bin").size(), 4 + codec::smallest_stream_size(body));
    EXPECT_EQ(dir.read("app_head.bin").size(), 60u);
}

TEST(Apppack, PacksAnEmptyBody)
{
    ScratchDir dir;
    dir.write("app.exe", executable({}));
    RunResult run = run_in(dir, APPPACK_PATH, {"app.exe"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.read("zq_app.bin"), from_hex("00 00 00 00 00 FF"));
    EXPECT_EQ(run.out, "     app.exe:        0 -->        6  [--.--%]\n");
}

TEST(Apppack, KeepsHeaderBytesOutsideTheRecordOutOfBothOutputs)
{
    // Header bytes outside 16-75 are 0xEE, found nowhere else.
    Bytes exe(2048, 0xEE);
    for (int i = 16; i < 76; ++i)
        exe[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    Bytes body = bytes_of("body bytes, body bytes, body bytes");
    exe.insert(exe.end(), body.begin(), body.end());
    ScratchDir dir;
    dir.write("app.exe", exe);
    ASSERT_EQ(run_in(dir, APPPACK_PATH, {"app.exe"}).status, 0);
    for (const char* output : {"app_head.bin", "zq_app.bin"})
        for (std::uint8_t b : dir.read(output))
            EXPECT_NE(b, 0xEE) << output;
}

TEST(Apppack, ReplacesAndVerifiesBothOutputsOnASecondRun)
{
    ScratchDir dir;
    dir.write("app.exe", executable(Bytes(100000, 'x'), 1));
    ASSERT_EQ(run_in(dir, APPPACK_PATH, {"app.exe"}).status, 0);
    Bytes second_exe = executable(bytes_of("second body"), 2);
    dir.write("app.exe", second_exe);
    RunResult run = run_in(dir, APPPACK_PATH, {"app.exe"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.read("app_head.bin"), Bytes(second_exe.begin() + 16, second_exe.begin() + 76));
    EXPECT_EQ(dir.read("zq_app.bin")[0], 11);
}

TEST(Apppack, VerifiesALargeBody)
{
    Bytes body = testing_support::striped(3u << 20, "ABCDEFGHIJKLM", 64, 40, 3);
    ScratchDir dir;
    dir.write("big.exe", executable(body));
    RunResult run = run_in(dir, APPPACK_PATH, {"big.exe"});
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST(Apppack, PrintsUsageWithoutArguments)
{
    ScratchDir dir;
    RunResult run = run_in(dir, APPPACK_PATH, {});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string("Usage: ") + APPPACK_PATH + " infile\n\n");
    EXPECT_TRUE(dir.entries().empty());
}

TEST(Apppack, RefusesAnInputShorterThanItsHeaderAndKeepsEarlierOutputs)
{
    ScratchDir dir;
    dir.write("app_head.bin", std::string("earlier head"));
    dir.write("zq_app.bin", std::string("earlier image"));
    for (std::size_t size : {0u, 1u, 2047u}) {
        dir.write("short.exe", Bytes(size, 1));
        RunResult run = run_in(dir, APPPACK_PATH, {"short.exe"});
        EXPECT_EQ(run.status, 5) << size;
        EXPECT_EQ(run.err, "Can't pack short.exe: shorter than its 2048-byte header!\n\n");
    }
    EXPECT_EQ(dir.read("app_head.bin"), bytes_of("earlier head"));
    EXPECT_EQ(dir.read("zq_app.bin"), bytes_of("earlier image"));
    EXPECT_EQ(dir.entries().size(), 3u);
}

TEST(Apppack, NeverTakesOneOfItsOutputsAsInput)
{
    ScratchDir dir;
    Bytes image = executable(bytes_of("pretend image"));
    dir.write("zq_app.bin", image);
    dir.write("app_head.bin", image);
    std::filesystem::create_hard_link(dir / "zq_app.bin", dir / "link.exe");
    for (const char* input : {"zq_app.bin", "./app_head.bin", "link.exe"}) {
        RunResult run = run_in(dir, APPPACK_PATH, {input});
        EXPECT_EQ(run.status, 1) << input;
        EXPECT_NE(run.err.find("it is the input file!"), std::string::npos) << run.err;
    }
    EXPECT_EQ(dir.read("zq_app.bin"), image);
    EXPECT_EQ(dir.read("app_head.bin"), image);
}

}  // namespace
