// Inputs and file kinds on POSIX. An input is opened with O_NONBLOCK, so a
// FIFO without a writer cannot hold the open, and then checked through its
// descriptor, so what is checked is what is read.
#include "platform/files.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

InputFile open_input_file(const char* name)
{
    InputFile input;
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        struct stat entry;
        bool no_entry = errno == ENOENT && lstat(name, &entry) != 0 && errno == ENOENT;
        input.result = no_entry ? OpenResult::MISSING : OpenResult::FAILED;
        return input;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        input.result = OpenResult::NOT_REGULAR;
        return input;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    input.stream = fdopen(fd, "rb");
    if (input.stream == nullptr) {
        close(fd);
        return input;
    }
    input.result = OpenResult::OPENED;
    input.size = static_cast<std::int64_t>(info.st_size);
    return input;
}

std::int64_t file_size(std::FILE* stream)
{
    // Through the stream, so that bytes still in its buffer count.
    std::int64_t start = file_position(stream);
    if (start < 0 || fseeko(stream, 0, SEEK_END) != 0)
        return -1;
    std::int64_t end = file_position(stream);
    if (!seek_file(stream, start))
        return -1;
    return end;
}

std::int64_t file_position(std::FILE* stream) { return static_cast<std::int64_t>(ftello(stream)); }

bool seek_file(std::FILE* stream, std::int64_t offset)
{
    return fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool same_file(const char* a, const char* b)
{
    struct stat first;
    struct stat second;
    return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

FileKind file_kind(const char* name)
{
    struct stat info;
    if (stat(name, &info) != 0)
        return FileKind::NONE;
    if (S_ISREG(info.st_mode))
        return FileKind::REGULAR;
    if (S_ISDIR(info.st_mode))
        return FileKind::DIRECTORY;
    return FileKind::SPECIAL;
}

bool name_exists(const char* name)
{
    struct stat info;
    return lstat(name, &info) == 0;
}

bool same_name(std::string_view a, std::string_view b) { return a == b; }

}  // namespace platform
