#include "ratio.h"

#include <cstdio>
#include <cstring>

namespace packing {

std::string format_ratio(const char* name, std::int64_t original, std::int64_t written)
{
    // Room for the name, two 64-bit numbers, the percentage and the frame.
    constexpr std::size_t FRAME_ROOM = 96;
    std::string line(std::strlen(name) + FRAME_ROOM, '\0');
    int length = std::snprintf(line.data(), line.size(), "%12s: %8lld --> %8lld", name,
                               static_cast<long long>(original), static_cast<long long>(written));
    line.resize(static_cast<std::size_t>(length));

    char percent[64];
    if (original == 0) {
        std::snprintf(percent, sizeof percent, "  [--.--%%]\n");
    } else {
        std::int64_t scaled = written * 100;
        std::snprintf(percent, sizeof percent, "  [%2lld.%02lld%%]\n",
                      static_cast<long long>(scaled / original),
                      static_cast<long long>(scaled % original * 100 / original));
    }
    return line + percent;
}

void print_ratio(const char* name, std::int64_t original, std::int64_t written)
{
    std::fputs(format_ratio(name, original, written).c_str(), stdout);
}

}  // namespace packing
