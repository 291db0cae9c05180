// Outputs on POSIX (see output_file.h for the promise).
//
// The new file is made in the final name's directory, reached through a
// descriptor held for the whole run: with O_TMPFILE it has no name at all
// until commit links it in, so even SIGKILL leaves nothing behind; where the
// file system refuses O_TMPFILE (or /proc, through which an unprivileged
// process links such a file, is missing) it gets a short random name. At
// commit the data are synced before the file is named, and the directory
// after, so that after a power cut the name leads to the old file or to the
// whole new one. Without permission to replace, the naming step itself
// refuses an existing entry (linkat never replaces; renameat2 with
// RENAME_NOREPLACE, or link and unlink where the file system lacks it), so a
// file that appears during the run is never lost.
//
// The record lives in static storage: the interruption handler only reads
// it and calls unlinkat, which is async-signal-safe. Every change to the
// record and to the file system that must agree with it happens with the
// interruption signals blocked.
#include "platform/output_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int INTERRUPTIONS[] = {SIGINT, SIGTERM, SIGHUP};

// A temporary name: a dot (hidden from a plain ls), a fixed prefix, random
// characters and the terminator; its length never depends on the final name.
constexpr char TEMP_PREFIX[] = ".lzstmp-";
constexpr std::size_t TEMP_RANDOM = 12;
constexpr std::size_t TEMP_NAME_SIZE = sizeof TEMP_PREFIX + TEMP_RANDOM;
// Tries before giving up on finding a free random name.
constexpr int TEMP_NAME_TRIES = 100;

struct Pending {
    std::FILE* stream = nullptr;
    int directory = -1;     // the final name's directory
    bool in_place = false;  // a device, a FIFO or standard output, written directly
    bool nameless = false;  // an O_TMPFILE file
    std::string final_name;
    char temp_name[TEMP_NAME_SIZE] = {};  // in `directory`, while has_temp_name
    volatile std::sig_atomic_t has_temp_name = 0;
    volatile std::sig_atomic_t pending = 0;
};

Pending g_outputs[MAX_PENDING_OUTPUTS];

// Links followed before a name is given up on, as the kernel's own limit.
constexpr int MAX_LINK_HOPS = 40;

void on_interruption(int signal)
{
    for (const Pending& output : g_outputs)
        if (output.has_temp_name)
            unlinkat(output.directory, output.temp_name, 0);
    // End the way the signal would have ended us, so the caller sees it.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void install_cleanups()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    std::atexit(abandon_output);
    for (int signal : INTERRUPTIONS) {
        struct sigaction old = {};
        // A signal ignored at start (nohup, a background job) stays ignored.
        if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
            continue;
        struct sigaction action = {};
        action.sa_handler = on_interruption;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
    // A write past the file size limit then fails with EFBIG instead of
    // ending the run mid-write.
    std::signal(SIGXFSZ, SIG_IGN);
}

// Keeps the interruptions away while the record and the file system are out
// of step; one that arrives meanwhile is delivered when the block ends.
class InterruptionBlock {
public:
    InterruptionBlock()
    {
        sigset_t set;
        sigemptyset(&set);
        for (int signal : INTERRUPTIONS)
            sigaddset(&set, signal);
        sigprocmask(SIG_BLOCK, &set, &saved_);
    }
    ~InterruptionBlock() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    InterruptionBlock(const InterruptionBlock&) = delete;
    InterruptionBlock& operator=(const InterruptionBlock&) = delete;

private:
    sigset_t saved_;
};

// Keeps errno across cleanups, so the caller learns why a write failed.
class ErrnoKeeper {
public:
    ErrnoKeeper() : saved_(errno) { }
    ~ErrnoKeeper() { errno = saved_; }
    ErrnoKeeper(const ErrnoKeeper&) = delete;
    ErrnoKeeper& operator=(const ErrnoKeeper&) = delete;

private:
    int saved_;
};

void make_temp_name(char (&name)[TEMP_NAME_SIZE])
{
    static constexpr char ALPHABET[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[TEMP_RANDOM] = {};
    if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        // Only uniqueness matters here (the create is exclusive), not secrecy.
        static unsigned counter = 0;
        // Knuth's multiplicative hash spreads the process id and the count;
        // the C standard's example generator then draws the bytes.
        constexpr unsigned SPREAD_PID = 2654435761U;
        constexpr unsigned SPREAD_COUNT = 40503U;
        constexpr unsigned LCG_MULTIPLIER = 1103515245U;
        constexpr unsigned LCG_INCREMENT = 12345U;
        unsigned seed = static_cast<unsigned>(getpid()) * SPREAD_PID + ++counter * SPREAD_COUNT;
        for (unsigned char& byte : random)
            byte = static_cast<unsigned char>((seed = seed * LCG_MULTIPLIER + LCG_INCREMENT) >> 16);
    }
    std::memcpy(name, TEMP_PREFIX, sizeof TEMP_PREFIX - 1);
    for (std::size_t i = 0; i < TEMP_RANDOM; ++i)
        name[sizeof TEMP_PREFIX - 1 + i] = ALPHABET[random[i] % (sizeof ALPHABET - 1)];
    name[TEMP_NAME_SIZE - 1] = '\0';
}

// Opens the directory the final name lies in: everything before its last
// '/', or the current directory.
int open_directory_of(const char* final_name)
{
    const char* slash = std::strrchr(final_name, '/');
    if (slash == nullptr)
        return open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string directory(final_name, slash == final_name ? 1 : static_cast<std::size_t>(slash - final_name));
    return open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

mode_t mode_of(std::FILE* mode_from)
{
    struct stat info;
    if (mode_from != nullptr && fstat(fileno(mode_from), &info) == 0)
        return info.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO);
    // open() takes the umask away from either.
    return S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH;
}

// Linking an O_TMPFILE file through /proc works without privileges.
bool can_link_nameless_files() { return access("/proc/self/fd", X_OK) == 0; }

// A new file in the output's directory, nameless if possible; -1 if none
// can be made.
int create_file(Pending& output, mode_t mode)
{
    if (can_link_nameless_files()) {
        int fd = openat(output.directory, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
        if (fd >= 0) {
            output.nameless = true;
            return fd;
        }
    }
    for (int attempt = 0; attempt < TEMP_NAME_TRIES; ++attempt) {
        make_temp_name(output.temp_name);
        int fd = openat(output.directory, output.temp_name, O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, mode);
        if (fd >= 0) {
            output.has_temp_name = 1;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

void forget_pending(Pending& output)
{
    if (output.directory >= 0)
        close(output.directory);
    output = Pending{};
}

Pending* free_slot()
{
    for (Pending& output : g_outputs)
        if (!output.pending)
            return &output;
    return nullptr;
}

bool writable(int fd)
{
    int flags = fcntl(fd, F_GETFL);
    return flags != -1 && (flags & O_ACCMODE) != O_RDONLY;
}

// A device or FIFO is opened by its name; standard output is reached through
// its own descriptor, so the data land where it stands (after what the shell
// or an earlier program wrote), not over the start of its file.
std::FILE* begin_in_place(Pending& output, const char* final_name, OutputError& error)
{
    int fd = is_standard_output(final_name) && writable(STDOUT_FILENO)
                 ? fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0)
                 : open(final_name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    std::FILE* stream = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (stream == nullptr) {
        if (fd >= 0)
            close(fd);
        error = OutputError::CANT_CREATE;
        return nullptr;
    }
    output.stream = stream;
    output.in_place = true;
    output.pending = 1;
    return stream;
}

// The name a chain of symbolic links ends at: the link's target, read
// relative to the link's own directory. Renaming onto that name replaces
// the file the user meant and leaves the links alone. False (errno ELOOP or
// ENAMETOOLONG) if the chain does not end.
bool follow_links(const char* name, std::string& resolved)
{
    std::string path = name;
    for (int hop = 0; hop < MAX_LINK_HOPS; ++hop) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            resolved = path;
            return true;
        }
        char target[PATH_MAX];
        ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length < 0)
            return false;
        if (static_cast<std::size_t>(length) >= sizeof target) {
            errno = ENAMETOOLONG;
            return false;
        }
        std::string next(target, static_cast<std::size_t>(length));
        std::size_t slash = path.rfind('/');
        path = next[0] == '/' || slash == std::string::npos ? next : path.substr(0, slash + 1) + next;
    }
    errno = ELOOP;
    return false;
}

// Why an output could not be begun, read from errno at the step that failed:
// a name the system refuses, or anything else.
OutputError creation_failure()
{
    return errno == ENAMETOOLONG ? OutputError::NAME_TOO_LONG : OutputError::CANT_CREATE;
}

// Links the nameless file in under `final_name`; EEXIST if the name is taken.
int link_nameless(int fd, int directory, const char* name)
{
    char path[sizeof "/proc/self/fd/" + std::numeric_limits<int>::digits10 + 1];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    return linkat(AT_FDCWD, path, directory, name, AT_SYMLINK_FOLLOW);
}

// Names the temporary file its final name only if no entry has that name.
OutputError name_without_replacing(Pending& output)
{
    int fd = fileno(output.stream);
    const char* final_name = output.final_name.c_str();
    int named;
    if (output.nameless) {
        named = link_nameless(fd, AT_FDCWD, final_name);
    } else {
        named = renameat2(output.directory, output.temp_name, AT_FDCWD, final_name, RENAME_NOREPLACE);
        if (named != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
            // A file system without RENAME_NOREPLACE: a link never replaces.
            named = linkat(output.directory, output.temp_name, AT_FDCWD, final_name, 0);
            if (named == 0)
                unlinkat(output.directory, output.temp_name, 0);
        }
    }
    if (named != 0)
        return errno == EEXIST ? OutputError::EXISTS : OutputError::CANT_RENAME;
    output.has_temp_name = 0;
    return OutputError::NONE;
}

// Names the temporary file its final name, replacing what has that name.
OutputError name_replacing(Pending& output)
{
    if (output.nameless) {
        // A nameless file gets a random name first: rename then replaces
        // the final name in one step.
        int linked = -1;
        for (int attempt = 0; attempt < TEMP_NAME_TRIES && linked != 0; ++attempt) {
            make_temp_name(output.temp_name);
            output.has_temp_name = 1;
            linked = link_nameless(fileno(output.stream), output.directory, output.temp_name);
            if (linked != 0) {
                output.has_temp_name = 0;
                if (errno != EEXIST)
                    return OutputError::CANT_RENAME;
            }
        }
        if (linked != 0)
            return OutputError::CANT_RENAME;
    }
    if (renameat(output.directory, output.temp_name, AT_FDCWD, output.final_name.c_str()) != 0)
        return OutputError::CANT_RENAME;
    output.has_temp_name = 0;
    return OutputError::NONE;
}

// What naming would meet, asked before any name is given, so that a pair
// is not left half committed by an obstacle that was there all along.
OutputError obstacle(const Pending& output, Replace replace)
{
    if (!output.pending || output.in_place)
        return OutputError::NONE;
    struct stat info;
    if (lstat(output.final_name.c_str(), &info) != 0)
        return OutputError::NONE;
    if (replace == Replace::REFUSED)
        return OutputError::EXISTS;
    return S_ISDIR(info.st_mode) ? OutputError::CANT_RENAME : OutputError::NONE;
}

// fsync on a file that cannot be synced (EINVAL) has nothing to lose.
bool synced(int fd) { return fsync(fd) == 0 || errno == EINVAL; }

OutputError fail_commit(OutputError error)
{
    ErrnoKeeper keep;
    abandon_output();
    return error;
}

// The data of a pending output written and, for a new file, on the disk.
bool flushed(const Pending& output)
{
    bool written = std::fflush(output.stream) == 0 && !std::ferror(output.stream);
    return written && (output.in_place || synced(fileno(output.stream)));
}

OutputError give_name(Pending& output, Replace replace)
{
    if (!output.pending || output.in_place)
        return OutputError::NONE;
    return replace == Replace::REFUSED ? name_without_replacing(output) : name_replacing(output);
}

// A committed output's stream becomes the caller's, at its start.
void hand_over(Pending& output)
{
    if (!output.pending)
        return;
    if (!output.in_place) {
        // The name is on the disk only once its directory is.
        synced(output.directory);
        fseeko(output.stream, 0, SEEK_SET);
    }
    output.stream = nullptr;
    forget_pending(output);
}

}  // namespace

bool is_standard_output(const char* name)
{
    // A device is opened by its name anyway; only a file or a pipe behind
    // standard output must be reached through the descriptor itself.
    struct stat out;
    struct stat named;
    return fstat(STDOUT_FILENO, &out) == 0 && !S_ISCHR(out.st_mode) && stat(name, &named) == 0 &&
           out.st_dev == named.st_dev && out.st_ino == named.st_ino;
}

bool written_in_place(const char* final_name)
{
    struct stat info;
    if (stat(final_name, &info) != 0)
        return false;
    return (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) || is_standard_output(final_name);
}

std::FILE* begin_output(const char* final_name, std::FILE* mode_from, OutputError& error)
{
    error = OutputError::NONE;
    install_cleanups();
    InterruptionBlock block;
    Pending* slot = free_slot();
    if (slot == nullptr) {
        error = OutputError::CANT_CREATE;
        return nullptr;
    }
    Pending& output = *slot;
    if (written_in_place(final_name))
        return begin_in_place(output, final_name, error);
    std::string resolved;
    struct stat info;
    // A name the system refuses could never be committed.
    if (!follow_links(final_name, resolved) ||
        (stat(resolved.c_str(), &info) != 0 && errno == ENAMETOOLONG)) {
        error = creation_failure();
        return nullptr;
    }

    output.directory = open_directory_of(resolved.c_str());
    int fd = output.directory < 0 ? -1 : create_file(output, mode_of(mode_from));
    std::FILE* stream = fd < 0 ? nullptr : fdopen(fd, "w+b");
    if (stream == nullptr) {
        error = creation_failure();
        ErrnoKeeper keep;
        if (fd >= 0)
            close(fd);
        if (output.has_temp_name)
            unlinkat(output.directory, output.temp_name, 0);
        forget_pending(output);
        return nullptr;
    }
    output.stream = stream;
    output.final_name = resolved;
    output.pending = 1;
    return stream;
}

OutputError commit_output(Replace replace, int* failed)
{
    bool any = false;
    for (const Pending& output : g_outputs)
        any = any || output.pending;
    if (!any)
        return OutputError::CANT_WRITE;
    // Each step is done for every output before the next begins: the data
    // of all on the disk, then every obstacle known, then the names.
    auto failing = [failed](const Pending& output, OutputError error) {
        if (failed != nullptr)
            *failed = static_cast<int>(&output - g_outputs);
        return fail_commit(error);
    };
    for (const Pending& output : g_outputs)
        if (output.pending && !flushed(output))
            return failing(output, OutputError::CANT_WRITE);
    for (const Pending& output : g_outputs)
        if (OutputError found = obstacle(output, replace); found != OutputError::NONE)
            return failing(output, found);

    InterruptionBlock block;
    for (Pending& output : g_outputs)
        if (OutputError named = give_name(output, replace); named != OutputError::NONE)
            return failing(output, named);
    for (Pending& output : g_outputs)
        hand_over(output);
    return OutputError::NONE;
}

void abandon_output()
{
    InterruptionBlock block;
    for (Pending& output : g_outputs) {
        if (!output.pending)
            continue;
        if (output.stream != nullptr)
            std::fclose(output.stream);
        if (output.has_temp_name)
            unlinkat(output.directory, output.temp_name, 0);
        forget_pending(output);
    }
}

}  // namespace platform
