// How full a scrambler's image is, and the warnings that keep a run from
// passing silently for something it is not.
//
// The scramblers take no file names: each reads one fixed input in the
// current directory. They keep their statuses and images whatever the
// command line holds (build scripts rely on both), but now say on stderr
// when an argument is ignored or the input is missing, and with -v print
// how much of the image the input takes. An input too long for the image is
// refused with both sizes and the overflow.
#pragma once

#include "liblzs/chain_files.h"

#include <cstddef>
#include <string>
#include <vector>

namespace scramble {

// What a scrambler reads and writes.
struct ScramblerFiles {
    const char* program;
    const char* input;
    const char* output;
    std::size_t image_size;
    const char* packer;  // the program that writes the input
};

constexpr ScramblerFiles files_of(const liblzs::ImageFile& image)
{
    return {image.scrambler, image.input, image.name, image.size, image.packer};
}

inline constexpr ScramblerFiles CHKPAK_FILES = files_of(liblzs::PAK_IMAGE);
inline constexpr ScramblerFiles APPSCRAMBLE_FILES = files_of(liblzs::APP_IMAGE);

// Reads the arguments (`args`, the program's name first; --help and
// --version alone are answered before this): true for -v. Warns once on stderr if any other argument is
// given.
bool read_arguments(const std::vector<std::string>& args, const ScramblerFiles& files);

// The warning for a missing input, on stderr.
void warn_missing_input(const ScramblerFiles& files);

// With -v, after writing: "chkps.pak: chkps.lzs 2748 of 3600 bytes, 852 free".
void report_headroom(const ScramblerFiles& files, std::size_t input_length);

// Refuses the input `name`, read longer than the `image_size`-byte image:
// names both sizes (`length`, as the system gave it at the open) and the
// overflow and, when it is one of the scramblers' inputs, suggests its
// packer's --best. Ends the run with EXIT_DATA.
[[noreturn]] void refuse_overlong_input(const char* name, std::size_t length, std::size_t image_size);

}  // namespace scramble
