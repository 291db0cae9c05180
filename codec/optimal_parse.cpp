// The smallest stream as a shortest path.
//
// A token costs its own bytes, plus the flag byte when it opens a group, so
// its cost depends on how many tokens its group already holds: the state of
// the path is (position, tokens in the current group), the latter 0-7. With
// cost[i][k] the least size of a stream for input[i..] that starts with k
// tokens in its group, and open(k) = 1 for k = 0 (a flag byte), else 0:
//
//   cost[n][k] = open(k) + 1                          the end mark
//   cost[i][k] = open(k) + min( 1 + cost[i+1][k'],    a literal
//                               2 + cost[i+L][k'],    L = 3..4 within 16384,
//                                                     L = 5..11 within 2048
//                               3 + cost[i+L][k'] )   L = 5..260 within 16384
//   with k' = (k + 1) mod 8.
//
// Which lengths are open at i follows from two numbers (longest_matches.h):
// the longest match within 2048 and within 16384. Every shorter length at
// the same distance is a match too, so the two-byte lengths form one run
// (3 up to 4 or up to the near length, at most 11) and the three-byte ones
// another (5 up to the far length). Both runs start at a fixed offset from
// i, so the minimum over a run is a running minimum of cost[j][k'] from
// j = i + 5 on; the long run keeps it in a monotone stack per state (the
// positions whose cost is below every cost before them), prepended as i
// moves back and searched by halving: O(log 256) per state and position. The
// short run is at most nine entries and is read directly.
//
// The table is filled from the end back; the stream is then written from the
// start by following, at each step, a token whose cost plus the table entry
// it leads to equals the entry it leaves. No choice is stored: cost[i][k]
// differs from cost[i][0] by at most one (the same tokens open at most one
// more group from another state), so a position keeps cost[i][0] and seven
// two-bit differences. With the matches, the input and the table, a search
// takes about 15 bytes per input byte.
#include "optimal_parse.h"

#include "longest_matches.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"

#include <algorithm>
#include <array>
#include <climits>
#include <new>
#include <vector>

namespace codec {
namespace {

constexpr unsigned STATES = TOKENS_PER_GROUP;
constexpr std::uint32_t LITERAL_BYTES = 1;
constexpr std::uint32_t SHORT_MATCH_BYTES = 2;  // MATCH_3, MATCH_4, MATCH_NEAR
constexpr std::uint32_t LONG_MATCH_BYTES = 3;   // MATCH_FAR
constexpr std::uint32_t END_MARK_BYTES = 1;
// The long run starts here; a MATCH_FAR of a length that a MATCH_NEAR could
// hold is never cheaper, so including those lengths changes no minimum.
constexpr unsigned LONG_RUN_START = MIN_NEAR_LENGTH;
constexpr unsigned LONG_RUN_SPAN = MAX_MATCH_LENGTH - LONG_RUN_START + 1;  // positions a run can cover
constexpr unsigned STACK_SIZE = 512;  // a power of two above LONG_RUN_SPAN + 1

static_assert(STACK_SIZE > LONG_RUN_SPAN + 1);
static_assert(2 * (STATES - 1) <= 16, "seven two-bit differences fit a 16-bit word");

std::uint32_t open_cost(unsigned k)
{
    return k == 0 ? 1 : 0;
}

// cost[i][k] for every position i (0..n) and state k.
class CostTable {
public:
    explicit CostTable(std::size_t positions) : base_(positions), spread_(positions) {}

    std::uint32_t at(std::size_t i, unsigned k) const
    {
        if (k == 0)
            return base_[i];
        return base_[i] + ((spread_[i] >> (2 * (k - 1))) & 3u) - 1;
    }

    void set(std::size_t i, const std::array<std::uint32_t, STATES>& cost)
    {
        unsigned spread = 0;
        for (unsigned k = 1; k < STATES; ++k)
            spread |= (cost[k] + 1 - cost[0]) << (2 * (k - 1));
        base_[i] = cost[0];
        spread_[i] = static_cast<std::uint16_t>(spread);
    }

private:
    std::vector<std::uint32_t> base_;    // cost[i][0]
    std::vector<std::uint16_t> spread_;  // cost[i][k] - cost[i][0] + 1, two bits for each k >= 1
};

// The running minimum of one state's costs from a start position on, over
// at most LONG_RUN_SPAN positions, as the start moves back one at a time.
class RunningMinimum {
public:
    // Makes `position` (one before the last start) the start, with `cost`.
    void prepend(std::uint32_t position, std::uint32_t cost)
    {
        // Out of reach of every run from here on.
        while (bottom_ != top_ && entry(bottom_).position >= position + LONG_RUN_SPAN)
            ++bottom_;
        // Entries no cheaper than the new one are hidden behind it.
        while (top_ != bottom_ && entry(top_ - 1).cost >= cost)
            --top_;
        entries_[top_ % STACK_SIZE] = {position, cost};
        ++top_;
    }

    // The least cost from the start through `last` (start <= last).
    std::uint32_t through(std::uint32_t last) const
    {
        // Positions fall from bottom to top; find the lowest index at or
        // below `last`, whose cost is the least of the run.
        std::uint32_t low = bottom_;
        std::uint32_t high = top_ - 1;
        while (low < high) {
            std::uint32_t middle = low + (high - low) / 2;
            if (entry(middle).position <= last)
                high = middle;
            else
                low = middle + 1;
        }
        return entry(low).cost;
    }

private:
    struct Entry {
        std::uint32_t position;
        std::uint32_t cost;
    };

    const Entry& entry(std::uint32_t index) const { return entries_[index % STACK_SIZE]; }

    std::array<Entry, STACK_SIZE> entries_ = {};
    std::uint32_t bottom_ = 0;  // farthest position still in reach
    std::uint32_t top_ = 0;     // one past the start
};

// The longest two-byte match at a position: MATCH_3 and MATCH_4 at any
// distance the far match has, MATCH_NEAR up to the near length. 0 if none.
unsigned short_run_end(const LongestMatches& found)
{
    if (found.far_length < MIN_MATCH_LENGTH)
        return 0;
    return std::max<unsigned>(std::min<unsigned>(found.far_length, 4),
                              std::min<unsigned>(found.near_length, MAX_NEAR_LENGTH));
}

void fill_costs(std::span<const LongestMatches> found, CostTable& table)
{
    std::size_t n = found.size();
    std::array<std::uint32_t, STATES> cost;
    for (unsigned k = 0; k < STATES; ++k)
        cost[k] = open_cost(k) + END_MARK_BYTES;
    table.set(n, cost);

    std::array<RunningMinimum, STATES> long_runs;
    for (std::size_t i = n; i-- > 0;) {
        std::size_t run_start = i + LONG_RUN_START;
        if (run_start <= n)
            for (unsigned s = 0; s < STATES; ++s)
                long_runs[s].prepend(static_cast<std::uint32_t>(run_start), table.at(run_start, s));

        unsigned short_end = short_run_end(found[i]);
        unsigned long_end = found[i].far_length;
        for (unsigned k = 0; k < STATES; ++k) {
            unsigned next = (k + 1) % STATES;
            std::uint32_t least = LITERAL_BYTES + table.at(i + 1, next);
            for (unsigned length = MIN_MATCH_LENGTH; length <= short_end; ++length)
                least = std::min(least, SHORT_MATCH_BYTES + table.at(i + length, next));
            if (long_end >= LONG_RUN_START)
                least = std::min(least, LONG_MATCH_BYTES +
                                            long_runs[next].through(static_cast<std::uint32_t>(i + long_end)));
            cost[k] = open_cost(k) + least;
        }
        table.set(i, cost);
    }
}

// Follows the table from the start and writes the tokens of one cheapest path.
void write_path(std::span<const std::uint8_t> input, std::span<const LongestMatches> found,
                const CostTable& table, TokenWriter& writer)
{
    std::size_t i = 0;
    unsigned k = 0;
    while (i < input.size()) {
        unsigned next = (k + 1) % STATES;
        std::uint32_t rest = table.at(i, k) - open_cost(k);
        const LongestMatches& here = found[i];
        auto leads_on = [&](std::uint32_t bytes, unsigned length) {
            return bytes + table.at(i + length, next) == rest;
        };
        unsigned length = 0;
        int distance = 0;
        for (unsigned l = here.far_length; l >= LONG_RUN_START && length == 0; --l)
            if (leads_on(LONG_MATCH_BYTES, l)) {
                length = l;
                distance = here.far_distance;
            }
        for (unsigned l = short_run_end(here); l >= MIN_MATCH_LENGTH && length == 0; --l)
            if (leads_on(SHORT_MATCH_BYTES, l)) {
                length = l;
                distance = l < MIN_NEAR_LENGTH ? here.far_distance : here.near_distance;
            }
        // A literal is always a valid step; the table makes it the only
        // cheapest one left when no match leads on.
        if (length == 0) {
            put_literal(writer, input[i]);
            length = 1;
        } else {
            put_match(writer, static_cast<int>(length), distance);
        }
        i += length;
        k = next;
    }
    finish(writer);
}

std::vector<std::uint8_t> read_to_end(std::FILE* input)
{
    constexpr std::size_t BLOCK = std::size_t{1} << 20;
    std::vector<std::uint8_t> bytes;
    for (;;) {
        std::size_t size = bytes.size();
        bytes.resize(size + BLOCK);
        std::size_t got = std::fread(bytes.data() + size, 1, BLOCK, input);
        bytes.resize(size + got);
        if (got < BLOCK)
            return bytes;
    }
}

}  // namespace

void encode_smallest(std::span<const std::uint8_t> input, TokenWriter& writer)
{
    std::vector<LongestMatches> found(input.size());
    find_longest_matches(input, found);
    CostTable table(input.size() + 1);
    fill_costs(found, table);
    write_path(input, found, table, writer);
}

void encode_stream_smallest(std::FILE* input, TokenWriter& writer)
{
    std::size_t read = 0;
    try {
        std::vector<std::uint8_t> bytes = read_to_end(input);
        read = bytes.size();
        encode_smallest(bytes, writer);
    } catch (const std::bad_alloc&) {
        toolrt::fail(toolrt::EXIT_MEMORY, toolrt::MSG_NO_MEMORY_SEARCH,
                     static_cast<int>(std::min<std::size_t>(read, INT_MAX)));
    }
}

}  // namespace codec
