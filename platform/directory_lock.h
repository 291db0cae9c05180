// Serialising runs that write the same fixed names in one directory.
#pragma once

namespace platform {

// Waits for, and then holds until the process ends, the exclusive right to
// write the current directory's fixed-name outputs (apppack's app_head.bin
// and zq_app.bin), so two runs in one directory never mix their outputs.
// POSIX: flock on the directory; Windows: a named mutex or a lock on a handle
// to the directory. Returns false if it cannot be taken.
bool lock_current_directory();

}  // namespace platform
