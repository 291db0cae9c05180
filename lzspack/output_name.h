// The name of the .lzs file that lzspack writes for an input.
#pragma once

#include <string>

namespace lzspack {

// The output name's buffer: 1023 characters and the terminator.
inline constexpr std::size_t MAX_OUTPUT_NAME = 1023;

// The input's name with its extension replaced by ".lzs". Both '/' and '\'
// separate directories, and only a '.' after the last separator starts an
// extension: "chkps.dat" gives "chkps.lzs", "dir.v2/data" gives
// "dir.v2/data.lzs", ".cfg" gives ".lzs". Returns false, leaving `out` alone,
// if the result would not fit MAX_OUTPUT_NAME.
bool output_name(const std::string& infile, std::string& out);

}  // namespace lzspack
