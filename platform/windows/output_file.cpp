// Outputs on Windows (see output_file.h for the promise).
//
// The new file is created exclusively (CREATE_NEW) beside its final name
// under a random name of fixed length. Its handle allows others to rename or
// delete it (FILE_SHARE_DELETE), which is what lets commit move the open file
// onto its final name and keep reading it back, and what lets an
// interruption remove it while the C runtime still holds it open. At commit
// the data are flushed to the disk before the move, and the move is
// MoveFileExW with MOVEFILE_WRITE_THROUGH, so that it returns only once the
// new name is on the disk too; without permission to replace, the move lacks
// MOVEFILE_REPLACE_EXISTING and refuses an existing entry itself. A
// replacement that the system refuses (a read-only file, one held open
// without delete sharing, a directory) leaves the old file untouched.
//
// Ctrl-C, Ctrl-Break and the console's closing reach the process on a thread
// of their own: the handler and every change to the record take one lock, so
// the handler either finds a pending temporary file and removes it, or none.
// It then ends the process with the status a Ctrl-C ends it with. A process
// that was started with Ctrl-C ignored is never sent the event at all.
#define _CRT_RAND_S
#include <cstdlib>

#include "platform/output_file.h"

#include "platform/files.h"
#include "platform/windows/wide_names.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include <io.h>

namespace platform {
namespace {

// A temporary name: a fixed prefix, random characters; its length never
// depends on the final name.
constexpr char TEMP_PREFIX[] = ".lzstmp-";
constexpr std::size_t TEMP_RANDOM = 12;
// Tries before giving up on finding a free random name.
constexpr int TEMP_NAME_TRIES = 100;
// The longest name, in UTF-16 units, that NTFS, FAT and exFAT give one file.
constexpr std::size_t MAX_COMPONENT = 255;

struct Pending {
    std::FILE* stream = nullptr;
    bool in_place = false;  // a device or standard output, written directly
    std::wstring final_name;
    std::wstring temp_name;  // empty unless a temporary file exists
    bool pending = false;
};

Pending g_outputs[MAX_PENDING_OUTPUTS];

// Guards g_output against the control handler's thread. Recursive, so that
// a cleanup can run inside a locked step.
class RecordLock {
public:
    RecordLock() { EnterCriticalSection(&section()); }
    ~RecordLock() { LeaveCriticalSection(&section()); }
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;

private:
    static CRITICAL_SECTION& section()
    {
        static CRITICAL_SECTION lock = [] {
            CRITICAL_SECTION made;
            InitializeCriticalSection(&made);
            return made;
        }();
        return lock;
    }
};

BOOL WINAPI on_interruption(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    // Held until the process is gone: the main thread cannot commit the file
    // this removes.
    RecordLock lock;
    for (const Pending& output : g_outputs)
        if (output.pending && !output.temp_name.empty())
            DeleteFileW(output.temp_name.c_str());
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    return TRUE;
}

void install_cleanups()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    std::atexit(abandon_output);
    SetConsoleCtrlHandler(on_interruption, TRUE);
}

std::string random_suffix()
{
    static constexpr char ALPHABET[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (std::size_t i = 0; i < TEMP_RANDOM; ++i) {
        unsigned value = 0;
        if (rand_s(&value) != 0)
            value = static_cast<unsigned>(GetTickCount()) * 2654435761u + static_cast<unsigned>(i) * 40503u;
        suffix += ALPHABET[value % (sizeof ALPHABET - 1)];
    }
    return suffix;
}

// Everything of `final_name` up to its directory's end: through the last
// '\' or '/', or the drive of a drive-relative name (`C:name`).
std::string directory_part(const std::string& final_name)
{
    std::size_t slash = final_name.find_last_of("\\/");
    if (slash != std::string::npos)
        return final_name.substr(0, slash + 1);
    if (final_name.size() >= 2 && final_name[1] == ':')
        return final_name.substr(0, 2);
    return {};
}

// A new file beside `final_name`; INVALID_HANDLE_VALUE if none can be made.
HANDLE create_file(Pending& output, const std::string& final_name)
{
    std::string directory = directory_part(final_name);
    for (int attempt = 0; attempt < TEMP_NAME_TRIES; ++attempt) {
        std::wstring name = windows::wide_name((directory + TEMP_PREFIX + random_suffix()).c_str());
        HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            output.temp_name = name;
            return handle;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return INVALID_HANDLE_VALUE;
}

Pending* free_slot()
{
    for (Pending& output : g_outputs)
        if (!output.pending)
            return &output;
    return nullptr;
}

// The handle behind standard output, if it is a disk file.
HANDLE standard_output_file()
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || GetFileType(out) != FILE_TYPE_DISK)
        return INVALID_HANDLE_VALUE;
    return out;
}

// A device is opened by its name; the file behind standard output is
// reached through a duplicate of standard output's own descriptor, so the
// data land where it stands, not over the start of the file.
std::FILE* begin_in_place(Pending& output, const char* final_name, OutputError& error)
{
    std::FILE* stream = nullptr;
    if (is_standard_output(final_name)) {
        std::fflush(stdout);
        int fd = _dup(_fileno(stdout));
        stream = fd < 0 ? nullptr : _fdopen(fd, "wb");
        if (stream == nullptr && fd >= 0)
            _close(fd);
    } else {
        HANDLE handle = CreateFileW(windows::wide_name(final_name).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        stream = handle == INVALID_HANDLE_VALUE ? nullptr : windows::stream_of(handle, "wb");
    }
    if (stream == nullptr) {
        error = OutputError::CANT_CREATE;
        return nullptr;
    }
    output.stream = stream;
    output.in_place = true;
    output.pending = true;
    return stream;
}

// The file a symbolic link leads to, so that the move replaces that file
// and leaves the link alone; the name itself when it is no link. False if
// the link leads nowhere the system can name.
bool follow_links(const char* final_name, std::string& resolved)
{
    resolved = final_name;
    std::wstring wide = windows::wide_name(final_name);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    HANDLE target = windows::open_for_query(wide);
    if (target == INVALID_HANDLE_VALUE)
        return false;
    wchar_t path[32768];
    DWORD length =
        GetFinalPathNameByHandleW(target, path, sizeof path / sizeof path[0], FILE_NAME_NORMALIZED);
    CloseHandle(target);
    if (length == 0 || length >= sizeof path / sizeof path[0])
        return false;
    resolved = windows::utf8_of(path);
    return true;
}

// Whether the final name's own part (after its directory) is longer than a
// file system takes: such a name could be written but never committed.
bool name_too_long(const std::wstring& final_name)
{
    std::size_t separator = final_name.find_last_of(L"\\/:");
    std::size_t start = separator == std::wstring::npos ? 0 : separator + 1;
    return final_name.size() - start > MAX_COMPONENT;
}

OutputError fail_commit(OutputError error)
{
    int saved = errno;
    abandon_output();
    errno = saved;
    return error;
}

// Flushes an output to the disk; false (errno set) if its data did not get
// there.
bool flushed(const Pending& output)
{
    bool written = std::fflush(output.stream) == 0 && !std::ferror(output.stream);
    if (!written)
        return false;
    if (!output.in_place && !FlushFileBuffers(windows::handle_of(output.stream))) {
        errno = EIO;
        return false;
    }
    return true;
}

// What the move would meet, asked before any name is given, so that a pair
// is not left half committed by an obstacle that was there all along.
OutputError obstacle(const Pending& output, Replace replace)
{
    DWORD attributes = GetFileAttributesW(output.final_name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return OutputError::NONE;
    if (replace == Replace::REFUSED)
        return OutputError::EXISTS;
    // Windows itself refuses to replace a read-only file, but not every
    // implementation of its API does (Wine renames over it): asked first, a
    // read-only output stays whatever runs the program.
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return OutputError::CANT_RENAME;
    return OutputError::NONE;
}

OutputError move_into_place(Pending& output, Replace replace)
{
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replace == Replace::ALLOWED ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExW(output.temp_name.c_str(), output.final_name.c_str(), flags)) {
        output.temp_name.clear();
        return OutputError::NONE;
    }
    DWORD failure = GetLastError();
    bool taken = failure == ERROR_ALREADY_EXISTS || failure == ERROR_FILE_EXISTS;
    return replace == Replace::REFUSED && taken ? OutputError::EXISTS : OutputError::CANT_RENAME;
}

}  // namespace

bool is_standard_output(const char* name)
{
    HANDLE out = standard_output_file();
    if (out == INVALID_HANDLE_VALUE)
        return false;
    HANDLE named = windows::open_for_query(windows::wide_name(name));
    if (named == INVALID_HANDLE_VALUE)
        return false;
    windows::FileIdentity first;
    windows::FileIdentity second;
    bool same = windows::identify(out, first) && windows::identify(named, second) && first == second;
    CloseHandle(named);
    return same;
}

bool written_in_place(const char* final_name)
{
    return file_kind(final_name) == FileKind::SPECIAL || is_standard_output(final_name);
}

std::FILE* begin_output(const char* final_name, std::FILE*, OutputError& error)
{
    error = OutputError::NONE;
    install_cleanups();
    RecordLock lock;
    Pending* slot = free_slot();
    if (slot == nullptr) {
        error = OutputError::CANT_CREATE;
        return nullptr;
    }
    Pending& output = *slot;
    if (written_in_place(final_name))
        return begin_in_place(output, final_name, error);
    std::string resolved;
    if (!follow_links(final_name, resolved)) {
        error = OutputError::CANT_CREATE;
        return nullptr;
    }
    std::wstring wide_final = windows::wide_name(resolved.c_str());
    if (name_too_long(wide_final)) {
        error = OutputError::NAME_TOO_LONG;
        return nullptr;
    }

    HANDLE handle = create_file(output, resolved);
    std::FILE* stream = handle == INVALID_HANDLE_VALUE ? nullptr : windows::stream_of(handle, "w+b");
    if (stream == nullptr) {
        if (!output.temp_name.empty())
            DeleteFileW(output.temp_name.c_str());
        output = Pending{};
        error = OutputError::CANT_CREATE;
        return nullptr;
    }
    output.stream = stream;
    output.final_name = wide_final;
    output.pending = true;
    return stream;
}

OutputError commit_output(Replace replace, int* failed)
{
    auto fail_at = [&](const Pending& output, OutputError error) {
        if (failed != nullptr)
            *failed = static_cast<int>(&output - g_outputs);
        return fail_commit(error);
    };
    // Held through every move: the control handler cannot run between two.
    RecordLock lock;
    bool any = false;
    for (const Pending& output : g_outputs) {
        if (!output.pending)
            continue;
        any = true;
        if (!flushed(output))
            return fail_at(output, OutputError::CANT_WRITE);
    }
    if (!any)
        return OutputError::CANT_WRITE;
    for (const Pending& output : g_outputs)
        if (output.pending && !output.in_place)
            if (OutputError found = obstacle(output, replace); found != OutputError::NONE)
                return fail_at(output, found);
    for (Pending& output : g_outputs) {
        if (!output.pending || output.in_place)
            continue;
        if (OutputError moved = move_into_place(output, replace); moved != OutputError::NONE)
            return fail_at(output, moved);
    }
    for (Pending& output : g_outputs) {
        if (!output.pending)
            continue;
        if (!output.in_place)
            _fseeki64(output.stream, 0, SEEK_SET);
        output = Pending{};  // the stream is the caller's now
    }
    return OutputError::NONE;
}

void abandon_output()
{
    RecordLock lock;
    for (Pending& output : g_outputs) {
        if (!output.pending)
            continue;
        if (output.stream != nullptr)
            std::fclose(output.stream);
        if (!output.temp_name.empty())
            DeleteFileW(output.temp_name.c_str());
        output = Pending{};
    }
}

}  // namespace platform
