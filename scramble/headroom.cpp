#include "scramble/headroom.h"

#include "scramble/messages.h"
#include "toolrt/fail.h"
#include "toolrt/format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace scramble {
namespace {

const ScramblerFiles* files_reading(const char* name)
{
    for (const ScramblerFiles* files : {&CHKPAK_FILES, &APPSCRAMBLE_FILES})
        if (std::strcmp(files->input, name) == 0)
            return files;
    return nullptr;
}

}  // namespace

bool read_arguments(const std::vector<std::string>& args, const ScramblerFiles& files)
{
    bool verbose = false;
    bool ignored = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-v")
            verbose = true;
        else if (args[i] != "--help" && args[i] != "--version")
            ignored = true;
    }
    if (ignored)
        std::fprintf(stderr, MSG_TAKES_NO_NAMES, files.program, files.input);
    return verbose;
}

void warn_missing_input(const ScramblerFiles& files)
{
    std::fprintf(stderr, MSG_NO_INPUT, files.input, files.output);
}

void report_headroom(const ScramblerFiles& files, std::size_t input_length)
{
    std::printf(MSG_HEADROOM, files.output, files.input, input_length, files.image_size,
                files.image_size - input_length);
}

void refuse_overlong_input(const char* name, std::size_t length, std::size_t image_size)
{
    // A file that grew between the open and the read has no size to name.
    if (length <= image_size)
        toolrt::fail(EXIT_DATA, MSG_INPUT_TOO_LONG, name, image_size);
    // The packer's --best may shrink it enough; only a fresh run can tell,
    // since the scramblers know nothing of the token stream.
    std::string hint;
    if (const ScramblerFiles* files = files_reading(name))
        hint = toolrt::format_text(MSG_TRY_BEST, files->packer);
    toolrt::fail(
        EXIT_DATA, "%s%s",
        toolrt::format_text(MSG_INPUT_OVERFLOW, name, length, length - image_size, image_size).c_str(),
        hint.c_str());
}

}  // namespace scramble
