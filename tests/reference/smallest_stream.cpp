#include "smallest_stream.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>

namespace reference {
namespace {

constexpr std::size_t GROUP = 8;

// The bytes of a match token, straight from the format's table.
std::uint64_t match_bytes(std::size_t length, std::size_t distance)
{
    if (length == 3 || length == 4)
        return 2;  // MATCH_3, MATCH_4
    if (length <= 11 && distance <= 2048)
        return 2;  // MATCH_NEAR
    return 3;      // MATCH_FAR
}

}  // namespace

std::uint64_t smallest_stream_size(const std::vector<std::uint8_t>& input)
{
    constexpr std::uint64_t UNREACHED = std::numeric_limits<std::uint64_t>::max();
    std::size_t n = input.size();
    // best[i][k]: least bytes for the first i input bytes, k tokens in the open group.
    std::vector<std::array<std::uint64_t, GROUP>> best(n + 1);
    for (auto& row : best)
        row.fill(UNREACHED);
    best[0][0] = 0;

    auto relax = [&](std::size_t from, std::size_t to, std::uint64_t bytes) {
        for (std::size_t k = 0; k < GROUP; ++k) {
            if (best[from][k] == UNREACHED)
                continue;
            std::uint64_t flag = k == 0 ? 1 : 0;  // the token opens a group
            std::uint64_t& target = best[to][(k + 1) % GROUP];
            target = std::min(target, best[from][k] + flag + bytes);
        }
    };
    for (std::size_t i = 0; i < n; ++i) {
        relax(i, i + 1, 1);  // a literal
        for (std::size_t distance = 1; distance <= std::min<std::size_t>(i, 16384); ++distance) {
            std::size_t length = 0;
            while (i + length < n && length < 260 && input[i + length] == input[i + length - distance])
                ++length;
            for (std::size_t l = 3; l <= length; ++l)
                relax(i, i + l, match_bytes(l, distance));
        }
    }
    std::uint64_t least = UNREACHED;
    for (std::size_t k = 0; k < GROUP; ++k)
        if (best[n][k] != UNREACHED)
            least = std::min(least, best[n][k] + (k == 0 ? 1 : 0) + 1);  // the end mark
    return least;
}

}  // namespace reference
