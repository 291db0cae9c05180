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
// It takes no file names. -v prints how much of the image chkps.lzs takes;
// any other argument (but --help or --version alone, which are answered) is
// ignored with a warning, as is a missing chkps.lzs: the image and the status
// stay what they always were. Its one error message, when chkps.pak cannot be
// created, goes to stdout.
#include "liblzs/images.h"
#include "scramble/headroom.h"
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

constexpr const char* INPUT_NAME = CHKPAK_FILES.input;
constexpr const char* OUTPUT_NAME = CHKPAK_FILES.output;

// --help, after the usage line.
constexpr char HELP_SUMMARY[] = "Scrambles chkps.lzs into chkps.pak, 3600 bytes, in the current directory:\n"
                                "the word count and the key, then the words of chkps.lzs from word 2 on,\n"
                                "XORed with the key, then the built-in image. Takes no file names;\n"
                                "-v prints how much of the image chkps.lzs takes. See chkpak(1).\n";

std::uint8_t g_image[PAK_IMAGE_SIZE];

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
    std::vector<std::string> args = toolrt::start_run(argc, argv, toolrt::MessageEnd::AS_WRITTEN);
    toolrt::answer_help_or_version(args, "chkpak", MSG_USAGE, HELP_SUMMARY);
    bool verbose = read_arguments(args, CHKPAK_FILES);
    std::span<std::uint8_t> image(g_image);
    fill_builtin_image(image);
    ImageInput input = read_optional_input(INPUT_NAME, image);
    if (!input.length)
        warn_missing_input(CHKPAK_FILES);
    liblzs::finish_pak_image(image, input.length);
    int status = write_output(image, input);
    if (status == EXIT_OK && verbose && input.length)
        report_headroom(CHKPAK_FILES, *input.length);
    toolrt::finish_run(status);
}
