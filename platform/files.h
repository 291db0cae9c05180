// Opening inputs and asking what stands at a name, the same way everywhere.
//
// All names are UTF-8. Sizes and positions are 64-bit: no 32-bit `long`.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace platform {

enum class OpenResult { OPENED, MISSING, NOT_REGULAR, FAILED };

struct InputFile {
    std::FILE* stream = nullptr;
    OpenResult result = OpenResult::FAILED;
    std::int64_t size = 0;  // OPENED: the file's size when it was opened
};

// Opens an existing regular file for binary reading, never blocking: a FIFO,
// a device or a directory is NOT_REGULAR at once. MISSING only when no
// directory entry of that name exists at all (a dangling symbolic link is
// FAILED, not MISSING). The size comes from the same query that found the
// file regular, so no caller needs to seek to learn it.
InputFile open_input_file(const char* name);

// The size of an open file in 64 bits, or -1. The position is kept.
std::int64_t file_size(std::FILE* stream);

// 64-bit position and seek (from the start) on a stream; seek returns false
// on failure.
std::int64_t file_position(std::FILE* stream);
bool seek_file(std::FILE* stream, std::int64_t offset);

// Whether two names lead to the same file (device and inode; on Windows the
// volume serial number and the file index), so case, links and `..` do not
// fool it. False when either does not exist.
bool same_file(const char* a, const char* b);

// What stands at `name`, links followed.
enum class FileKind {
    NONE,  // nothing, or a dangling link
    REGULAR,
    DIRECTORY,
    SPECIAL,  // device, FIFO, socket, console, NUL
};
FileKind file_kind(const char* name);

// Whether any entry of that name exists; a dangling link counts.
bool name_exists(const char* name);

// Whether two names (or parts of names, such as extensions) would name the
// same entry by this system's rules: byte for byte on POSIX, regardless of
// case on Windows, whose file systems ignore it.
bool same_name(std::string_view a, std::string_view b);

}  // namespace platform
