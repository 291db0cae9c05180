// lzsunpack's command line, the kinds its file names tell, the names of its
// outputs and the lines it prints.
#include "codec/token_stream.h"
#include "lzsunpack/command_line.h"
#include "lzsunpack/file_names.h"
#include "lzsunpack/report.h"
#include "platform/files.h"

#include <gtest/gtest.h>

namespace {

using lzsunpack::Action;
using lzsunpack::CommandLine;
using lzsunpack::ImageKind;
using lzsunpack::parse_command_line;

TEST(KindOfFile, KnowsTheFixedNamesAndTheExtensions)
{
    EXPECT_EQ(lzsunpack::kind_of_file("x.lzs"), ImageKind::LZS);
    EXPECT_EQ(lzsunpack::kind_of_file("dir.v2/data.lzs"), ImageKind::LZS);
    EXPECT_EQ(lzsunpack::kind_of_file("out/zq_app.bin"), ImageKind::APP);
    EXPECT_EQ(lzsunpack::kind_of_file("zq_app2.bin"), ImageKind::APP2);
    EXPECT_EQ(lzsunpack::kind_of_file("dir\\chkps.pak"), ImageKind::PAK);
    EXPECT_EQ(lzsunpack::kind_of_file("other.pak"), ImageKind::PAK);
}

TEST(KindOfFile, TellsNothingFromOtherNames)
{
    // app_head.bin shares zq_app.bin's extension; ".lzs" is a name, not an extension.
    for (const char* name : {"app_head.bin", "x.bin", "x", ".lzs", "x.lzs/data", "my_zq_app.bin", ""})
        EXPECT_EQ(lzsunpack::kind_of_file(name), std::nullopt) << name;
}

// Names in another case tell their kind where the system ignores case
// (Windows), and nothing where it does not.
TEST(KindOfFile, ReadsNamesInAnotherCaseAsTheSystemDoes)
{
    bool case_blind = platform::same_name("X.LZS", "x.lzs");
    EXPECT_FALSE(platform::same_name("x.lzs", "x.lz"));
    for (auto [name, kind] : {std::pair{"x.LZS", ImageKind::LZS}, std::pair{"CHKPS.PAK", ImageKind::PAK},
                              std::pair{"Zq_App2.Bin", ImageKind::APP2}}) {
        std::optional<ImageKind> told = lzsunpack::kind_of_file(name);
        EXPECT_EQ(told, case_blind ? std::optional(kind) : std::nullopt) << name;
    }
}

TEST(DerivedOutputName, ReplacesTheExtensionByTheKinds)
{
    EXPECT_EQ(lzsunpack::derived_output_name("x.lzs", ImageKind::LZS), "x");
    EXPECT_EQ(lzsunpack::derived_output_name("a.b.lzs", ImageKind::LZS), "a.b");
    EXPECT_EQ(lzsunpack::derived_output_name("out/zq_app.bin", ImageKind::APP), "out/zq_app.body");
    EXPECT_EQ(lzsunpack::derived_output_name("zq_app2.bin", ImageKind::APP2), "zq_app2.body");
    EXPECT_EQ(lzsunpack::derived_output_name("chkps.pak", ImageKind::PAK), "chkps.unpak");
    // Only a dot in the base name starts an extension.
    EXPECT_EQ(lzsunpack::derived_output_name("dir.v2/image", ImageKind::APP), "dir.v2/image.body");
    EXPECT_EQ(lzsunpack::derived_output_name(".pak", ImageKind::PAK), ".pak.unpak");
    // With nothing to strip an lzs output would be the input: the program refuses it.
    EXPECT_EQ(lzsunpack::derived_output_name("image", ImageKind::LZS), "image");
}

TEST(CommandLine, TakesFlagsBeforeTheFileAndAnOptionalOutput)
{
    CommandLine line = parse_command_line({"-v", "-f", "-t", "app2", "image", "body"});
    ASSERT_EQ(line.action, Action::UNPACK);
    EXPECT_TRUE(line.options.verbose);
    EXPECT_TRUE(line.options.force);
    EXPECT_EQ(line.options.kind, ImageKind::APP2);
    EXPECT_EQ(line.options.infile, "image");
    EXPECT_EQ(line.options.outfile, "body");

    CommandLine plain = parse_command_line({"x.lzs"});
    ASSERT_EQ(plain.action, Action::UNPACK);
    EXPECT_FALSE(plain.options.verbose || plain.options.force);
    EXPECT_EQ(plain.options.kind, std::nullopt);
    EXPECT_EQ(plain.options.outfile, std::nullopt);
}

TEST(CommandLine, TakesNamesThatLookLikeFlagsAfterDoubleDash)
{
    CommandLine line = parse_command_line({"-f", "--", "-v", "--help"});
    ASSERT_EQ(line.action, Action::UNPACK);
    EXPECT_FALSE(line.options.verbose);
    EXPECT_EQ(line.options.infile, "-v");
    EXPECT_EQ(line.options.outfile, "--help");
}

TEST(CommandLine, TakesCombinedFlags)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-vf", "a"},
                                                 {"-fv", "a"},
                                                 {"-vft", "lzs", "a"},
                                                 {"-v", "-ft", "lzs", "a"}}) {
        CommandLine line = parse_command_line(args);
        ASSERT_EQ(line.action, Action::UNPACK) << args[0];
        EXPECT_TRUE(line.options.verbose && line.options.force) << args[0];
        EXPECT_EQ(line.options.infile, "a");
    }
}

TEST(CommandLine, RefusesWhatDoesNotFitTheUsageAndSaysWhy)
{
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::string detail;  // the flag or kind it names
    };
    const Case cases[] = {
        {{}, Action::USAGE_ERROR, ""},
        {{"-v"}, Action::USAGE_ERROR, ""},
        {{"a", "b", "c"}, Action::USAGE_ERROR, ""},
        {{"--"}, Action::USAGE_ERROR, ""},
        {{"a", "-f", "b"}, Action::USAGE_ERROR, ""},
        {{"-c", "a", "b"}, Action::USAGE_ERROR, ""},
        {{"-x", "a"}, Action::UNKNOWN_FLAG, "-x"},
        {{"-vx", "a"}, Action::UNKNOWN_FLAG, "-x"},
        {{"-tv", "lzs", "a"}, Action::UNKNOWN_FLAG, "-v"},
        {{"--help", "a"}, Action::UNKNOWN_FLAG, "--help"},
        {{"-t"}, Action::NO_KIND, ""},
        {{"-t", "zip", "a"}, Action::BAD_KIND, "zip"},
    };
    for (const Case& test : cases) {
        CommandLine line = parse_command_line(test.args);
        EXPECT_EQ(line.action, test.action) << test.args.size();
        EXPECT_EQ(line.action == Action::BAD_KIND ? line.bad_kind : line.flag, test.detail)
            << test.args.size();
    }
}

TEST(Report, PrintsEachTokenClassAndTheMeanMatch)
{
    codec::DecodeStats stats = {};
    stats.tokens[codec::LITERAL_LOW] = 2;
    stats.bytes[codec::LITERAL_LOW] = 2;
    stats.tokens[codec::LITERAL_HIGH] = 1;
    stats.bytes[codec::LITERAL_HIGH] = 1;
    stats.tokens[codec::MATCH_3] = 1;
    stats.bytes[codec::MATCH_3] = 3;
    stats.tokens[codec::MATCH_FAR] = 2;
    stats.bytes[codec::MATCH_FAR] = 300;
    stats.tokens[codec::END_MARK] = 1;
    stats.distance_sum = 1001;
    EXPECT_EQ(lzsunpack::format_statistics(stats), "  literals          3 tokens        3 bytes\n"
                                                   "  match 3           1 tokens        3 bytes\n"
                                                   "  match 4           0 tokens        0 bytes\n"
                                                   "  match near        0 tokens        0 bytes\n"
                                                   "  match far         2 tokens      300 bytes\n"
                                                   "  mean match length 101.00, distance 333.67\n");
}

TEST(Report, SaysThereIsNoMeanMatchWithoutMatches)
{
    codec::DecodeStats stats = {};
    std::string text = lzsunpack::format_statistics(stats);
    EXPECT_NE(text.find("  mean match: none\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("nan"), std::string::npos);
}

// The packers' %12s pads by bytes; the report pads by characters.
TEST(Report, PadsANameByCharactersNotBytes)
{
    EXPECT_EQ(lzsunpack::format_report("\xC3\xA9t\xC3\xA9.lzs", lzsunpack::ImageKind::LZS, 10, 3),
              "     \xC3\xA9t\xC3\xA9.lzs: lzs        10 -->        3\n");
    EXPECT_EQ(lzsunpack::format_report("a.lzs", lzsunpack::ImageKind::LZS, 10, 3),
              "       a.lzs: lzs        10 -->        3\n");
}

// The report line once had a fixed buffer that cut a long name.
TEST(Report, KeepsANameOfAnyLength)
{
    std::string name(300, 'n');
    EXPECT_EQ(lzsunpack::format_report(name.c_str(), lzsunpack::ImageKind::LZS, 10, 3),
              name + ": lzs        10 -->        3\n");
}

}  // namespace
