// What a program asks of the system before it does anything else.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Prepares the process and returns its arguments as UTF-8, the program's
// name first. On Windows the arguments come from the UTF-16 command line and
// the console prints UTF-8. Everywhere SIGPIPE (where it exists) is ignored,
// so a closed standard output is a failed write, not a kill; SIGXFSZ
// likewise, so a write past the file size limit fails like a full disk.
// A standard stream that is closed at start is opened on the null device,
// standard output read-only: no file the program opens can take its place,
// and what the program prints fails to write instead of being lost quietly.
std::vector<std::string> start_program(int argc, char** argv);

// Whether standard error is a terminal (a console on Windows), where a
// progress line that is rewritten in place can be shown; never a pipe or a
// file, whose readers would keep every version of it.
bool standard_error_is_terminal();

}  // namespace platform
