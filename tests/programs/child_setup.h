// Conditions the program tests impose on a child before it runs the
// program under test (RunOptions::child_setup). Each runs after fork, so it
// only makes system calls; a setup that cannot be made ends the child with
// SETUP_FAILED, which a test can tell apart from the program's statuses.
#pragma once

#include <sys/resource.h>

namespace testing_support {

inline constexpr int SETUP_FAILED = 125;

// Root reads unreadable files and writes into read-only directories, so
// under root the program runs without the capabilities that allow it (or,
// where they cannot be dropped, as nobody); otherwise nothing changes.
void run_unprivileged();

// A disk that fills up after `bytes` bytes of any one file, as the program
// sees it: writes past that fail with EFBIG. SIGXFSZ, which the kernel sends
// with that failure, is ignored with `ignore_signal` (as a shell's
// `trap '' XFSZ` leaves it) and has its default, fatal, action otherwise.
void limit_file_size(rlim_t bytes, bool ignore_signal);

// Default dispositions and an empty mask for the signals a test sends, so
// that a runner that ignores or blocks them does not change the outcome.
void restore_signals();

// How standard output reaches the program, as a shell may leave it.
enum class Stdout {
    FULL,         // >/dev/full: every write fails with ENOSPC
    CLOSED,       // >&-
    BROKEN_PIPE,  // a pipe whose reader has gone
};
void set_stdout(Stdout kind);

// A program that would hang ends by SIGALRM after `seconds` instead.
void end_after(unsigned seconds);

}  // namespace testing_support
