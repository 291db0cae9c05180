// How lzspack names its output.
#include "lzspack/output_name.h"

#include <gtest/gtest.h>

namespace {

std::string named(const std::string& infile)
{
    std::string out = "unset";
    EXPECT_TRUE(lzspack::output_name(infile, out)) << infile;
    return out;
}

TEST(OutputName, ReplacesTheExtensionOrAddsOne)
{
    EXPECT_EQ(named("chkps"), "chkps.lzs");
    EXPECT_EQ(named("chkps.dat"), "chkps.lzs");
    EXPECT_EQ(named("a.b.c"), "a.b.lzs");
    EXPECT_EQ(named(".cfg"), ".lzs");
    EXPECT_EQ(named("x.lzs"), "x.lzs");
}

TEST(OutputName, CutsOnlyADotAfterTheLastDirectorySeparator)
{
    EXPECT_EQ(named("dir.v2\\data"), "dir.v2\\data.lzs");
    EXPECT_EQ(named("dir.v2/data"), "dir.v2/data.lzs");
    EXPECT_EQ(named("a\\b.c\\d"), "a\\b.c\\d.lzs");
    EXPECT_EQ(named("sub/x.bin"), "sub/x.lzs");
    EXPECT_EQ(named("a.d/b.c\\e.f"), "a.d/b.c\\e.lzs");
    EXPECT_EQ(named("dir/.cfg"), "dir/.lzs");
}

TEST(OutputName, RefusesANameThatWouldNotFitTheNameBuffer)
{
    std::string out = "unset";
    EXPECT_TRUE(lzspack::output_name(std::string(1019, 'n'), out));  // 1019 + ".lzs" = 1023
    EXPECT_EQ(out.size(), 1023u);
    EXPECT_FALSE(lzspack::output_name(std::string(1020, 'n'), out));
    EXPECT_EQ(out.size(), 1023u);                                             // left alone
    EXPECT_TRUE(lzspack::output_name(std::string(1019, 'n') + ".bin", out));  // the extension goes
}

}  // namespace
