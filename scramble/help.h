// The start and end of a scrambler's run, and its --help and --version: the
// scramblers link nothing of the packers' runtime and so keep this small
// piece of their own.
//
// The scramblers ignore their arguments. Only `--help` or `--version` as the
// one and only argument is answered, without touching any file; any other
// arguments are still ignored and the scrambler runs as it always has.
#pragma once

#include <string>
#include <vector>

namespace scramble {

// Prepares the process (see platform::start_program) and returns its
// arguments; from here on a failed allocation ends the run with EXIT_MEMORY
// and MSG_NO_MEMORY, never an abort.
std::vector<std::string> start_scrambler(int argc, char** argv);

// Ends the run with `status`, or with EXIT_DATA and MSG_CANT_WRITE_STDOUT on
// stderr if what it printed on stdout was lost.
[[noreturn]] void finish_scrambler(int status);

// If the command line is exactly `program --help`, prints "Usage: <program
// as invoked>" and `summary` on stdout; if it is exactly `program
// --version`, prints "`name` <version>". Either way it then ends the run
// through finish_scrambler(EXIT_OK). Otherwise it returns and changes nothing.
void answer_help_or_version(const std::vector<std::string>& args, const char* name, const char* summary);

}  // namespace scramble
