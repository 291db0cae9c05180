// Reading a scrambler's optional input and writing its image through a
// temporary file (see image_file.h for the rules both follow).
#include "scramble/image_file.h"

#include "scramble/headroom.h"
#include "scramble/messages.h"
#include "scramble/stop.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace scramble {
namespace {

// The suffix mkstemp replaces with random characters.
constexpr char TEMP_SUFFIX[] = ".XXXXXX";

// Holds off the signals that would end the process while a temporary file
// exists; one that arrives meanwhile is delivered when the block ends.
class InterruptBlock {
public:
    InterruptBlock()
    {
        sigset_t set;
        sigemptyset(&set);
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&set, signal);
        sigprocmask(SIG_BLOCK, &set, &saved_);
    }
    ~InterruptBlock() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    InterruptBlock(const InterruptBlock&) = delete;
    InterruptBlock& operator=(const InterruptBlock&) = delete;

private:
    sigset_t saved_;
};

// The mode "wb" would have created the file with; mkstemp's is 0600.
mode_t default_file_mode()
{
    mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

// Writes all of `bytes`, resuming after interrupted or partial writes.
// Returns 0, or the errno of the failure.
int write_all(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return 0;
}

// Removes the temporary file and ends the run with the write's error.
[[noreturn]] void stop_write(const std::string& temp_name, const char* name, int error)
{
    unlink(temp_name.c_str());
    stop(EXIT_DATA, MSG_CANT_WRITE, name, std::strerror(error));
}

}  // namespace

std::optional<std::size_t> read_optional_input(const char* name, std::span<std::uint8_t> image)
{
    std::FILE* input = std::fopen(name, "rb");
    if (input == nullptr) {
        if (errno == ENOENT)
            return std::nullopt;
        stop(EXIT_OPEN, MSG_CANT_OPEN_FILE, name);
    }
    std::size_t length = std::fread(image.data(), 1, image.size(), input);
    // A byte beyond the image means the input would be cut.
    unsigned char beyond;
    bool too_long = length == image.size() && std::fread(&beyond, 1, 1, input) == 1;
    int error = std::ferror(input) ? (errno != 0 ? errno : EIO) : 0;
    std::fclose(input);
    if (error != 0)
        stop(EXIT_DATA, MSG_CANT_READ, name, std::strerror(error));
    if (too_long)
        refuse_overlong_input(name, image.size());
    return length;
}

bool write_image_file(const char* name, std::span<const std::uint8_t> image)
{
    InterruptBlock block;
    // A write past the file size limit raises SIGXFSZ, whose default action
    // would end the run mid-write and strand the temporary file. Ignored, it
    // leaves a failed write (EFBIG), reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    std::string temp_name = std::string(name) + TEMP_SUFFIX;
    int fd = mkstemp(temp_name.data());
    if (fd < 0)
        return false;
    fchmod(fd, default_file_mode());
    if (int error = write_all(fd, image); error != 0) {
        close(fd);
        stop_write(temp_name, name, error);
    }
    if (close(fd) != 0)
        stop_write(temp_name, name, errno);
    if (std::rename(temp_name.c_str(), name) != 0) {
        unlink(temp_name.c_str());
        return false;
    }
    return true;
}

}  // namespace scramble
