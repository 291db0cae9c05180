// Process start on POSIX: the arguments are already bytes (taken as UTF-8),
// and two signals that would end the run without a word are ignored.
#include "platform/program.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

// A standard stream closed at start would be the first descriptor a later
// open gets, and the program's messages would land in that file. Standard
// output goes to the null device opened read-only, so a write to it fails
// and is reported rather than swallowed.
void fill_closed_standard_streams()
{
    const int modes[] = {O_RDONLY, O_RDONLY, O_WRONLY};
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        int opened = open("/dev/null", modes[fd]);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

}  // namespace

std::vector<std::string> start_program(int argc, char** argv)
{
    fill_closed_standard_streams();
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    return std::vector<std::string>(argv, argv + argc);
}

bool standard_error_is_terminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace platform
