// chkpak and appscramble as a user runs them: the bytes of their images,
// their messages and statuses, and what they leave in the directory.
#include "tests/programs/scrambler_files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace scramble_model;
using testing_support::from_hex;
namespace fs = std::filesystem;

// The output `program` writes from `input`, run in a directory of its own.
Bytes output_for(const char* program, const char* input_name, const Bytes& input, const char* output_name)
{
    ScratchDir dir;
    dir.write(input_name, input);
    EXPECT_EQ(run_in(dir, program).status, 0);
    return dir.read(output_name);
}

Bytes chkpak_output(const Bytes& input) { return output_for(CHKPAK_PATH, "chkps.lzs", input, "chkps.pak"); }

Bytes appscramble_output(const Bytes& input)
{
    return output_for(APPSCRAMBLE_PATH, "zq_app.bin", input, "zq_app2.bin");
}

// The output `program` writes alone in an empty directory, saying only that
// its input is missing.
Bytes output_without_input(const char* program, const char* input_name, const char* output_name)
{
    ScratchDir dir;
    RunResult result = run_in(dir, program);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "no " + std::string(input_name) + " here: " + output_name + " holds only the built-in image\n");
    EXPECT_EQ(dir.entries(), std::set<std::string>{output_name});
    return dir.read(output_name);
}

// chkps.pak for `input`: the input over the filler, the words it covers
// XORed, then the count and the key in words 0 and 1.
void expect_pak_of(const Bytes& pak, const Bytes& input)
{
    ASSERT_EQ(pak.size(), PAK_SIZE);
    Bytes expected = overlay(input, PAK_SIZE);
    set_word(expected, 0, static_cast<std::uint32_t>((input.size() + 3) / 4));
    set_word(expected, 1, CHK_KEY);
    EXPECT_EQ(unscramble_pak(pak), expected);
}

// zq_app2.bin for `input`: unscrambled, it is the input over the filler
// with word 0 cleared.
void expect_app_of(const Bytes& app, const Bytes& input)
{
    ASSERT_EQ(app.size(), APP_SIZE);
    Bytes expected = overlay(input, APP_SIZE);
    set_word(expected, 0, 0);
    EXPECT_EQ(unscramble_app(app), expected);
}

TEST(Chkpak, ScramblesATenByteInputAsThreeWords)
{
    ScratchDir dir;
    dir.write("chkps.lzs", from_hex("01 00 00 00 2A 00 00 00 C3 5E"));
    RunResult result = run_in(dir, CHKPAK_PATH);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");

    Bytes pak = dir.read("chkps.pak");
    ASSERT_EQ(pak.size(), PAK_SIZE);
    EXPECT_EQ(word(pak, 0), 3u);
    EXPECT_EQ(word(pak, 1), CHK_KEY);
    // Input bytes 8-9, then filler bytes 10-11 (0x0A, 0x0B), XORed whole.
    EXPECT_EQ(word(pak, 2), 0x0B0A5EC3u ^ CHK_KEY);
    Bytes filler = builtin_image(PAK_SIZE);
    EXPECT_TRUE(std::equal(pak.begin() + 12, pak.end(), filler.begin() + 12));
}

TEST(Chkpak, GivesBackTheInputWhenWordsTwoOnAreXoredWithWordOne)
{
    for (std::size_t size : {0, 1, 4, 5, 7, 8, 9, 11, 12, 13, 1000, 3595, 3596, 3597, 3599}) {
        SCOPED_TRACE(size);
        Bytes input = input_bytes(size);
        expect_pak_of(chkpak_output(input), input);
    }
}

TEST(Chkpak, TakesAllNineHundredWordsOfAnInputThatFillsTheImage)
{
    Bytes input = input_bytes(PAK_SIZE);
    Bytes pak = chkpak_output(input);
    EXPECT_EQ(word(pak, 0), 900u);
    expect_pak_of(pak, input);
}

TEST(Chkpak, WritesTheFillerBehindACountOfZeroWhenChkpsLzsIsMissing)
{
    Bytes expected = builtin_image(PAK_SIZE);
    set_word(expected, 0, 0);
    set_word(expected, 1, CHK_KEY);
    EXPECT_EQ(output_without_input(CHKPAK_PATH, "chkps.lzs", "chkps.pak"), expected);
}

TEST(Appscramble, ScramblesTheFillerBehindAFourByteInput)
{
    ScratchDir dir;
    dir.write("zq_app.bin", from_hex("10 20 30 40"));
    RunResult result = run_in(dir, APPSCRAMBLE_PATH);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out + result.err, "");

    Bytes app = dir.read("zq_app2.bin");
    ASSERT_EQ(app.size(), APP_SIZE);
    EXPECT_EQ(word(app, 0), 0u);
    EXPECT_EQ(word(app, 1), 0x07060504u ^ APP_KEY_A);
    EXPECT_EQ(word(app, 2), 0x0B0A0908u ^ APP_KEY_B);
    EXPECT_EQ(word(app, 1505), 0xFAF9F8F7u ^ APP_KEY_A);  // bytes 6020-6023
    EXPECT_EQ(word(app, 1506), 0x03020100u ^ APP_KEY_B);  // bytes 6024-6027
    Bytes filler = builtin_image(APP_SIZE);
    EXPECT_TRUE(std::equal(app.begin() + 6028, app.end(), filler.begin() + 6028));
    expect_app_of(app, from_hex("10 20 30 40"));
}

TEST(Appscramble, GivesBackTheInputWhenTheKeyPatternIsAppliedAgain)
{
    for (std::size_t size : {5, 100, 6024, 6027, 6028, 6029, 50000, 204799, 204800}) {
        SCOPED_TRACE(size);
        Bytes input = input_bytes(size);
        expect_app_of(appscramble_output(input), input);
    }
}

TEST(Appscramble, WritesTheFillerWithWordZeroClearedWhenZqAppBinIsMissing)
{
    Bytes expected = builtin_image(APP_SIZE);
    set_word(expected, 0, 0);
    EXPECT_EQ(output_without_input(APPSCRAMBLE_PATH, "zq_app.bin", "zq_app2.bin"), expected);
}

TEST_P(ScramblerFiles, CannotCreateAnOutputWhoseNameIsADirectory)
{
    dir_.write(tool().input, input_bytes(20));
    fs::create_directory(dir_ / tool().output);
    expect_cant_create(run_in(dir_, tool().path));
    EXPECT_TRUE(fs::is_empty(dir_ / tool().output));
    EXPECT_EQ(dir_.entries(), (std::set<std::string>{tool().input, tool().output}));
}

TEST_P(ScramblerFiles, RefusesAnInputLongerThanTheImageAndKeepsTheEarlierOutput)
{
    Bytes earlier = earlier_output();
    dir_.write(tool().input, input_bytes(tool().image_size + 1));
    RunResult result = run_in(dir_, tool().path);
    EXPECT_EQ(result.status, 5);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Can't scramble " + std::string(tool().input) + ": " +
                              std::to_string(tool().image_size + 1) + " bytes, 1 more than the " +
                              std::to_string(tool().image_size) + "-byte image!\n" +
                              (std::string(tool().name) == "chkpak" ? "lzspack" : "apppack") +
                              " --best may write a smaller stream.\n");
    EXPECT_EQ(dir_.read(tool().output), earlier);
}

TEST_P(ScramblerFiles, PrintsHowMuchOfTheImageTheInputTakesWithV)
{
    dir_.write(tool().input, input_bytes(20));
    RunResult result = testing_support::run_program(tool().path, {"-v"}, dir_.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, std::string(tool().output) + ": " + tool().input + " 20 of " +
                              std::to_string(tool().image_size) + " bytes, " +
                              std::to_string(tool().image_size - 20) + " free\n");
}

TEST_P(ScramblerFiles, WarnsThatItTakesNoFileNamesAndWritesTheSameImage)
{
    Bytes plain = earlier_output();
    RunResult result = testing_support::run_program(tool().path, {"data.lzs"}, dir_.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, std::string(tool().name) + " takes no file names: it reads " + tool().input +
                              " in the current directory\n");
    EXPECT_EQ(dir_.read(tool().output), plain);
}

// A directory is an input that cannot be opened (status 2), as for every
// other program; it once was one that could not be read (5).
TEST_P(ScramblerFiles, StopsWithoutOutputWhenTheInputIsADirectory)
{
    fs::create_directory(dir_ / tool().input);
    RunResult result = run_in(dir_, tool().path);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "Can't open file: " + std::string(tool().input) + "!\n");
    EXPECT_EQ(dir_.entries(), std::set<std::string>{tool().input});
}

INSTANTIATE_TEST_SUITE_P(BothTools, ScramblerFiles, both_scramblers(), scrambler_name);

}  // namespace
