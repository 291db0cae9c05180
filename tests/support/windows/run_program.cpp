// Runs a program on Windows: CreateProcessW with the arguments quoted the
// way the C runtime and CommandLineToArgvW split them again, standard output
// and standard error through two pipes drained by their own threads (a child
// that fills one pipe while the runner waits on the other would stall), and
// the exit code as the status.
//
// RunOptions::signal is delivered as a console control event to the child's
// own process group: SIGINT as Ctrl-C, anything else as Ctrl-Break (a new
// group starts with Ctrl-C ignored, as a POSIX job started with SIGINT
// ignored). A child ended by a control event exits with
// STATUS_CONTROL_C_EXIT, reported as that signal. child_setup has no
// meaning here: a test that needs it is built on POSIX only.
#include "tests/support/run_program.h"

#include <csignal>
#include <stdexcept>
#include <thread>

#include <windows.h>

namespace testing_support {
namespace {

// How often a pending RunOptions::signal_when is asked.
constexpr DWORD SIGNAL_POLL_MS = 2;

std::wstring wide(const std::string& text)
{
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                     static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        throw std::runtime_error("not UTF-8: " + text);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

// Quotes one argument so that CommandLineToArgvW gives it back unchanged:
// backslashes are literal except before a quote, where they double.
void append_quoted(std::wstring& line, const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) { }
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    HANDLE* out() { return &handle_; }
    void reset()
    {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// A pipe whose write end the child inherits and whose read end stays here.
void make_pipe(Handle& read_end, Handle& write_end)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(read_end.out(), write_end.out(), &inherit, 0))
        throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
}

void drain(HANDLE pipe, std::string& text)
{
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
}

}  // namespace

RunResult run_program(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& directory, const RunOptions& options)
{
    if (options.child_setup)
        throw std::logic_error("child_setup needs a POSIX system");

    std::wstring command_line;
    append_quoted(command_line, wide(program));
    for (const std::string& arg : args) {
        command_line += L' ';
        append_quoted(command_line, wide(arg));
    }

    Handle out_read, out_write, err_read, err_write;
    make_pipe(out_read, out_write);
    make_pipe(err_read, err_write);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    Handle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr));

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = out_write.get();
    startup.hStdError = err_write.get();
    bool signal_due = options.signal != 0 && options.signal_when;
    DWORD flags = signal_due ? CREATE_NEW_PROCESS_GROUP : 0;
    PROCESS_INFORMATION process = {};
    std::wstring program_name = wide(program);
    if (!CreateProcessW(program_name.c_str(), command_line.data(), nullptr, nullptr, TRUE, flags, nullptr,
                        directory.wstring().c_str(), &startup, &process))
        throw std::runtime_error("CreateProcessW failed for " + program);
    Handle child(process.hProcess);
    Handle thread(process.hThread);
    // Only the child holds the write ends now: the pipes end when it does.
    out_write.reset();
    err_write.reset();
    input.reset();

    RunResult result;
    std::thread out_reader(drain, out_read.get(), std::ref(result.out));
    std::thread err_reader(drain, err_read.get(), std::ref(result.err));
    while (WaitForSingleObject(child.get(), signal_due ? SIGNAL_POLL_MS : INFINITE) == WAIT_TIMEOUT) {
        if (signal_due && options.signal_when()) {
            DWORD event = options.signal == SIGINT ? CTRL_C_EVENT : CTRL_BREAK_EVENT;
            GenerateConsoleCtrlEvent(event, process.dwProcessId);
            signal_due = false;
        }
    }
    out_reader.join();
    err_reader.join();

    DWORD code = 0;
    GetExitCodeProcess(child.get(), &code);
    if (code == static_cast<DWORD>(STATUS_CONTROL_C_EXIT)) {
        result.signal = options.signal != 0 ? options.signal : SIGINT;
        return result;
    }
    result.status = static_cast<int>(code);
    return result;
}

}  // namespace testing_support
