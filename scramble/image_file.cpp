// Reading a scrambler's optional input and writing its image through a
// temporary file (see image_file.h for the rules both follow).
#include "scramble/image_file.h"

#include "scramble/headroom.h"
#include "scramble/messages.h"
#include "toolrt/fail.h"
#include "toolrt/temp_output.h"

#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace scramble {

ImageInput read_optional_input(const char* name, std::span<std::uint8_t> image)
{
    platform::InputFile opened = platform::open_input_file(name);
    switch (opened.result) {
    case platform::OpenResult::OPENED:
        break;
    case platform::OpenResult::MISSING:
        return {};
    case platform::OpenResult::NOT_REGULAR:  // a directory, FIFO or device: as the packers refuse it
    case platform::OpenResult::FAILED:
        toolrt::fail(EXIT_OPEN, MSG_CANT_OPEN_FILE, name);
    }
    std::FILE* input = opened.stream;
    std::size_t length = std::fread(image.data(), 1, image.size(), input);
    // A byte beyond the image means the input would be cut.
    unsigned char beyond;
    bool too_long = length == image.size() && std::fread(&beyond, 1, 1, input) == 1;
    int error = std::ferror(input) ? (errno != 0 ? errno : EIO) : 0;
    if (error != 0)
        toolrt::fail(EXIT_DATA, MSG_CANT_READ, name, std::strerror(error));
    if (too_long)
        refuse_overlong_input(name, static_cast<std::size_t>(opened.size), image.size());
    return {length, input};
}

bool write_image_file(const char* name, std::span<const std::uint8_t> image, std::FILE* mode_from)
{
    platform::OutputError error = platform::OutputError::NONE;
    std::FILE* out = toolrt::temp_output_begin(name, mode_from, error);
    if (out == nullptr)
        return false;
    if (std::fwrite(image.data(), 1, image.size(), out) != image.size()) {
        int cause = errno;
        toolrt::temp_output_cleanup();
        toolrt::fail(EXIT_DATA, MSG_CANT_WRITE, name, std::strerror(cause));
    }
    toolrt::CommitResult committed = toolrt::temp_output_finish(platform::Replace::ALLOWED);
    switch (committed.error) {
    case platform::OutputError::NONE:
        if (committed.stream != nullptr)
            std::fclose(committed.stream);
        return true;
    case platform::OutputError::CANT_WRITE:
        toolrt::fail(EXIT_DATA, MSG_CANT_WRITE, name, std::strerror(committed.cause));
    case platform::OutputError::CANT_CREATE:
    case platform::OutputError::NAME_TOO_LONG:
    case platform::OutputError::EXISTS:
    case platform::OutputError::CANT_RENAME:
        break;
    }
    return false;
}

}  // namespace scramble
