// The one way a program stops on an error.
#pragma once

namespace toolrt {

// How a program's messages end. The packers and lzsunpack have always
// printed one more "\n" after each message, so that a message ending in a
// newline is followed by an empty line; the scramblers print their messages
// exactly as written. Scripts read both, so each keeps its own.
enum class MessageEnd { EMPTY_LINE_AFTER, AS_WRITTEN };

// Chosen once at the start of the run (see start_run); EMPTY_LINE_AFTER
// until then.
void set_message_end(MessageEnd end);

// Prints the formatted message on stderr, ended as set above, and ends the
// process with exit(status), so that the exit-time cleanup removes a pending
// temporary output. Only the programs end this way: the codec and liblzs
// return their errors.
[[noreturn]] void fail(int status, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace toolrt
