#include "temp_output.h"

#include "exit_status.h"
#include "fail.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace toolrt {
namespace {

// The suffix mkstemp replaces with random characters.
constexpr char TEMP_SUFFIX[] = ".XXXXXX";

// Longest final name the record holds: the packers' names fit in 1024 bytes.
constexpr std::size_t MAX_FINAL_NAME = 1023;

constexpr int CLEANUP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// The process-wide record. The temporary name lives in a fixed array so
// that the signal handler can reach it without touching the heap.
struct TempOutput {
    std::FILE* stream = nullptr;
    std::string final_name;
    char temp_name[MAX_FINAL_NAME + sizeof TEMP_SUFFIX] = {};
    volatile std::sig_atomic_t pending = 0;
    bool handlers_installed = false;
};

TempOutput g_output;

void on_fatal_signal(int signal)
{
    if (g_output.pending)
        unlink(g_output.temp_name);
    // End the way the signal would have ended us, so the caller sees it.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void install_cleanups()
{
    if (g_output.handlers_installed)
        return;
    g_output.handlers_installed = true;
    std::atexit(temp_output_cleanup);
    for (int sig : CLEANUP_SIGNALS) {
        struct sigaction action = {};
        action.sa_handler = on_fatal_signal;
        sigemptyset(&action.sa_mask);
        sigaction(sig, &action, nullptr);
    }
    // A write past the file size limit raises SIGXFSZ, whose default action
    // ends the process mid-write and strands the temporary file. Ignored, it
    // leaves a failed write (EFBIG), reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
}

// Keeps the cleanup signals away while the record and the file system are
// out of step (between creating or renaming a file and noting it).
class SignalBlock {
public:
    SignalBlock()
    {
        sigset_t set;
        sigemptyset(&set);
        for (int sig : CLEANUP_SIGNALS)
            sigaddset(&set, sig);
        sigprocmask(SIG_BLOCK, &set, &saved_);
    }
    ~SignalBlock() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;

private:
    sigset_t saved_;
};

// The mode "wb" would have created the file with.
mode_t default_file_mode()
{
    mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

void forget_pending()
{
    g_output.pending = 0;
    g_output.stream = nullptr;
}

}  // namespace

std::FILE* temp_output_open(const char* final_name)
{
    install_cleanups();
    std::size_t length = std::strlen(final_name);
    if (length > MAX_FINAL_NAME)
        fail(EXIT_OPEN, MSG_CANT_OPEN_TEMP);

    SignalBlock block;
    std::memcpy(g_output.temp_name, final_name, length);
    std::memcpy(g_output.temp_name + length, TEMP_SUFFIX, sizeof TEMP_SUFFIX);
    int fd = mkstemp(g_output.temp_name);
    if (fd < 0)
        fail(EXIT_OPEN, MSG_CANT_OPEN_TEMP);
    g_output.pending = 1;
    fchmod(fd, default_file_mode());
    g_output.stream = fdopen(fd, "wb");
    if (g_output.stream == nullptr) {
        close(fd);
        fail(EXIT_OPEN, MSG_CANT_OPEN_TEMP);
    }
    g_output.final_name = final_name;
    return g_output.stream;
}

void temp_output_commit()
{
    SignalBlock block;
    bool closed = std::fclose(g_output.stream) == 0;
    g_output.stream = nullptr;
    if (!closed) {
        unlink(g_output.temp_name);
        forget_pending();
        fail(EXIT_DATA, MSG_SHORT_WRITE);
    }
    if (std::rename(g_output.temp_name, g_output.final_name.c_str()) != 0) {
        unlink(g_output.temp_name);
        forget_pending();
        fail(EXIT_DATA, MSG_CANT_RENAME, g_output.final_name.c_str());
    }
    forget_pending();
}

void temp_output_cleanup()
{
    SignalBlock block;
    if (!g_output.pending)
        return;
    if (g_output.stream != nullptr)
        std::fclose(g_output.stream);
    unlink(g_output.temp_name);
    forget_pending();
}

}  // namespace toolrt
