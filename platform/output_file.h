// The one way a program writes a file: beside its final name, named only
// once it is complete and on the disk.
//
// A reader of the final name sees the old file or the whole new one, never a
// mixture and never nothing, even after a crash or a power cut. At most one
// output is pending in a process at a time; the record is process-wide so
// the interruption handler can reach it.
#pragma once

#include <cstdio>

namespace platform {

enum class Replace { ALLOWED, REFUSED };

enum class OutputError {
    NONE,
    CANT_CREATE,  // no file can be made beside the final name
    EXISTS,       // the final name exists and Replace::REFUSED was asked
    CANT_WRITE,   // the data did not reach the disk (errno says why)
    CANT_RENAME,  // the final name could not be replaced (a directory, read-only, held open)
};

// Begins the output `final_name` and returns its stream, open for binary
// reading and writing, or nullptr with `error` set (CANT_CREATE).
// - A device or FIFO of that name (not a regular file or missing) is opened
//   and written in place: no temporary file, no rename; commit only flushes.
// - Otherwise a new file in the final name's directory: nameless until commit
//   where the system allows it (Linux O_TMPFILE, then linkat at commit), else
//   created exclusively under a random name whose length does not grow with
//   the final name.
// - Its permission bits are those of `mode_from` (an open input file;
//   nullptr: 0666) within the umask, so an output is never readable by more
//   people than its input. (Windows: ignored.)
// - From here on, an interruption (SIGINT, SIGTERM, SIGHUP; on Windows
//   Ctrl-C, Ctrl-Break, console close) removes the temporary file and ends
//   the process as interrupted; a signal that was ignored when the program
//   started stays ignored (nohup).
std::FILE* begin_output(const char* final_name, std::FILE* mode_from, OutputError& error);

// Flushes the stream, syncs the data to the disk, gives the file its final
// name in one step (never replacing an existing entry when `replace` is
// REFUSED: EXISTS) and syncs the directory. On success the stream stays
// open, positioned at its start, so the caller reads back the very file it
// committed and then fcloses it. On failure the stream is closed, the
// temporary file is gone and every existing file is as it was.
OutputError commit_output(Replace replace);

// Closes and removes the pending output, if any. Idempotent; also runs at
// exit.
void abandon_output();

}  // namespace platform
