// Process start on Windows. The C runtime's argv holds the arguments in the
// ANSI code page, which cannot carry every name; they are taken again from
// the UTF-16 command line and given to the program as UTF-8. The standard
// streams are switched to binary mode, so that lzsunpack reads an image from
// standard input byte for byte, and the programs print
// the very bytes they print on other systems (no "\r\n" for "\n"), and the
// console, if any, shows what they print as UTF-8.
#include "platform/program.h"

#include "platform/windows/wide_names.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace platform {

std::vector<std::string> start_program(int argc, char** argv)
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);

    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i)
        args.push_back(windows::utf8_of(wide[i]));
    LocalFree(wide);
    return args;
}

bool standard_error_is_terminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace platform
