// lzsunpack --map, --svg and --json as a user runs them: where the packed
// bytes of a file of random bytes and zeros go, a picture that parses and
// renders, a JSON report with the very numbers of the text, and a plain
// report that stays as it was.
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/synthetic_inputs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

using testing_support::Bytes;
using testing_support::run_in;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchDir;

constexpr std::size_t HALF = 32768;

// Half random bytes, half zeros, packed into half.lzs.
void pack_half_random(const ScratchDir& dir)
{
    Bytes data = testing_support::random_bytes(HALF, 23);
    data.resize(2 * HALF, 0);
    dir.write("half.dat", data);
    ASSERT_EQ(run_program(LZSPACK_PATH, {"half.dat"}, dir.path()).status, 0);
}

// A program of the system's, found on PATH, or "" (the test then skips).
std::string tool(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && std::filesystem::exists(std::filesystem::path(dir) / name))
            return (std::filesystem::path(dir) / name).string();
    return "";
}

struct Row {
    std::uint64_t offset;
    double per_byte;
};

// The rows of the --map table (not the total, nor the costliest list).
std::vector<Row> map_rows(const std::string& out)
{
    std::vector<Row> rows;
    std::istringstream lines(out.substr(out.find("  cost map:")));
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);  // the headings
    while (std::getline(lines, line) && line.find("total") == std::string::npos) {
        std::istringstream cells(line);
        Row row{};
        std::uint64_t length = 0;
        double packed = 0;
        cells >> row.offset >> length >> packed >> row.per_byte;
        rows.push_back(row);
    }
    return rows;
}

TEST(CostMap, ShowsRandomBytesAtNineEighthsAndZerosNearNothing)
{
    ScratchDir dir;
    pack_half_random(dir);
    RunResult result = run_in(dir, LZSUNPACK_PATH, {"--map", "half.lzs"});
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<Row> rows = map_rows(result.out);
    ASSERT_EQ(rows.size(), 64u);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.offset);
        if (row.offset < HALF) {
            EXPECT_NEAR(row.per_byte, 1.125, 0.01);
        } else {
            EXPECT_LT(row.per_byte, 0.02);
        }
    }
    // The costliest five are all random, and the packed bytes add up to
    // the stream: the file but its 8-byte header.
    std::string costliest = result.out.substr(result.out.find("costliest ranges:"));
    std::istringstream lines(costliest);
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    for (int i = 0; i < 5; ++i) {
        std::uint64_t offset = HALF;
        ASSERT_TRUE(std::getline(lines, line));
        std::istringstream(line) >> offset;
        EXPECT_LT(offset, HALF) << line;
    }
    std::size_t total = result.out.find("total");
    std::istringstream total_cells(result.out.substr(total, result.out.find('\n', total) - total));
    std::string label, length, packed;
    total_cells >> label >> length >> packed;
    EXPECT_EQ(length, std::to_string(2 * HALF));
    EXPECT_EQ(packed, std::to_string(dir.read("half.lzs").size() - 8) + ".000");
    EXPECT_NE(result.out.find("capacity of chkps.pak: "), std::string::npos);
}

TEST(CostMap, LeavesTheReportAsItWasAndOnlyAddsToIt)
{
    ScratchDir dir;
    pack_half_random(dir);
    RunResult plain = run_in(dir, LZSUNPACK_PATH, {"-v", "half.lzs", "plain"});
    RunResult mapped =
        run_in(dir, LZSUNPACK_PATH, {"-v", "--map=5000", "--svg", "map.svg", "half.lzs", "mapped"});
    RunResult pictured = run_in(dir, LZSUNPACK_PATH, {"--map=map2.svg", "half.lzs", "pictured"});
    ASSERT_EQ(mapped.status, 0) << mapped.err;
    EXPECT_EQ(mapped.out.substr(0, plain.out.size()), plain.out);
    EXPECT_NE(mapped.out.find("in 14 ranges of 5000 bytes"), std::string::npos) << mapped.out;
    EXPECT_EQ(pictured.out, plain.out.substr(0, plain.out.find('\n') + 1));
    EXPECT_EQ(dir.read("mapped"), dir.read("plain"));
    EXPECT_EQ(dir.read("pictured"), dir.read("plain"));
    // An existing picture is an existing output: replaced only with -f.
    RunResult again = run_in(dir, LZSUNPACK_PATH, {"--svg", "map.svg", "half.lzs", "again"});
    EXPECT_EQ(again.status, 1);
    EXPECT_FALSE(dir.exists("again"));
}

TEST(CostMap, RefusesAMapWithoutWhatItTakes)
{
    ScratchDir dir;
    pack_half_random(dir);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--map=0", "half.lzs"}, {"--map=half", "half.lzs"}, {"--svg"}}) {
        RunResult result = run_in(dir, LZSUNPACK_PATH, args);
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_EQ(result.err, "Can't use " + args[0] +
                                  ": --map takes BYTES per range or FILE.svg, --svg takes FILE!\n\n");
        EXPECT_FALSE(dir.exists("half")) << args[0];
    }
}

// The picture: well formed, self-contained, and a PNG of its stated size
// once rendered.
TEST(CostMap, DrawsAPictureThatParsesAndRendersAtItsSize)
{
    std::string xmllint = tool("xmllint");
    std::string rsvg = tool("rsvg-convert");
    if (xmllint.empty() || rsvg.empty())
        GTEST_SKIP() << "xmllint (libxml2-utils) or rsvg-convert (librsvg2-bin) is not installed";
    ScratchDir dir;
    pack_half_random(dir);
    // A name JSON and XML must escape, and one that is not UTF-8.
    dir.write("a&<b>\"\xff.lzs", dir.read("half.lzs"));
    ASSERT_EQ(run_in(dir, LZSUNPACK_PATH, {"--svg", "map.svg", "a&<b>\"\xff.lzs", "out"}).status, 0);
    std::string svg;
    for (std::uint8_t byte : dir.read("map.svg"))
        svg += static_cast<char>(byte);
    EXPECT_NE(svg.find("width=\"960\" height=\"540\""), std::string::npos);
    for (const char* external : {"<script", "href", "@import", "url("})
        EXPECT_EQ(svg.find(external), std::string::npos) << external;

    EXPECT_EQ(run_program(xmllint, {"--noout", "map.svg"}, dir.path()).status, 0);
    ASSERT_EQ(run_program(rsvg, {"-o", "map.png", "map.svg"}, dir.path()).status, 0);
    Bytes png = dir.read("map.png");
    ASSERT_GE(png.size(), 24u);
    auto word = [&png](std::size_t at) {
        return std::uint32_t{png[at]} << 24 | std::uint32_t{png[at + 1]} << 16 |
               std::uint32_t{png[at + 2]} << 8 | png[at + 3];
    };
    EXPECT_EQ(word(16), 960u);  // the IHDR chunk's width and height
    EXPECT_EQ(word(20), 540u);
}

// Rewrites the text report of -v --map from the JSON object alone: equal
// text means equal numbers, every one of them.
constexpr char TEXT_FROM_JSON[] = R"(
import json, sys
d = json.load(open(sys.argv[1]))
out = ['%12s: %-4s %8d --> %8d' % (d['file'], d['kind'], d['packed'], d['unpacked'])]
t = d['tokens']
for key, label in [('literals', 'literals  '), ('match_3', 'match 3   '), ('match_4', 'match 4   '),
                   ('match_near', 'match near'), ('match_far', 'match far ')]:
    out.append('  %s %8d tokens %8d bytes' % (label, t[key]['tokens'], t[key]['bytes']))
m = d['mean_match']
out.append('  mean match length %.2f, distance %.2f' % (m['length'], m['distance']))
h = d['headroom']
if h['fits']:
    out.append('  fits %s: %d of %d bytes, %d free' % (h['image'], h['used'], h['capacity'], h['free']))
else:
    out.append('  does not fit %s: %d bytes, %d more than the %d-byte image' % (h['image'], h['used'], -h['free'], h['capacity']))
p = d['in_place']
out.append('  in place, token stream: S %d, D %d' % (p['stream']['S'], p['stream']['D']))
out.append('  in place, whole file:   S %d, D %d' % (p['file']['S'], p['file']['D']))
mp = d['map']
out.append('  cost map: %d stream bytes in %d ranges of %d bytes' % (d['stream'], len(mp['ranges']), mp['range_bytes']))
def cells(r, offset=None):
    return [offset or str(r['offset']), str(r['length']), '%.3f' % r['packed'], '%.3f' % r['per_byte'], '%.1f%%' % r['literals']]
rows = [['offset', 'length', 'packed', 'per byte', 'literals']] + [cells(r) for r in mp['ranges']]
rows += [cells(mp['total'], 'total')] + [cells(mp['ranges'][i]) for i in mp['costliest']]
widths = [max(len(r[c]) for r in rows) for c in range(5)]
line = lambda r: ''.join('  ' + r[c].rjust(widths[c]) for c in range(5))
n = len(mp['ranges'])
out += [line(r) for r in rows[:n + 2]] + ['  costliest ranges:', line(rows[0])] + [line(r) for r in rows[n + 2:]]
out.append('  capacity of %s: %d of %d bytes, %d %s' % (h['image'], h['used'], h['capacity'], abs(h['free']), 'under' if h['fits'] else 'over'))
print('\n'.join(out))
)";

TEST(CostMap, PrintsJsonThatParsesAndHoldsTheNumbersOfTheText)
{
    std::string python = tool("python3");
    if (python.empty())
        GTEST_SKIP() << "python3 is not installed";
    ScratchDir dir;
    pack_half_random(dir);
    RunResult text = run_in(dir, LZSUNPACK_PATH, {"-v", "--map=3000", "half.lzs", "a"});
    RunResult json = run_in(dir, LZSUNPACK_PATH, {"--json", "--map=3000", "half.lzs", "b"});
    ASSERT_EQ(json.status, 0) << json.err;
    dir.write("report.json", json.out);
    EXPECT_EQ(run_program(python, {"-m", "json.tool", "report.json"}, dir.path()).status, 0);
    dir.write("text_from_json.py", std::string(TEXT_FROM_JSON));
    RunResult rewritten = run_program(python, {"text_from_json.py", "report.json"}, dir.path());
    ASSERT_EQ(rewritten.status, 0) << rewritten.err;
    EXPECT_EQ(rewritten.out, text.out);

    // Without --map there is no map, and with it no table on stdout.
    RunResult bare = run_in(dir, LZSUNPACK_PATH, {"--json", "half.lzs", "c"});
    EXPECT_NE(bare.out.find("\"map\": null"), std::string::npos);
    EXPECT_EQ(json.out.find("cost map"), std::string::npos);
}

// chkps.pak holds chkps.lzs: the same stream, the same map and the same
// room in the image, told from either file.
TEST(CostMap, TellsTheSameOfAPakAsOfTheLzsInIt)
{
    ScratchDir dir;
    dir.write("chkps.dat", testing_support::word_soup(3000, 3));
    ASSERT_EQ(run_program(LZSPACK_PATH, {"chkps.dat"}, dir.path()).status, 0);
    ASSERT_EQ(run_program(CHKPAK_PATH, {}, dir.path()).status, 0);
    RunResult lzs = run_in(dir, LZSUNPACK_PATH, {"--json", "--map=700", "chkps.lzs", "a"});
    RunResult pak = run_in(dir, LZSUNPACK_PATH, {"--json", "--map=700", "chkps.pak", "b"});
    ASSERT_EQ(pak.status, 0) << pak.err;
    // All but the whole file's in-place margin, which counts the image's 3600 bytes.
    auto facts = [](const std::string& json) {
        std::size_t from = json.find("\"unpacked\"");
        return json.substr(from, json.find("\"file\": {\"S\"") - from);
    };
    EXPECT_EQ(facts(pak.out), facts(lzs.out));
}

}  // namespace
