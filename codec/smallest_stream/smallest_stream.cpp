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
// another (5 up to the far length). So a position needs two range minima of
// the costs ahead, for all eight states at once; blocks of 16 with their
// minima, and each position's minimum to its block's end and from its
// block's start, answer one with at most 18 eight-wide minima, whatever the
// input (ReachableCosts). Nothing depends on how matches are distributed.
//
// The table is filled from the end back; the stream is then written from the
// start by following, at each step, a token whose cost plus the table entry
// it leads to equals the entry it leaves. No choice is stored: cost[i][k]
// differs from cost[i][0] by at most one (the same tokens open at most one
// more group from another state), so a position keeps cost[i][0] and seven
// two-bit differences. With the matches, the input and the table, a search
// takes about 15 bytes per input byte.
#include "smallest_stream.h"

#include "longest_matches.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>

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
static_assert(2 * (STATES - 1) <= 16, "seven two-bit differences fit a 16-bit word");

std::uint32_t open_cost(unsigned k) { return k == 0 ? 1 : 0; }

// cost[i][k] for every position i (0..n) and state k.
class CostTable {
public:
    // Every entry is set before it is read: no need to clear them first.
    explicit CostTable(std::size_t positions)
        : base_(std::make_unique_for_overwrite<std::uint32_t[]>(positions)),
          spread_(std::make_unique_for_overwrite<std::uint16_t[]>(positions))
    { }

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
    std::unique_ptr<std::uint32_t[]> base_;    // cost[i][0]
    std::unique_ptr<std::uint16_t[]> spread_;  // cost[i][k] - cost[i][0] + 1, two bits for each k >= 1
};

using Costs = std::array<std::uint32_t, STATES>;

void keep_less(Costs& least, const Costs& other)
{
    for (unsigned s = 0; s < STATES; ++s)
        least[s] = std::min(least[s], other[s]);
}

// The costs of the positions a match from the current one can reach, all
// states at once, with the minima over any run of them. The positions are
// cut into aligned blocks of BLOCK; each position keeps the minimum from it
// to its block's end and from its block's start to it, and each block its
// minimum, so a run that spans blocks is the first's tail, the last's head
// and the whole blocks between: at most MAX_MATCH_LENGTH / BLOCK + 2 minima
// of eight. Filled from the end back; a block's heads are known once its
// first position is.
class ReachableCosts {
public:
    const Costs& at(std::size_t position) const { return slot(position).cost; }

    void add(std::size_t position, const Costs& cost, bool ends_block)
    {
        Slot& here = slot(position);
        here.cost = cost;
        here.to_block_end = cost;
        here.last = ends_block;
        if (!ends_block && (position + 1) % BLOCK != 0)
            keep_less(here.to_block_end, slot(position + 1).to_block_end);
        if (position % BLOCK == 0) {
            Costs least = cost;
            for (std::size_t j = position; j < position + BLOCK; ++j) {
                keep_less(least, slot(j).cost);
                slot(j).from_block_start = least;
                if (slot(j).last)
                    break;
            }
            block_minimum(position / BLOCK) = least;
        }
    }

    // The least cost per state over positions first..last (first <= last).
    Costs least(std::size_t first, std::size_t last) const
    {
        std::size_t first_block = first / BLOCK;
        std::size_t last_block = last / BLOCK;
        if (first_block == last_block) {
            Costs least = at(first);
            for (std::size_t j = first + 1; j <= last; ++j)
                keep_less(least, at(j));
            return least;
        }
        Costs least = slot(first).to_block_end;
        keep_less(least, slot(last).from_block_start);
        for (std::size_t b = first_block + 1; b < last_block; ++b)
            keep_less(least, block_minimum(b));
        return least;
    }

private:
    static constexpr std::size_t BLOCK = 16;
    static constexpr std::size_t SLOTS = 512;  // a power of two beyond MAX_MATCH_LENGTH + 2 * BLOCK
    static_assert(SLOTS > MAX_MATCH_LENGTH + 2 * BLOCK && SLOTS % BLOCK == 0);

    struct Slot {
        Costs cost;
        Costs to_block_end;
        Costs from_block_start;
        bool last;  // the input's end: its block's head stops here
    };

    Slot& slot(std::size_t position) { return slots_[position % SLOTS]; }
    const Slot& slot(std::size_t position) const { return slots_[position % SLOTS]; }
    Costs& block_minimum(std::size_t block) { return blocks_[block % (SLOTS / BLOCK)]; }
    const Costs& block_minimum(std::size_t block) const { return blocks_[block % (SLOTS / BLOCK)]; }

    std::array<Slot, SLOTS> slots_ = {};
    std::array<Costs, SLOTS / BLOCK> blocks_ = {};
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

Costs plus(Costs costs, std::uint32_t bytes)
{
    for (std::uint32_t& cost : costs)
        cost += bytes;
    return costs;
}

void fill_costs(std::span<const LongestMatches> found, CostTable& table, const Progress* progress)
{
    std::size_t n = found.size();
    auto reachable = std::make_unique<ReachableCosts>();
    Costs cost;
    for (unsigned k = 0; k < STATES; ++k)
        cost[k] = open_cost(k) + END_MARK_BYTES;
    table.set(n, cost);
    reachable->add(n, cost, true);

    for (std::size_t i = n; i-- > 0;) {
        if (i % PROGRESS_STEP == 0)
            report_progress(progress, 2 * std::uint64_t{n} - i, 2 * std::uint64_t{n});
        // least[s]: the cheapest way on from i to the state s the token leads to.
        Costs least = plus(reachable->at(i + 1), LITERAL_BYTES);
        unsigned short_end = short_run_end(found[i]);
        if (short_end >= MIN_MATCH_LENGTH)
            keep_less(least, plus(reachable->least(i + MIN_MATCH_LENGTH, i + short_end), SHORT_MATCH_BYTES));
        unsigned long_end = found[i].far_length;
        if (long_end >= LONG_RUN_START)
            keep_less(least, plus(reachable->least(i + LONG_RUN_START, i + long_end), LONG_MATCH_BYTES));
        for (unsigned k = 0; k < STATES; ++k)
            cost[k] = open_cost(k) + least[(k + 1) % STATES];
        table.set(i, cost);
        reachable->add(i, cost, false);
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

// The search's tables, built for `input`; throws std::bad_alloc, which the
// two entry points below turn into their results.
struct Search {
    std::unique_ptr<LongestMatches[]> matches;
    std::span<const LongestMatches> found;
    CostTable table;

    Search(std::span<const std::uint8_t> input, const Progress* progress)
        : matches(std::make_unique_for_overwrite<LongestMatches[]>(input.size())),
          found(matches.get(), input.size()), table(input.size() + 1)
    {
        std::span<LongestMatches> filled(matches.get(), input.size());
        find_longest_matches(input, filled, progress);
        fill_costs(found, table, progress);
    }
};

}  // namespace

EncodeError encode_smallest(std::span<const std::uint8_t> input, TokenWriter& writer,
                            const Progress* progress)
{
    std::unique_ptr<Search> search;
    try {
        search = std::make_unique<Search>(input, progress);
    } catch (const std::bad_alloc&) {
        return EncodeError::NO_MEMORY;
    }
    write_path(input, search->found, search->table, writer);
    return writer.error;
}

std::uint64_t smallest_stream_size(std::span<const std::uint8_t> input)
{
    try {
        return Search(input, nullptr).table.at(0, 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

}  // namespace codec
