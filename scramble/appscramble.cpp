// appscramble: scrambles zq_app.bin into zq_app2.bin, the loader's
// 204800-byte application image.
//
// zq_app.bin is laid over the built-in image from byte 0. Then words 1 to
// 1506 (bytes 4 to 6027) are XORed with two alternating keys, APP_KEY_A on
// the odd words and APP_KEY_B on the even ones; this span is fixed, so where
// the input is shorter it scrambles built-in bytes too. Everything from byte
// 6028 on is copied unchanged. Word 0, the body length in zq_app.bin, is
// cleared. Without zq_app.bin the output is the built-in image with word 0
// cleared and nothing XORed.
//
// It takes no file names. -v prints how much of the image zq_app.bin takes;
// any other argument (but --help or --version alone, which are answered) is
// ignored with a warning, as is a missing zq_app.bin: the image and the
// status stay what they always were.
#include "liblzs/images.h"
#include "scramble/headroom.h"
#include "scramble/image.h"
#include "scramble/image_file.h"
#include "scramble/messages.h"
#include "scramble/patterns.h"
#include "toolrt/fail.h"
#include "toolrt/help.h"
#include "toolrt/run.h"

#include <cstdint>
#include <optional>

namespace {

using namespace scramble;

constexpr const char* INPUT_NAME = APPSCRAMBLE_FILES.input;
constexpr const char* OUTPUT_NAME = APPSCRAMBLE_FILES.output;

// --help, after the usage line.
constexpr char HELP_SUMMARY[] = "Scrambles zq_app.bin into zq_app2.bin, 204800 bytes, in the current\n"
                                "directory: word 0 cleared, bytes 4 to 6027 XORed with two alternating\n"
                                "keys, the rest copied; the built-in image fills what zq_app.bin does not.\n"
                                "Takes no file names; -v prints how much of the image zq_app.bin takes.\n"
                                "See appscramble(1).\n";

std::uint8_t g_image[APP_IMAGE_SIZE];

void write_output(std::span<const std::uint8_t> image, const ImageInput& input)
{
    if (!write_image_file(OUTPUT_NAME, image, input.stream))
        toolrt::fail(EXIT_OPEN, MSG_CANT_OPEN_FILE, OUTPUT_NAME);
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args = toolrt::start_run(argc, argv, toolrt::MessageEnd::AS_WRITTEN);
    toolrt::answer_help_or_version(args, "appscramble", MSG_USAGE, HELP_SUMMARY);
    bool verbose = read_arguments(args, APPSCRAMBLE_FILES);
    std::span<std::uint8_t> image(g_image);
    fill_builtin_image(image);
    ImageInput input = read_optional_input(INPUT_NAME, image);
    if (!input.length)
        warn_missing_input(APPSCRAMBLE_FILES);
    liblzs::finish_app_image(image, input.length);
    write_output(image, input);
    if (verbose && input.length)
        report_headroom(APPSCRAMBLE_FILES, *input.length);
    toolrt::finish_run(EXIT_OK);
}
