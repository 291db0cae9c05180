// The one way a packing tool stops on an error.
#pragma once

namespace toolrt {

// Prints the formatted message and then "\n" on stderr, and ends the process
// with exit(status), so that the exit-time cleanups remove a pending
// temporary output and release the verification buffers.
[[noreturn]] void fail(int status, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace toolrt
