// Ending a scrambler with a message on stderr.
#include "scramble/stop.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace scramble {

void stop(int status, const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::exit(status);
}

}  // namespace scramble
