// Exit statuses and messages of the two scramblers, in one place.
//
// The scramblers stand apart from the packing tools and link nothing of
// theirs, so they keep their own list. The texts are the tools' interface
// with the build scripts that call them: printed exactly as they stand.
#pragma once

#include <string_view>

namespace scramble {

enum ExitStatus : int {
    EXIT_OK = 0,
    EXIT_OPEN = 2,    // an input exists but cannot be opened; appscramble's output cannot be created
    EXIT_MEMORY = 3,  // memory cannot be allocated
    EXIT_DATA = 5,    // an input cannot be read or does not fit the image; an output write fails
};

// chkpak's one message, on stdout. Its status is the count of characters
// printed, as the build scripts have always seen it.
inline constexpr char MSG_CANT_CREATE_PAK[] = "fopen error! : Don't opend chkps.pak file. \n";
inline constexpr int EXIT_CANT_CREATE_PAK = static_cast<int>(std::string_view(MSG_CANT_CREATE_PAK).size());
static_assert(EXIT_CANT_CREATE_PAK == 44);

// On stderr.
inline constexpr char MSG_CANT_OPEN_FILE[] = "Can't open file: %s!\n";
inline constexpr char MSG_CANT_READ[] = "Can't read %s: %s!\n";
inline constexpr char MSG_INPUT_TOO_LONG[] = "Can't scramble %s: longer than the %zu-byte image!\n";
inline constexpr char MSG_CANT_WRITE[] = "Can't write %s: %s!\n";
inline constexpr char MSG_NO_MEMORY[] = "Can't allocate memory!\n";
inline constexpr char MSG_CANT_WRITE_STDOUT[] = "Can't write to standard output!\n";

}  // namespace scramble
