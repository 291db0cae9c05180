// --help and --version, answered the same way by all five programs.
//
// Either is recognised only as the one and only argument, so `lzspack
// --help x` still packs a file named --help, and a file of that name alone is
// reached as ./--help. The packers' one option, --best, follows the same
// rule (packer_command); the scramblers ignore any other arguments, with a
// warning.
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

struct PackerCommand {
    const char* infile;
    bool smallest;        // --best: the smallest stream instead of the standard one
    std::size_t ignored;  // index of the first argument after infile (args.size() if none)
};

// input_argument with the packers' one option. `--best` counts only as the
// first argument and only when a file name follows it, so `lzspack --best`
// alone still packs a file of that name; `--` there (first, or after
// --best) ends the options when a file name follows it. --help prints
// `help_usage` (which shows the options) where a wrong command line gets
// `usage_format`.
PackerCommand packer_command(const std::vector<std::string>& args, const char* name, const char* usage_format,
                             const char* help_usage, const char* summary);

}  // namespace toolrt
