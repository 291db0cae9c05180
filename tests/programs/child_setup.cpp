#include "child_setup.h"

#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace testing_support {
namespace {

constexpr uid_t NOBODY = 65534;

// Takes the capabilities that let root past file permissions out of the
// bounding set, so the program keeps root's identity (and its way to the
// binary and the scratch directory) but not those powers.
bool drop_permission_overrides()
{
    return prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) == 0 &&
           prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) == 0;
}

}  // namespace

void run_unprivileged()
{
    if (geteuid() != 0 || drop_permission_overrides())
        return;
    // Without CAP_SETPCAP: become nobody, who needs a way to the binary.
    if (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 || setuid(NOBODY) != 0)
        _exit(SETUP_FAILED);
}

void limit_file_size(rlim_t bytes, bool ignore_signal)
{
    std::signal(SIGXFSZ, ignore_signal ? SIG_IGN : SIG_DFL);
    rlimit limit = {bytes, bytes};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        _exit(SETUP_FAILED);
}

void restore_signals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
        std::signal(sig, SIG_DFL);
        sigaddset(&set, sig);
    }
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void set_stdout(Stdout kind)
{
    int pipe_ends[2];
    switch (kind) {
    case Stdout::FULL:
        if (int fd = open("/dev/full", O_WRONLY); fd < 0 || dup2(fd, STDOUT_FILENO) < 0)
            _exit(SETUP_FAILED);
        break;
    case Stdout::CLOSED:
        close(STDOUT_FILENO);
        break;
    case Stdout::BROKEN_PIPE:
        if (pipe(pipe_ends) != 0 || dup2(pipe_ends[1], STDOUT_FILENO) < 0)
            _exit(SETUP_FAILED);
        close(pipe_ends[0]);
        close(pipe_ends[1]);
        std::signal(SIGPIPE, SIG_DFL);
        break;
    }
}

void end_after(unsigned seconds) { alarm(seconds); }

}  // namespace testing_support
