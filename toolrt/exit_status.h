// Exit statuses of every program, and the messages that more than one part
// of the runtime or more than one program prints. A message printed by one
// part alone lives with that part (packing/messages.h, the packers' mains,
// lzsunpack/messages.h, scramble/messages.h).
//
// Every message is a printf format handed to fail(), which adds one more
// "\n" of its own: a message that already ends in a newline is followed by an
// empty line. The texts are the tools' interface with the build scripts that
// call them, so they change only together with those scripts.
#pragma once

namespace toolrt {

enum ExitStatus : int {
    EXIT_OK = 0,
    EXIT_USAGE = 1,   // wrong command line, or an input the tool refuses to touch
    EXIT_OPEN = 2,    // a file cannot be opened or created
    EXIT_MEMORY = 3,  // memory cannot be allocated
    EXIT_DATA = 5,    // data or output error
};

// EXIT_USAGE
inline constexpr char MSG_OUTPUT_IS_INPUT[] = "Can't write %s: it is the input file!\n";
inline constexpr char MSG_OUTPUT_EXISTS[] = "Can't write %s: it exists (-f replaces it)!\n";

// EXIT_OPEN
inline constexpr char MSG_CANT_OPEN_FILE[] = "Can't open file: %s!\n";
inline constexpr char MSG_CANT_OPEN_TEMP[] = "Can't open temporary file!\n";
// The system refuses the name itself: it, or a part of it, is longer than
// the system allows.
inline constexpr char MSG_CANT_LOCK_DIRECTORY[] = "Can't lock the current directory for the outputs!\n";
inline constexpr char MSG_OUTPUT_NAME_TOO_LONG[] = "Can't write %s: the system refuses a name that long!\n";

// EXIT_MEMORY
inline constexpr char MSG_NO_MEMORY_DST[] = "Can't allocate memory %d bytes for dst!\n";
inline constexpr char MSG_NO_MEMORY[] = "Can't allocate memory!\n";

// EXIT_DATA
inline constexpr char MSG_SHORT_WRITE[] = "Can't write correctly size\n";
inline constexpr char MSG_CANT_RENAME[] = "Can't rename temporary file to %s!\n";
inline constexpr char MSG_DECODE_UNDER_RUN[] = "Decode data error! under run.";
inline constexpr char MSG_DECODE_OVER_RUN[] = "Decode data error! over run.";
inline constexpr char MSG_DECODE_TRUNCATED[] = "Decode data error! stream ends without its end mark.";
inline constexpr char MSG_INPUT_TOO_LARGE[] = "Can't pack %s: 2 GiB or more is too large!\n";
inline constexpr char MSG_CANT_WRITE_STDOUT[] = "Can't write to standard output!\n";

}  // namespace toolrt
