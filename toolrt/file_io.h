// Small helpers for the packers' inputs and fixed-size fields.
#pragma once

#include <cstdint>
#include <cstdio>

namespace toolrt {

// Containers store sizes as 32-bit signed words, so no input may reach 2 GiB.
inline constexpr std::int64_t MAX_INPUT_SIZE = INT32_MAX;

// Length of the file behind `stream`, or -1 if it has none that can be
// found (a pipe, a terminal). The stream's position is the same afterwards.
// For a stream opened by open_input, its `length` already says.
std::int64_t file_length(std::FILE* stream);

// An input as open_input opened it: the stream, and the file's length as the
// system gave it at the open, learned once.
struct OpenedInput {
    std::FILE* stream = nullptr;
    std::int64_t length = 0;
};

// Opens `path` for binary reading. Anything but a regular file fails at once
// with EXIT_OPEN and MSG_CANT_OPEN_FILE: a directory, a device, or a FIFO
// that would otherwise hold the open until a writer came.
OpenedInput open_input(const char* path);

// The length of an opened input, refused with EXIT_DATA if a 32-bit
// container cannot hold it.
std::uint32_t packable_length(const OpenedInput& input, const char* path);

// Ends the run with EXIT_USAGE if writing `output` would overwrite `input`:
// the same name, or the same file under another name or through a link.
void refuse_output_over_input(const char* input, const char* output);

// 32-bit little-endian words, the unit of every header field.
void write_le32(std::FILE* stream, std::uint32_t value);
std::uint32_t read_le32(std::FILE* stream);

}  // namespace toolrt
