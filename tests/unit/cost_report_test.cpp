// The pieces of lzsunpack's --map, --svg and --json reports that a run of
// the program shows poorly: the long options, the cells' digits and the
// escaping of file names that JSON and XML must carry.
#include "lzsunpack/command_line.h"
#include "lzsunpack/cost_map.h"
#include "lzsunpack/text_escape.h"

#include <gtest/gtest.h>

namespace {

using lzsunpack::Action;
using lzsunpack::parse_command_line;

TEST(ReportOptions, TakeAMapTableARangeSizeAPictureAndJson)
{
    const struct {
        std::vector<std::string> args;
        bool table;
        std::uint64_t range_bytes;
        std::optional<std::string> svg;
        bool json;
    } cases[] = {
        {{"--map", "x.lzs"}, true, 0, std::nullopt, false},
        {{"--map=4096", "x.lzs"}, true, 4096, std::nullopt, false},
        {{"--map=m.svg", "x.lzs"}, false, 0, "m.svg", false},
        {{"--svg", "m", "-v", "x.lzs"}, false, 0, "m", false},
        {{"--json", "--map=1", "x.lzs"}, true, 1, std::nullopt, true},
    };
    for (const auto& test : cases) {
        lzsunpack::CommandLine line = parse_command_line(test.args);
        ASSERT_EQ(line.action, Action::UNPACK) << test.args[0];
        const lzsunpack::ReportOptions& report = line.options.report;
        EXPECT_EQ(report.map_table, test.table);
        EXPECT_EQ(report.range_bytes, test.range_bytes);
        EXPECT_EQ(report.svg, test.svg);
        EXPECT_EQ(report.json, test.json);
        EXPECT_EQ(line.options.infile, "x.lzs");
    }
}

TEST(ReportOptions, RefuseAMapOfNothingAndAPictureWithoutAName)
{
    for (const char* arg :
         {"--map=0", "--map=", "--map=12k", "--map=-5", "--map=.svg", "--map=99999999999999999999"})
        EXPECT_EQ(parse_command_line({arg, "x.lzs"}).action, Action::BAD_REPORT) << arg;
    EXPECT_EQ(parse_command_line({"--svg"}).action, Action::BAD_REPORT);
    EXPECT_EQ(parse_command_line({"--mapx", "x.lzs"}).action, Action::UNKNOWN_FLAG);
    // After the first file every argument is a file.
    EXPECT_EQ(parse_command_line({"x.lzs", "--map"}).options.outfile, "--map");
}

TEST(MapCells, PrintEighthsExactlyAndRoundTheRest)
{
    EXPECT_EQ(lzsunpack::packed_bytes(0), "0.000");
    EXPECT_EQ(lzsunpack::packed_bytes(8 * 2227 + 5), "2227.625");
    EXPECT_EQ(lzsunpack::per_byte(9, 1), "1.125");
    EXPECT_EQ(lzsunpack::per_byte(2, 3), "0.083");  // 0.0833
    EXPECT_EQ(lzsunpack::per_byte(1, 0), "-");
    EXPECT_EQ(lzsunpack::percentage(1, 3), "33.3");
    EXPECT_EQ(lzsunpack::percentage(2, 3), "66.7");
    EXPECT_EQ(lzsunpack::percentage(0, 0), "-");
}

TEST(TextEscape, KeepsValidUtf8AndReplacesEverythingElse)
{
    const struct {
        const char* name;
        const char* json;
        const char* xml;
    } cases[] = {
        {"a\"b\\c", "\"a\\\"b\\\\c\"", "a&quot;b\\c"},
        {"<&>'", "\"<&>'\"", "&lt;&amp;&gt;&apos;"},
        {"tab\tbell\a", "\"tab\\u0009bell\\u0007\"", "tab\tbell\xEF\xBF\xBD"},
        {"caf\xC3\xA9", "\"caf\xC3\xA9\"", "caf\xC3\xA9"},
        // A lone continuation byte, a cut sequence, an overlong form, a surrogate.
        {"\x80x\xE2\x82\xC0\xAF\xED\xA0\x80",
         "\"\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
         "\"",
         nullptr},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(lzsunpack::json_string(test.name), test.json) << test.name;
        if (test.xml != nullptr) {
            EXPECT_EQ(lzsunpack::xml_text(test.name), test.xml) << test.name;
        }
    }
}

}  // namespace
