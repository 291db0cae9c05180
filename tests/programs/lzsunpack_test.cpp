// lzsunpack as a user runs it: each image the chain writes, made by the real
// packers and scramblers, unpacked back to the bytes it came from; damaged
// images refused without a trace; outputs named, and never lost.
#include "codec/in_place_margin.h"
#include "tests/support/run_program.h"
#include "tests/support/scramble_model.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

namespace {

using scramble_model::set_word;
using scramble_model::word;
using testing_support::Bytes;
using testing_support::bytes_of;
using testing_support::from_hex;
using testing_support::random_bytes;
using testing_support::run_in;
using testing_support::RunResult;
using testing_support::ScratchDir;
namespace fs = std::filesystem;

// Inputs of many sizes and kinds: empty, tiny, small alphabets, noise, and
// sizes around the window and the encoder's first read.
std::vector<Bytes> inputs()
{
    std::vector<Bytes> all = {{}, bytes_of("a"), bytes_of("abc"), Bytes(100000, 0x80)};
    for (unsigned symbols : {2u, 4u})
        all.push_back(testing_support::random_over(30000, testing_support::letters(symbols), symbols));
    for (std::size_t size : {255u, 16383u, 16384u, 16385u, 16644u, 16645u, 70000u})
        all.push_back(random_bytes(size, static_cast<std::uint32_t>(size)));
    all.push_back(testing_support::mutated_phrase(200000, "the quick brown fox ", 50, 3));
    return all;
}

// An executable around `body`: a header of 2048 bytes, then the body.
Bytes executable(const Bytes& body)
{
    Bytes exe = random_bytes(2048, 99);
    exe.insert(exe.end(), body.begin(), body.end());
    return exe;
}

std::string report(const char* name, const char* kind, std::size_t packed, std::size_t unpacked)
{
    char line[100];
    std::snprintf(line, sizeof line, "%12s: %-4s %8zu --> %8zu\n", name, kind, packed, unpacked);
    return line;
}

TEST(Lzsunpack, GivesBackEveryFileLzspackPacked)
{
    for (const Bytes& input : inputs()) {
        SCOPED_TRACE(input.size());
        ScratchDir dir;
        dir.write("in.dat", input);
        ASSERT_EQ(run_in(dir, LZSPACK_PATH, {"in.dat"}).status, 0);
        RunResult result = run_in(dir, LZSUNPACK_PATH, {"in.lzs"});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(dir.read("in"), input);
        EXPECT_EQ(result.out, report("in.lzs", "lzs", dir.read("in.lzs").size(), input.size()));
        EXPECT_EQ(result.err, "");
    }
}

TEST(Lzsunpack, GivesBackTheBodyBehindZqAppBinAndZqApp2Bin)
{
    // Bodies whose image ends before, at and after the scrambled bytes 4-6027.
    std::vector<Bytes> bodies = {{},
                                 bytes_of("abc"),
                                 random_bytes(5000, 1),
                                 random_bytes(5355, 2),
                                 random_bytes(7000, 3),
                                 Bytes(150000, 'z')};
    for (const Bytes& body : bodies) {
        SCOPED_TRACE(body.size());
        ScratchDir dir;
        dir.write("app.exe", executable(body));
        ASSERT_EQ(run_in(dir, APPPACK_PATH, {"app.exe"}).status, 0);
        ASSERT_EQ(run_in(dir, APPSCRAMBLE_PATH).status, 0);
        RunResult app = run_in(dir, LZSUNPACK_PATH, {"zq_app.bin"});
        RunResult app2 = run_in(dir, LZSUNPACK_PATH, {"zq_app2.bin"});
        ASSERT_EQ(app.status, 0) << app.err;
        ASSERT_EQ(app2.status, 0) << app2.err;
        EXPECT_EQ(dir.read("zq_app.body"), body);
        EXPECT_EQ(dir.read("zq_app2.body"), body);
        EXPECT_EQ(app2.out, report("zq_app2.bin", "app2", 204800, body.size()));
    }
}

TEST(Lzsunpack, GivesBackChkpsBehindChkpsPak)
{
    std::vector<Bytes> inputs = {{},
                                 bytes_of("abc"),
                                 random_bytes(3000, 4),
                                 Bytes(200000, 0),
                                 testing_support::mutated_phrase(20000, "check sums ", 200, 5)};
    for (const Bytes& input : inputs) {
        SCOPED_TRACE(input.size());
        ScratchDir dir;
        dir.write("chkps.x", input);
        ASSERT_EQ(run_in(dir, LZSPACK_PATH, {"chkps.x"}).status, 0);
        ASSERT_LE(dir.read("chkps.lzs").size(), scramble_model::PAK_SIZE);
        ASSERT_EQ(run_in(dir, CHKPAK_PATH).status, 0);
        RunResult result = run_in(dir, LZSUNPACK_PATH, {"chkps.pak"});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(dir.read("chkps.unpak"), input);
    }
}

// A good image of each kind, made by the chain from the same data, and ways
// to damage it.
struct Damage {
    const char* image;
    const char* what;
    std::function<void(Bytes&)> apply;
};

const std::map<std::string, std::string> KIND_OF_IMAGE = {
    {"chkps.lzs", "lzs"}, {"zq_app.bin", "app"}, {"zq_app2.bin", "app2"}, {"chkps.pak", "pak"}};

void make_every_image(const ScratchDir& dir, const Bytes& data)
{
    dir.write("chkps.x", data);
    dir.write("app.exe", executable(data));
    ASSERT_EQ(run_in(dir, LZSPACK_PATH, {"chkps.x"}).status, 0);
    ASSERT_EQ(run_in(dir, CHKPAK_PATH).status, 0);
    ASSERT_EQ(run_in(dir, APPPACK_PATH, {"app.exe"}).status, 0);
    ASSERT_EQ(run_in(dir, APPSCRAMBLE_PATH).status, 0);
}

TEST(Lzsunpack, RefusesDamagedImagesWithStatusFiveAndNoOutput)
{
    auto cut = [](std::size_t bytes) {
        return [bytes](Bytes& image) { image.resize(image.size() - bytes); };
    };
    auto add_to_word = [](std::size_t index, std::uint32_t delta) {
        return [index, delta](Bytes& image) { set_word(image, index, word(image, index) + delta); };
    };
    // The stream's first token turned into a match reaching before the start.
    auto under_run = [](std::size_t at) {
        return [at](Bytes& image) {
            image[at] = 0x00;
            image[at + 1] = 0x80;
        };
    };
    const Damage damages[] = {
        {"chkps.lzs", "cut before its end mark", cut(1)},
        {"chkps.lzs", "a length word one too large", add_to_word(1, 1)},
        {"chkps.lzs", "a length word one too small", add_to_word(1, 0xFFFFFFFF)},
        {"chkps.lzs", "format word 2", add_to_word(0, 1)},
        {"chkps.lzs", "a match before the start", under_run(8)},
        {"zq_app.bin", "cut inside its stream", cut(5)},
        {"zq_app.bin", "a length word of 2 GiB", add_to_word(0, 0x80000000)},
        {"zq_app2.bin", "one byte short", cut(1)},
        {"zq_app2.bin", "a length word not cleared", add_to_word(0, 7)},
        {"zq_app2.bin", "a stream that never ends",
         [](Bytes& image) {
             std::fill(image.begin() + 4, image.end(), 0);
             image = scramble_model::unscramble_app(image);
         }},
        {"chkps.pak", "another key", add_to_word(1, 1)},
        {"chkps.pak", "a count of 901 words", [](Bytes& image) { set_word(image, 0, 901); }},
        {"chkps.pak", "a count that leaves out the end mark", add_to_word(0, 0xFFFFFFFF)},
        {"chkps.pak", "a pak written without chkps.lzs", [](Bytes& image) { set_word(image, 0, 0); }},
    };
    ScratchDir dir;
    make_every_image(dir, random_bytes(1500, 8));
    for (const Damage& damage : damages) {
        SCOPED_TRACE(std::string(damage.image) + ": " + damage.what);
        Bytes image = dir.read(damage.image);
        damage.apply(image);
        dir.write("damaged", image);
        std::set<std::string> before = dir.entries();
        RunResult result =
            run_in(dir, LZSUNPACK_PATH, {"-t", KIND_OF_IMAGE.at(damage.image), "damaged", "out"});
        EXPECT_EQ(result.status, 5);
        EXPECT_EQ(result.err.rfind("Can't unpack damaged: ", 0), 0u) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(dir.entries(), before);
    }
}

TEST(Lzsunpack, KeepsAnExistingOutputWhenItRefusesTheImage)
{
    ScratchDir dir;
    dir.write("x.lzs", from_hex("01 00 00 00 04 00 00 00 00 61 80 00"));  // no end mark
    dir.write("x", std::string("precious"));
    RunResult result = run_in(dir, LZSUNPACK_PATH, {"-f", "x.lzs"});
    EXPECT_EQ(result.status, 5);
    EXPECT_EQ(result.err, "Can't unpack x.lzs: Decode data error! stream ends without its end mark.\n\n");
    EXPECT_EQ(dir.read("x"), bytes_of("precious"));
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"x", "x.lzs"}));
}

TEST(Lzsunpack, ReplacesAnExistingOutputOnlyWithF)
{
    ScratchDir dir;
    dir.write("x.lzs", from_hex("01 00 00 00 03 00 00 00 00 61 62 63 FF"));
    dir.write("x", std::string("precious"));
    RunResult refused = run_in(dir, LZSUNPACK_PATH, {"x.lzs"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Can't write x: it exists (-f replaces it)!\n\n");
    EXPECT_EQ(dir.read("x"), bytes_of("precious"));

    RunResult forced = run_in(dir, LZSUNPACK_PATH, {"-f", "x.lzs"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(dir.read("x"), bytes_of("abc"));
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"x", "x.lzs"}));
}

TEST(Lzsunpack, NeverWritesOverItsInput)
{
    ScratchDir dir;
    Bytes lzs = from_hex("01 00 00 00 03 00 00 00 00 61 62 63 FF");
    dir.write("x.lzs", lzs);
    dir.write("image", lzs);
    fs::create_hard_link(dir / "x.lzs", dir / "link");
    // Named again, reached through a hard link, or derived from a name
    // without an extension: the output would be the input, -f or not.
    for (std::vector<std::string> args : {std::vector<std::string>{"-f", "x.lzs", "x.lzs"},
                                          {"-f", "x.lzs", "./link"},
                                          {"-f", "-t", "lzs", "image"}}) {
        RunResult result = run_in(dir, LZSUNPACK_PATH, args);
        EXPECT_EQ(result.status, 1) << args.back();
        EXPECT_NE(result.err.find("it is the input file!"), std::string::npos) << result.err;
    }
    EXPECT_EQ(dir.read("x.lzs"), lzs);
    EXPECT_EQ(dir.read("image"), lzs);
}

TEST(Lzsunpack, TakesTheKindFromTAndTheOutputFromTheSecondName)
{
    ScratchDir dir;
    make_every_image(dir, bytes_of("kinds and names"));
    fs::create_directory(dir / "build");
    fs::rename(dir / "zq_app2.bin", dir / "build/image.img");
    RunResult derived = run_in(dir, LZSUNPACK_PATH, {"-t", "app2", "build/image.img"});
    EXPECT_EQ(derived.status, 0) << derived.err;
    EXPECT_EQ(dir.read("build/image.body"), bytes_of("kinds and names"));

    fs::rename(dir / "chkps.pak", dir / "data.img");
    RunResult named = run_in(dir, LZSUNPACK_PATH, {"-t", "pak", "data.img", "build/data.out"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(dir.read("build/data.out"), bytes_of("kinds and names"));
    EXPECT_EQ(named.out, report("data.img", "pak", 3600, 15));
}

TEST(Lzsunpack, AsksForTheKindWhenTheNameDoesNotTellIt)
{
    ScratchDir dir;
    dir.write("image.bin", from_hex("01 00 00 00 00 00 00 00 00 FF"));
    RunResult unknown = run_in(dir, LZSUNPACK_PATH, {"image.bin"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "Can't tell the kind of image.bin from its name: give it with -t!\n\n");
    RunResult bad = run_in(dir, LZSUNPACK_PATH, {"-t", "zip", "image.bin"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "Can't unpack a kind named zip: the kinds are lzs, app, app2 and pak!\n\n");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"image.bin"});
}

TEST(Lzsunpack, PrintsTheTokenStatisticsWithV)
{
    ScratchDir dir;
    // "a", a MATCH_3 at distance 1, a literal 0xE9: "aaaa" and 0xE9.
    dir.write("s.lzs", from_hex("01 00 00 00 05 00 00 00 04 61 80 00 E9 FF"));
    RunResult result = run_in(dir, LZSUNPACK_PATH, {"-v", "s.lzs"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "       s.lzs: lzs        14 -->        5\n"
                          "  literals          2 tokens        2 bytes\n"
                          "  match 3           1 tokens        3 bytes\n"
                          "  match 4           0 tokens        0 bytes\n"
                          "  match near        0 tokens        0 bytes\n"
                          "  match far         0 tokens        0 bytes\n"
                          "  mean match length 3.00, distance 1.00\n"
                          "  fits chkps.pak: 14 of 3600 bytes, 3586 free\n"
                          "  in place, token stream: S 0, D 1\n"
                          "  in place, whole file:   S 0, D 9\n");
    EXPECT_EQ(dir.read("s"), from_hex("61 61 61 61 E9"));
}

// What -v says of the stream in each image: S and D of codec::in_place_margin
// for the stream (the same in a scrambled image as in the file it was made
// from), and for the whole file with its header words before the stream.
TEST(Lzsunpack, PrintsTheInPlaceMarginsOfEveryImageWithV)
{
    Bytes data = testing_support::mutated_phrase(3000, "the loader reads in place ", 300, 6);
    ScratchDir dir;
    dir.write("chkps.x", data);
    dir.write("app.exe", executable(data));
    for (auto [program, args] :
         std::vector<std::pair<const char*, std::vector<std::string>>>{{LZSPACK_PATH, {"chkps.x"}},
                                                                       {CHKPAK_PATH, {}},
                                                                       {APPPACK_PATH, {"app.exe"}},
                                                                       {APPSCRAMBLE_PATH, {}}})
        ASSERT_EQ(run_in(dir, program, args).status, 0) << program;

    struct Case {
        const char* image;
        const char* packed;  // the unscrambled file the stream comes from
        std::size_t stream_offset;
    } cases[] = {{"chkps.lzs", "chkps.lzs", 8},
                 {"chkps.pak", "chkps.lzs", 8},
                 {"zq_app.bin", "zq_app.bin", 4},
                 {"zq_app2.bin", "zq_app.bin", 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.image);
        Bytes packed = dir.read(c.packed);
        std::optional<codec::InPlaceMargin> margin =
            codec::in_place_margin(packed.data() + c.stream_offset, packed.size() - c.stream_offset);
        ASSERT_TRUE(margin);
        ASSERT_GT(margin->offset, c.stream_offset);  // so that the header words count
        std::size_t file_size = dir.read(c.image).size();
        std::size_t file_offset = margin->offset - c.stream_offset;
        char expected[200];
        std::snprintf(expected, sizeof expected,
                      "  in place, token stream: S %zu, D %zu\n  in place, whole file:   S %zu, D %zu\n",
                      margin->offset, margin->offset + margin->stream_size - data.size(), file_offset,
                      file_offset + file_size - data.size());
        RunResult result = run_in(dir, LZSUNPACK_PATH, {"-v", "-f", c.image});
        ASSERT_EQ(result.status, 0) << result.err;
        std::size_t at = result.out.find("  in place");
        ASSERT_NE(at, std::string::npos) << result.out;
        EXPECT_EQ(result.out.substr(at), expected);
    }
}

TEST(Lzsunpack, SaysWithVThatAZqAppBinDoesNotFitTheApplicationImage)
{
    // 182400 literals 'A' in groups of eight: 205200 bytes of stream.
    Bytes app = from_hex("80 C8 02 00");
    for (int group = 0; group < 182400 / 8; ++group) {
        app.push_back(0);
        app.insert(app.end(), 8, 'A');
    }
    app.insert(app.end(), {0x00, 0xFF});
    ScratchDir dir;
    dir.write("zq_app.bin", app);
    RunResult result = run_in(dir, LZSUNPACK_PATH, {"-v", "zq_app.bin"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(
        result.out.find("\n  does not fit zq_app2.bin: 205206 bytes, 406 more than the 204800-byte image\n"
                        "  in place"),
        std::string::npos)
        << result.out;
}

TEST(Lzsunpack, PrintsUsageForACommandLineWithoutItsFile)
{
    ScratchDir dir;
    for (std::vector<std::string> args : {std::vector<std::string>{}, {"-v"}, {"-t", "lzs"}}) {
        RunResult result = run_in(dir, LZSUNPACK_PATH, args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, std::string("Usage: ") + LZSUNPACK_PATH +
                                  " [-v] [-f] [-c] [-t lzs|app|app2|pak] file [outfile]\n\n");
    }
    RunResult unknown = run_in(dir, LZSUNPACK_PATH, {"-vx", "a.lzs"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "Can't use -x: the flags are -v, -f, -c and -t KIND (see --help)!\n\n");
    EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
