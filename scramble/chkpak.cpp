// chkpak: scrambles chkps.lzs into chkps.pak, the loader's 3600-byte image.
//
// chkps.pak, in 32-bit little-endian words:
//   word 0          n, the words taken from chkps.lzs: its length rounded
//                   up to a whole word, over 4
//   word 1          CHK_KEY
//   words 2..n-1    words 2..n-1 of chkps.lzs, each XORed with CHK_KEY
//   words n..899    the built-in image
// Words 0 and 1 of chkps.lzs (its format word and original length) give way
// to n and the key: the token stream behind them ends with its own end mark,
// so the loader needs neither. A partial last word is XORed whole, built-in
// bytes included. Without chkps.lzs no words are taken: word 0 is 0 and the
// rest is the built-in image behind the key.
//
// Arguments are ignored (but --help or --version alone). Its one message, when chkps.pak cannot be created,
// goes to stdout.
#include "scramble/image.h"
#include "scramble/image_file.h"
#include "scramble/messages.h"
#include "scramble/patterns.h"
#include "toolrt/help.h"
#include "toolrt/run.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace {

using namespace scramble;

constexpr char INPUT_NAME[] = "chkps.lzs";
constexpr char OUTPUT_NAME[] = "chkps.pak";

// --help, after the usage line.
constexpr char HELP_SUMMARY[] =
    "Scrambles chkps.lzs into chkps.pak, 3600 bytes, in the current directory:\n"
    "the word count and the key, then the words of chkps.lzs from word 2 on,\n"
    "XORed with the key, then the built-in image. Arguments are ignored.\n"
    "See chkpak(1).\n";

std::uint8_t g_image[PAK_IMAGE_SIZE];

// Lays chkps.lzs over the image and scrambles its words; returns their count.
std::uint32_t scramble_input(std::span<std::uint8_t> image, const ImageInput& input)
{
    if (!input.length)
        return 0;
    std::size_t words = (*input.length + 3) / 4;
    xor_pak_words(image, 0, words);
    return static_cast<std::uint32_t>(words);
}

void write_header(std::span<std::uint8_t> image, std::uint32_t words)
{
    set_word(image, PAK_KEY_WORD, CHK_KEY);
    set_word(image, PAK_COUNT_WORD, words);
}

int write_output(std::span<const std::uint8_t> image, const ImageInput& input)
{
    if (write_image_file(OUTPUT_NAME, image, input.stream))
        return EXIT_OK;
    std::fputs(MSG_CANT_CREATE_PAK, stdout);
    return EXIT_CANT_CREATE_PAK;
}

}  // namespace

int main(int argc, char** argv)
{
    toolrt::answer_help_or_version(toolrt::start_run(argc, argv, toolrt::MessageEnd::AS_WRITTEN), "chkpak",
                                   MSG_USAGE, HELP_SUMMARY);
    std::span<std::uint8_t> image(g_image);
    fill_builtin_image(image);
    ImageInput input = read_optional_input(INPUT_NAME, image);
    std::uint32_t words = scramble_input(image, input);
    write_header(image, words);
    toolrt::finish_run(write_output(image, input));
}
