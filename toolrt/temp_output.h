// The temporary output through which every file of a packing tool is written.
//
// An output is never written in place. It goes to a fresh file created
// exclusively, under an unpredictable name, in the directory of its final
// name; once complete it is renamed onto the final name in one step. A reader
// of the final name therefore sees the old file or the whole new one, never
// a mixture and never nothing. Until the commit the temporary file is pending:
// an exit of any kind (fail, a return from main, SIGINT, SIGTERM, SIGHUP)
// removes it. At most one output is pending at a time.
#pragma once

#include <cstdio>

namespace toolrt {

// Creates the temporary file beside `final_name` and returns its stream, open
// for binary writing. Fails with EXIT_OPEN if it cannot be created.
std::FILE* temp_output_open(const char* final_name);

// Closes the pending stream and renames the file onto the final name given
// to temp_output_open, replacing any file of that name. A failed close (data
// that never reached the disk) or rename removes the temporary file and fails
// with EXIT_DATA. Afterwards nothing is pending.
void temp_output_commit();

// Removes the pending temporary file, if any. Runs at exit on its own; public
// for the tests.
void temp_output_cleanup();

}  // namespace toolrt
