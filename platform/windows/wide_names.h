// Names between the programs' UTF-8 and Windows' UTF-16, and the handles
// and C streams the platform layer's Windows side passes around.
//
// Every name a program gives is UTF-8; the wide file APIs take UTF-16. A
// name of MAX_PATH characters or more reaches them only in the \\?\ form,
// which is absolute, backslashed and taken literally, so such a name is first
// made absolute by GetFullPathNameW (which also resolves `.`, `..`, `/` and a
// drive-relative `C:name` against that drive's current directory).
#pragma once

#include <cstdio>
#include <string>

#include <windows.h>

namespace platform::windows {

// UTF-16 of a UTF-8 name, in the \\?\ form when it is too long for the
// plain one. Invalid UTF-8 gives an empty name, which no API accepts.
std::wstring wide_name(const char* name);

// UTF-8 of UTF-16 text (arguments); unpaired surrogates become U+FFFD.
std::string utf8_of(const wchar_t* text);

// A C stream over `handle`, which it then owns; nullptr (and the handle
// closed) if the C runtime cannot take it. `mode` is fopen's ("rb", "w+b").
std::FILE* stream_of(HANDLE handle, const char* mode);

// The handle under a C stream.
HANDLE handle_of(std::FILE* stream);

// The identity of an open file or directory: volume serial and file index.
struct FileIdentity {
    DWORD volume = 0;
    DWORD index_high = 0;
    DWORD index_low = 0;
    bool operator==(const FileIdentity&) const = default;
};
bool identify(HANDLE handle, FileIdentity& identity);

// Opens `name` (links followed) only to ask about it: no data access, every
// sharing mode, directories included. INVALID_HANDLE_VALUE on failure.
HANDLE open_for_query(const std::wstring& name);

}  // namespace platform::windows
