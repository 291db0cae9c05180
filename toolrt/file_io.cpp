#include "file_io.h"

#include "exit_status.h"
#include "fail.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace toolrt {

std::int64_t file_length(std::FILE* stream)
{
    off_t start = ftello(stream);
    if (start < 0)
        return -1;
    if (fseeko(stream, 0, SEEK_END) != 0)
        return -1;
    off_t end = ftello(stream);
    if (fseeko(stream, start, SEEK_SET) != 0)
        return -1;
    return end;
}

std::FILE* open_input(const char* path)
{
    std::FILE* stream = std::fopen(path, "rb");
    if (stream == nullptr)
        fail(EXIT_OPEN, MSG_CANT_OPEN_FILE, path);
    struct stat info;
    if (fstat(fileno(stream), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(stream);
        fail(EXIT_OPEN, MSG_CANT_OPEN_FILE, path);
    }
    return stream;
}

std::uint32_t packable_length(std::FILE* input, const char* path)
{
    std::int64_t length = file_length(input);
    if (length < 0)
        fail(EXIT_OPEN, MSG_CANT_OPEN_FILE, path);
    if (length > MAX_INPUT_SIZE)
        fail(EXIT_DATA, MSG_INPUT_TOO_LARGE, path);
    return static_cast<std::uint32_t>(length);
}

void refuse_output_over_input(const char* input, const char* output)
{
    std::error_code error;  // an output that does not exist yet is no threat
    if (std::filesystem::equivalent(input, output, error))
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
