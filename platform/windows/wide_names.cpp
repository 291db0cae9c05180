// Name conversion and handle plumbing for the Windows side (see wide_names.h).
#include "platform/windows/wide_names.h"

#include <cstring>

#include <fcntl.h>
#include <io.h>

namespace platform::windows {
namespace {

// The longest name the plain (not \\?\) form takes, terminator excluded.
// CreateDirectoryW's limit is 12 less, for an 8.3 name inside; the output
// side never creates directories, but a directory name this long still
// cannot hold a file by the plain form.
constexpr std::size_t PLAIN_NAME_LIMIT = MAX_PATH - 12;

bool has_long_prefix(const std::wstring& name) { return name.rfind(L"\\\\?\\", 0) == 0; }

std::wstring long_form(const std::wstring& name)
{
    DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return name;
    std::wstring full(size, L'\0');
    DWORD length = GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return name;
    full.resize(length);
    // Devices (\\.\NUL) and names already literal stay as they are.
    if (full.rfind(L"\\\\.\\", 0) == 0 || has_long_prefix(full))
        return full;
    // \\server\share\x becomes \\?\UNC\server\share\x.
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace

std::wstring wide_name(const char* name)
{
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, nullptr, 0);
    if (length <= 1)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    if (has_long_prefix(wide))
        return wide;
    // A relative name is as long as the current directory makes it.
    std::size_t reach = wide.size() + GetCurrentDirectoryW(0, nullptr);
    if (wide.size() < PLAIN_NAME_LIMIT && reach < PLAIN_NAME_LIMIT)
        return wide;
    return long_form(wide);
}

std::string utf8_of(const wchar_t* text)
{
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return {};
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(length - 1));
    return utf8;
}

std::FILE* stream_of(HANDLE handle, const char* mode)
{
    bool read_only = mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
    int flags = _O_BINARY | (read_only ? _O_RDONLY : _O_RDWR);
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* stream = _fdopen(fd, mode);
    if (stream == nullptr)
        _close(fd);
    return stream;
}

HANDLE handle_of(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

bool identify(HANDLE handle, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info))
        return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

HANDLE open_for_query(const std::wstring& name)
{
    return CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace platform::windows
