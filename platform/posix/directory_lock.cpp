// The current directory's write lock on POSIX: flock on the directory
// itself, so no lock file is left behind and the kernel drops the lock with
// the process however it ends.
#include "platform/directory_lock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

bool lock_current_directory()
{
    // Kept open for the rest of the run: closing it would drop the lock.
    static int held = -1;
    if (held >= 0)
        return true;
    int fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int locked;
    while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) { }
    if (locked != 0) {
        close(fd);
        return false;
    }
    held = fd;
    return true;
}

}  // namespace platform
