// How every program starts and ends its run.
#pragma once

#include "fail.h"

#include <string>
#include <vector>

namespace toolrt {

// Prepares the process (see platform::start_program), sets how the
// program's messages end, and returns its arguments, the program's name
// first. From here on, memory that cannot be allocated anywhere ends the run
// with EXIT_MEMORY and MSG_NO_MEMORY instead of an abort.
std::vector<std::string> start_run(int argc, char** argv, MessageEnd end = MessageEnd::EMPTY_LINE_AFTER);

// Ends the run with `status` once what it printed on standard output is
// written. A write or close of standard output that failed (a full disk, a
// closed pipe or descriptor) is reported on stderr with MSG_CANT_WRITE_STDOUT
// and EXIT_DATA, whatever the status was: lost output is never a success.
[[noreturn]] void finish_run(int status);

}  // namespace toolrt
