// Messages of the packers' container and its proof, printed through
// toolrt::fail (which adds one more "\n"). The texts are the packers'
// interface with the build scripts that call them.
#pragma once

namespace packing {

// EXIT_MEMORY
inline constexpr char MSG_NO_MEMORY_SRC[] = "Can't allocate memory %d bytes for src!\n";

// EXIT_DATA
inline constexpr char MSG_CANT_READ_INPUT[] = "Can't read file: %s!\n";
// The input's length is not the one it had when the run started: something
// wrote it meanwhile.
inline constexpr char MSG_INPUT_CHANGED[] = "Can't pack %s: it changed during the run!\n";
inline constexpr char MSG_DECODE_SIZE[] = "Can't decode correctly!\n\torg_size = %d, decode_size = %d\n";
inline constexpr char MSG_DECODE_MISMATCH[] = "Can't decode correctly!\n";
// A match the format cannot hold: never from the encoders.
inline constexpr char MSG_ENCODE_ERROR[] = "Encode Error!!\n  len = %d off = %d\n";

}  // namespace packing
