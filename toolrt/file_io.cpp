#include "file_io.h"

#include "exit_status.h"
#include "fail.h"

#include "platform/files.h"

namespace toolrt {

std::int64_t file_length(std::FILE* stream) { return platform::file_size(stream); }

OpenedInput open_input(const char* path)
{
    platform::InputFile input = platform::open_input_file(path);
    if (input.result != platform::OpenResult::OPENED)
        fail(EXIT_OPEN, MSG_CANT_OPEN_FILE, path);
    return OpenedInput{input.stream, input.size};
}

std::uint32_t packable_length(const OpenedInput& input, const char* path)
{
    if (input.length > MAX_INPUT_SIZE)
        fail(EXIT_DATA, MSG_INPUT_TOO_LARGE, path);
    return static_cast<std::uint32_t>(input.length);
}

void refuse_output_over_input(const char* input, const char* output)
{
    // An output that does not exist yet is no threat.
    if (platform::same_file(input, output))
        fail(EXIT_USAGE, MSG_OUTPUT_IS_INPUT, output);
}

void write_le32(std::FILE* stream, std::uint32_t value)
{
    unsigned char bytes[4] = {
        static_cast<unsigned char>(value),
        static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16),
        static_cast<unsigned char>(value >> 24),
    };
    std::fwrite(bytes, 1, sizeof bytes, stream);
}

std::uint32_t read_le32(std::FILE* stream)
{
    unsigned char bytes[4] = {};
    if (std::fread(bytes, 1, sizeof bytes, stream) != sizeof bytes)
        return 0;
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace toolrt
