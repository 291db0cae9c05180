// The whole tool chain, as the build runs it: lzspack's chkps.lzs through
// chkpak, and apppack's zq_app.bin through appscramble. Each scrambled image,
// unscrambled, must decode back to the input the chain started from, with
// nothing more than the loader has: the image and the original size.
#include "codec/decoder.h"
#include "tests/support/run_program.h"
#include "tests/support/scramble_model.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace scramble_model;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchDir;
using testing_support::table_text;

constexpr std::size_t APP_HEADER_SIZE = 2048;

void run_step(const char* program, const std::vector<std::string>& args, const ScratchDir& dir)
{
    RunResult result = run_program(program, args, dir.path());
    ASSERT_EQ(result.status, 0) << program << ": " << result.err;
}

// Decodes the token stream at `stream_offset` of an unscrambled image,
// reading as far as the image goes: the stream's own end mark stops it.
Bytes decode_image(const Bytes& image, std::size_t stream_offset, std::size_t original_size)
{
    Bytes decoded(original_size);
    codec::DecodeResult result = codec::decode_tokens_checked(
        image.data() + stream_offset, image.size() - stream_offset, decoded.data(), decoded.size());
    EXPECT_EQ(result.error, codec::DecodeError::NONE);
    EXPECT_EQ(result.produced, original_size);
    return decoded;
}

TEST(ToolChain, ChkpsPakDecodesBackToTheFileLzspackPacked)
{
    for (std::size_t size : {0, 10, 2000, 6000}) {
        SCOPED_TRACE(size);
        ScratchDir dir;
        Bytes original = table_text(size, static_cast<unsigned>(size));
        dir.write("chkps.dat", original);
        run_step(LZSPACK_PATH, {"chkps.dat"}, dir);
        ASSERT_LE(dir.read("chkps.lzs").size(), PAK_SIZE);
        run_step(CHKPAK_PATH, {}, dir);

        Bytes pak = dir.read("chkps.pak");
        ASSERT_EQ(pak.size(), PAK_SIZE);
        EXPECT_EQ(decode_image(unscramble_pak(pak), 8, size), original);
    }
}

TEST(ToolChain, ZqApp2BinDecodesBackToTheBodyApppackPacked)
{
    // The first body packs into less than the 6028 scrambled bytes, so the
    // key pattern also covers filler behind its stream; the second is far
    // longer than that.
    for (std::size_t body_size : {40, 150000}) {
        SCOPED_TRACE(body_size);
        ScratchDir dir;
        Bytes body = table_text(body_size, 3);
        Bytes executable(APP_HEADER_SIZE + body_size, 0x5A);
        std::copy(body.begin(), body.end(), executable.begin() + APP_HEADER_SIZE);
        dir.write("app.exe", executable);
        run_step(APPPACK_PATH, {"app.exe"}, dir);
        ASSERT_LE(dir.read("zq_app.bin").size(), APP_SIZE);
        run_step(APPSCRAMBLE_PATH, {}, dir);

        Bytes app = dir.read("zq_app2.bin");
        ASSERT_EQ(app.size(), APP_SIZE);
        EXPECT_EQ(decode_image(unscramble_app(app), 4, body_size), body);
    }
}

}  // namespace
