#include "child_setup.h"

#include <csignal>
#include <initializer_list>

#include <grp.h>
#include <unistd.h>

namespace testing_support {
namespace {

constexpr uid_t NOBODY = 65534;

}  // namespace

void run_unprivileged()
{
    if (geteuid() != 0)
        return;
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

}  // namespace testing_support
