// --help and --version, answered the same way by all five programs.
//
// Either is recognised only as the one and only argument. Every other
// command line keeps the meaning it always had, so no existing invocation
// changes: `lzspack --help x` still packs a file named --help, and a file of
// that name alone is reached as ./--help; the scramblers still ignore any
// other arguments.
#pragma once

#include <string>
#include <vector>

namespace toolrt {

// If the command line (`args`, the program's name first) is exactly
// `program --help`, prints `usage_format` (with the program's name as
// invoked) and `summary` on stdout; if it is exactly `program --version`,
// prints "`name` <version>". Either way it then ends the run through
// finish_run(EXIT_OK). Otherwise it returns and changes nothing.
void answer_help_or_version(const std::vector<std::string>& args, const char* name, const char* usage_format,
                            const char* summary);

// The packers' command line: answers --help and --version as above, ends
// the run with EXIT_USAGE and `usage_format` when no file is named, and
// otherwise returns the first argument, the input file.
const char* input_argument(const std::vector<std::string>& args, const char* name, const char* usage_format,
                           const char* summary);

}  // namespace toolrt
