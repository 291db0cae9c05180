// The scramblers' own messages. They share the runtime's statuses and its
// messages for what every program reports (an input that cannot be opened,
// memory, lost standard output) and link nothing of the packers or the
// codec. The
// texts are the tools' interface with the build scripts that call them:
// printed exactly as they stand.
//
// Statuses: EXIT_OPEN when an input exists but cannot be opened or
// appscramble's output cannot be created; EXIT_DATA when an input cannot be
// read or does not fit the image, or an output write fails.
#pragma once

#include "toolrt/exit_status.h"

#include <string_view>

namespace scramble {

using toolrt::EXIT_DATA;
using toolrt::EXIT_MEMORY;
using toolrt::EXIT_OK;
using toolrt::EXIT_OPEN;
using toolrt::MSG_CANT_OPEN_FILE;

// chkpak's one message, on stdout. Its status is the count of characters
// printed, as the build scripts have always seen it.
inline constexpr char MSG_CANT_CREATE_PAK[] = "fopen error! : Don't opend chkps.pak file. \n";
inline constexpr int EXIT_CANT_CREATE_PAK = static_cast<int>(std::string_view(MSG_CANT_CREATE_PAK).size());
static_assert(EXIT_CANT_CREATE_PAK == 44);  // NOLINT(readability-magic-numbers): the status scripts see

// --help's first line, with the program's name as invoked: the scramblers
// take no file names.
inline constexpr char MSG_USAGE[] = "Usage: %s [-v]\n";

// On stderr.
inline constexpr char MSG_CANT_READ[] = "Can't read %s: %s!\n";
inline constexpr char MSG_INPUT_TOO_LONG[] = "Can't scramble %s: longer than the %zu-byte image!\n";
inline constexpr char MSG_INPUT_OVERFLOW[] =
    "Can't scramble %s: %zu bytes, %zu more than the %zu-byte image!\n";
// After MSG_INPUT_OVERFLOW, with the packer that wrote the input.
// Only a fresh run can tell how much --best gains (nothing, on data that do
// not compress), so the hint promises nothing.
inline constexpr char MSG_TRY_BEST[] = "%s --best may write a smaller stream.\n";

// Warnings on stderr: the run goes on with its usual status and image.
inline constexpr char MSG_TAKES_NO_NAMES[] = "%s takes no file names: it reads %s in the current directory\n";
inline constexpr char MSG_NO_INPUT[] = "no %s here: %s holds only the built-in image\n";

// On stdout with -v, after writing: output, input, its size, the image's, what is left.
inline constexpr char MSG_HEADROOM[] = "%s: %s %zu of %zu bytes, %zu free\n";
inline constexpr char MSG_CANT_WRITE[] = "Can't write %s: %s!\n";

}  // namespace scramble
