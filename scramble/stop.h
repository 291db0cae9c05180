// The one way a scrambler stops on an error.
#pragma once

namespace scramble {

// Prints the formatted message on stderr and ends the process with `status`.
[[noreturn]] void stop(int status, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace scramble
