// --help and --version for the scramblers, which link nothing of the
// packers' runtime and so keep this small piece of their own.
//
// The scramblers ignore their arguments. Only `--help` or `--version` as the
// one and only argument is answered, without touching any file; any other
// arguments are still ignored and the scrambler runs as it always has.
#pragma once

namespace scramble {

// If the command line is exactly `program --help`, prints "Usage: <program
// as invoked>" and `summary` on stdout; if it is exactly `program
// --version`, prints "`name` <version>". Either way it then ends the process
// with EXIT_OK. Otherwise it returns and changes nothing.
void answer_help_or_version(int argc, char** argv, const char* name, const char* summary);

}  // namespace scramble
