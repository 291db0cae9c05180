// The one way a program writes a file: beside its final name, named only
// once it is complete and on the disk.
//
// A reader of the final name sees the old file or the whole new one, never a
// mixture and never nothing, even after a crash or a power cut. Up to
// MAX_PENDING_OUTPUTS outputs may be pending at once (apppack's pair); they
// are committed together. The record is process-wide so the interruption
// handler can reach it.
#pragma once

#include <cstdio>

namespace platform {

enum class Replace { ALLOWED, REFUSED };

// apppack writes two files that must change together.
inline constexpr int MAX_PENDING_OUTPUTS = 2;

enum class OutputError {
    NONE,
    CANT_CREATE,    // no file can be made beside the final name
    NAME_TOO_LONG,  // the system refuses the final name (or a link's target) as too long
    EXISTS,         // the final name exists and Replace::REFUSED was asked
    CANT_WRITE,     // the data did not reach the disk (errno says why)
    CANT_RENAME,    // the final name could not be replaced (a directory, read-only, held open)
};

// Whether an output named `final_name` would be written in place: the name
// is, or leads to, the process's own standard output (whatever file that
// is), or a device or a FIFO.
bool written_in_place(const char* final_name);

// Whether `name` is, or leads to, the file the process's standard output is.
bool is_standard_output(const char* name);

// Begins the output `final_name` and returns its stream, open for binary
// reading and writing, or nullptr with `error` set (NAME_TOO_LONG, else
// CANT_CREATE; also when MAX_PENDING_OUTPUTS are pending already).
// - Written in place (see written_in_place): no temporary file, no rename;
//   commit only flushes. Standard output is written through a duplicate of
//   its own descriptor, at its own position.
// - A symbolic link is followed, never replaced: the output replaces what
//   the link leads to (or creates it, if the link leads nowhere), in that
//   file's own directory, and the link stays as it was.
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

// Commits every pending output, in the order they were begun: flushes each
// stream and syncs its data to the disk, then gives each file its final name
// in one step (never replacing an existing entry when `replace` is REFUSED:
// EXISTS) and syncs the directories. Between the first name given and the
// last, interruptions are held off, so a run stopped by one leaves all the
// old files or all the new ones. On success the streams stay open,
// positioned at their start, so the caller reads back the very files it
// committed and then fcloses them. On failure the streams are closed, the
// temporary files are gone and, unless a name was given already, every
// existing file is as it was (the names are checked first: a directory in
// the way fails before any is given). `failed`, if given, is set to the
// index (in the order begun) of the output that failed.
OutputError commit_output(Replace replace, int* failed = nullptr);

// Closes and removes every pending output. Idempotent; also runs at exit.
void abandon_output();

}  // namespace platform
