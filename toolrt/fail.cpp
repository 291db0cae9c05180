#include "fail.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace toolrt {

void fail(int status, const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputs("\n", stderr);
    std::exit(status);
}

}  // namespace toolrt
