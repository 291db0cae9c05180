// The temporary output through which every file of a packing tool is written.
//
// An output is never written in place. It goes to a new file in the
// directory of its final name (nameless where the system allows it), which
// once complete and on the disk is given the final name in one step. A reader
// of the final name therefore sees the old file or the whole new one, never a
// mixture and never nothing. Until the commit the file is pending: an exit of
// any kind (fail, a return from main, SIGINT, SIGTERM, SIGHUP) removes it.
// apppack's two outputs are pending together and committed together, so an
// interrupted or failed run leaves the old pair or the new one.
//
// The one exception is a final name that is or leads to a device, a FIFO or
// the process's standard output (/dev/null, /dev/stdout): that is written
// into directly, as the user asked. A symbolic link is followed, never
// replaced (see platform/output_file.h).
#pragma once

#include "platform/output_file.h"

#include <cstdio>
#include <string>

namespace toolrt {

// Creates the temporary file beside `final_name` and returns its stream, open
// for binary writing. Its permission bits are those of `mode_from` (the
// input) within the umask, or 0666 within the umask without it. Fails with
// EXIT_OPEN if it cannot be created.
std::FILE* temp_output_open(const char* final_name, std::FILE* mode_from = nullptr);

// Whether the output begun last is written in place (nothing to read back).
bool temp_output_in_place();

// Syncs every pending file and gives each the final name given to
// temp_output_open, together, replacing a file of that name only if
// `replace` allows. Data that never reached the disk, or a name that cannot
// be given, remove the files and fail with EXIT_DATA; an existing file that
// may not be replaced, with EXIT_USAGE. Returns the stream of the output
// begun last at its start, for the caller to read back and close (the others
// are closed); nullptr (nothing to read back) when that output was written
// in place.
std::FILE* temp_output_commit(platform::Replace replace = platform::Replace::ALLOWED);

// The same two steps for a program that reports their failures in its own
// words (the scramblers): they return what happened instead of failing.
// temp_output_open and temp_output_commit are these, with the packers'
// messages and statuses.

// Begins an output as temp_output_open does; nullptr, with `error` set
// (NAME_TOO_LONG or CANT_CREATE), if it cannot be created.
std::FILE* temp_output_begin(const char* final_name, std::FILE* mode_from, platform::OutputError& error);

struct CommitResult {
    platform::OutputError error = platform::OutputError::NONE;
    int cause = 0;                // CANT_WRITE: the system's reason, as an errno value
    std::string failed_name;      // the final name of the output that failed
    std::FILE* stream = nullptr;  // NONE: what temp_output_commit returns
};

// Commits every pending output as temp_output_commit does. On failure the
// files are removed and every stream is closed.
CommitResult temp_output_finish(platform::Replace replace = platform::Replace::ALLOWED);

// Removes every pending temporary file. Runs at exit on its own; public
// for the tests.
void temp_output_cleanup();

}  // namespace toolrt
