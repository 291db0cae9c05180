#include "tests/support/run_program.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {
namespace {

// How often a pending RunOptions::signal_when is asked.
constexpr int SIGNAL_POLL_MS = 2;

void read_into(int fd, std::string& text, bool& open)
{
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    else if (n == 0 || errno != EINTR)
        open = false;
}

}  // namespace

RunResult run_program(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& directory, const RunOptions& options)
{
    int out_pipe[2];
    int err_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0)
        throw std::runtime_error("pipe failed");

    pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        dup2(out_pipe[1], STDOUT_FILENO);
        dup2(err_pipe[1], STDERR_FILENO);
        close(out_pipe[0]);
        close(out_pipe[1]);
        close(err_pipe[0]);
        close(err_pipe[1]);
        if (chdir(directory.c_str()) != 0)
            _exit(126);
        if (options.child_setup)
            options.child_setup();
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);

    RunResult result;
    bool out_open = true;
    bool err_open = true;
    bool signal_due = options.signal != 0 && options.signal_when;
    while (out_open || err_open) {
        pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
        if (poll(fds, 2, signal_due ? SIGNAL_POLL_MS : -1) < 0 && errno != EINTR)
            break;
        if (signal_due && options.signal_when()) {
            kill(child, options.signal);
            signal_due = false;
        }
        if (out_open && (fds[0].revents & (POLLIN | POLLHUP)))
            read_into(out_pipe[0], result.out, out_open);
        if (err_open && (fds[1].revents & (POLLIN | POLLHUP)))
            read_into(err_pipe[0], result.err, err_open);
    }
    close(out_pipe[0]);
    close(err_pipe[0]);

    int wait_status = 0;
    while (waitpid(child, &wait_status, 0) < 0 && errno == EINTR) { }
    if (WIFEXITED(wait_status))
        result.status = WEXITSTATUS(wait_status);
    else if (WIFSIGNALED(wait_status))
        result.signal = WTERMSIG(wait_status);
    return result;
}

}  // namespace testing_support
