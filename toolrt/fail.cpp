#include "fail.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace toolrt {
namespace {

MessageEnd g_message_end = MessageEnd::EMPTY_LINE_AFTER;

}  // namespace

void set_message_end(MessageEnd end) { g_message_end = end; }

void fail(int status, const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    if (g_message_end == MessageEnd::EMPTY_LINE_AFTER)
        std::fputs("\n", stderr);
    std::exit(status);
}

}  // namespace toolrt
