// Inputs and file kinds on Windows. An input is opened by handle and checked
// through that handle (a disk file that is not a directory), so what is
// checked is what is read; opening never waits on a pipe or device. Sizes and
// positions go through the C runtime's 64-bit calls: `long` is 32 bits here.
#include "platform/files.h"

#include "platform/windows/wide_names.h"

namespace platform {

using windows::FileIdentity;
using windows::wide_name;

namespace {

bool is_missing_error(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// A disk file's kind from its handle; SPECIAL for consoles, pipes, devices.
FileKind kind_of(HANDLE handle)
{
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return FileKind::SPECIAL;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info))
        return FileKind::SPECIAL;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::DIRECTORY : FileKind::REGULAR;
}

}  // namespace

InputFile open_input_file(const char* name)
{
    InputFile input;
    std::wstring wide = wide_name(name);
    // Directories open too (backup semantics), to be told apart from files
    // that cannot be opened.
    HANDLE handle =
        CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        bool missing = is_missing_error(GetLastError()) && !name_exists(name);
        input.result = missing ? OpenResult::MISSING : OpenResult::FAILED;
        return input;
    }
    if (kind_of(handle) != FileKind::REGULAR) {
        CloseHandle(handle);
        input.result = OpenResult::NOT_REGULAR;
        return input;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle, &size)) {
        CloseHandle(handle);
        return input;
    }
    input.stream = windows::stream_of(handle, "rb");
    if (input.stream != nullptr) {
        input.result = OpenResult::OPENED;
        input.size = static_cast<std::int64_t>(size.QuadPart);
    }
    return input;
}

std::int64_t file_size(std::FILE* stream)
{
    // Through the stream, so that bytes still in its buffer count.
    std::int64_t start = file_position(stream);
    if (start < 0 || _fseeki64(stream, 0, SEEK_END) != 0)
        return -1;
    std::int64_t end = file_position(stream);
    if (!seek_file(stream, start))
        return -1;
    return end;
}

std::int64_t file_position(std::FILE* stream) { return _ftelli64(stream); }

bool seek_file(std::FILE* stream, std::int64_t offset) { return _fseeki64(stream, offset, SEEK_SET) == 0; }

bool same_file(const char* a, const char* b)
{
    FileIdentity identities[2];
    const char* names[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        HANDLE handle = windows::open_for_query(wide_name(names[i]));
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        bool known = windows::identify(handle, identities[i]);
        CloseHandle(handle);
        if (!known)
            return false;
    }
    return identities[0] == identities[1];
}

FileKind file_kind(const char* name)
{
    std::wstring wide = wide_name(name);
    HANDLE handle = windows::open_for_query(wide);
    if (handle != INVALID_HANDLE_VALUE) {
        FileKind kind = kind_of(handle);
        CloseHandle(handle);
        return kind;
    }
    // Something that exists but cannot even be opened for a query (a
    // system file, say): its attributes still tell a file from a directory.
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return FileKind::NONE;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::DIRECTORY : FileKind::REGULAR;
}

bool same_name(std::string_view a, std::string_view b)
{
    auto wide = [](std::string_view text) {
        int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring converted(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
        if (length > 0)
            MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), converted.data(),
                                length);
        return converted;
    };
    std::wstring first = wide(a);
    std::wstring second = wide(b);
    // The file system's own rule: ordinal, each character's upper case.
    return CompareStringOrdinal(first.data(), static_cast<int>(first.size()), second.data(),
                                static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}

bool name_exists(const char* name)
{
    // The attributes are the entry's own: a dangling link still has them.
    std::wstring wide = wide_name(name);
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    // Devices (NUL, CON) may have no attributes, but open.
    return file_kind(name) != FileKind::NONE;
}

}  // namespace platform
