// A scrambler's files: its optional input and its whole-image output.
//
// The input is laid over the start of the image. A missing input is not an
// error: the image keeps its built-in content. Any other trouble with it is,
// and ends the run before the output is touched: an input that exists but
// cannot be opened or read, and one longer than the image, which would be cut
// and reach the loader without the end mark of its token stream. An input
// that is not a regular file (a directory, a FIFO, a device) is refused at
// once with EXIT_OPEN, without waiting for a writer; a name that exists but leads nowhere (a dangling
// link) is an input that cannot be opened, not a missing one.
//
// The output never appears half-written. It goes through the temporary
// output every program uses (a new file beside its final name, named once
// written and on the disk), so a full disk, an interruption or any other
// failure leaves the previous output as it was and no temporary file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>

namespace scramble {

// A scrambler's input once read: its length, or nothing if no file of that
// name exists, and the file itself, still open, whose permission bits the
// output takes.
struct ImageInput {
    std::optional<std::size_t> length;
    std::FILE* stream = nullptr;
};

// Reads the file `name` into the start of `image`. Ends the process with
// EXIT_OPEN if the file exists but cannot be opened or is not a regular file,
// and with EXIT_DATA if it cannot be read or is longer than the image.
ImageInput read_optional_input(const char* name, std::span<std::uint8_t> image);

// Writes the whole image as the file `name`, with the permission bits of
// `mode_from` (the input; nullptr: 0666) within the umask. Returns false if
// the output cannot be created: no file can be made in the directory, or the
// name belongs to something a file cannot replace, such as a directory;
// nothing has changed then. Ends the process with EXIT_DATA if the write
// fails.
bool write_image_file(const char* name, std::span<const std::uint8_t> image, std::FILE* mode_from);

}  // namespace scramble
