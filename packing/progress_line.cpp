#include "packing/progress_line.h"

#include "platform/program.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace packing {
namespace {

using Clock = std::chrono::steady_clock;

// Before this nothing shows; after it, one update per interval at most.
constexpr auto QUIET_START = std::chrono::milliseconds(500);
constexpr auto INTERVAL = std::chrono::milliseconds(250);
constexpr std::uint64_t WHOLE_PERCENT = 100;

struct Line {
    std::string name;
    Clock::time_point started;
    Clock::time_point shown;
    int width = 0;  // characters on the terminal, 0 when nothing is shown
};

Line g_line;

void show(void*, std::uint64_t done, std::uint64_t whole)
{
    Clock::time_point now = Clock::now();
    if (whole == 0 || now - g_line.started < QUIET_START ||
        (g_line.width != 0 && now - g_line.shown < INTERVAL))
        return;
    g_line.shown = now;
    auto percent = static_cast<unsigned>(std::min(done, whole) * WHOLE_PERCENT / whole);
    int width = std::fprintf(stderr, "\r%s: %u%%", g_line.name.c_str(), percent);
    std::fflush(stderr);
    if (width > g_line.width)
        g_line.width = width;
}

}  // namespace

codec::Progress progress_line(const char* name, std::uint64_t input_size)
{
    codec::Progress progress;
    if (!platform::standard_error_is_terminal())
        return progress;
    g_line = Line{name, Clock::now(), {}, 0};
    progress.report = show;
    progress.input_size = input_size;
    return progress;
}

void end_progress_line()
{
    if (g_line.width == 0)
        return;
    std::fprintf(stderr, "\r%*s\r", g_line.width, "");
    std::fflush(stderr);
    g_line.width = 0;
}

}  // namespace packing
