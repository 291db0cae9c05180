// Charging a stream's bytes to the output bytes they produced (see
// byte_costs.h). A token's units go to the ranges its bytes fall in: the
// bytes [a, b) of a match of L bytes costing C units cost floor(C b / L) -
// floor(C a / L), the sum of the per-byte shares, so no range ever holds a
// fraction and the shares of all ranges add up to C.
#include "byte_costs.h"

#include <algorithm>

namespace codec {
namespace {

constexpr unsigned FLAG_SHARE = COST_UNITS_PER_BYTE / TOKENS_PER_GROUP;
static_assert(FLAG_SHARE * TOKENS_PER_GROUP == COST_UNITS_PER_BYTE, "a flag byte splits into whole units");

class RangeCharger {
public:
    RangeCharger(std::vector<RangeCost>& ranges, std::uint64_t range_bytes)
        : ranges_(ranges), range_bytes_(range_bytes)
    { }

    // Charges `units` to the `length` bytes from `offset` on.
    void charge(std::uint64_t offset, std::uint64_t length, std::uint64_t units, bool literal)
    {
        std::uint64_t done = 0;
        std::uint64_t charged = 0;
        while (done < length) {
            std::uint64_t at = offset + done;
            RangeCost& range = range_at(at);
            std::uint64_t span = std::min(length - done, range.offset + range_bytes_ - at);
            range.length += span;
            done += span;
            std::uint64_t share = units * done / length - charged;
            charged += share;
            range.units += share;
            if (literal)
                range.literal_units += share;
        }
    }

    // Charges `units` to the last range, made if there is none.
    void charge_last(std::uint64_t units)
    {
        if (ranges_.empty())
            ranges_.push_back({0, 0, 0, 0});
        ranges_.back().units += units;
    }

private:
    // The output is produced in order, so a new range is always the next one.
    RangeCost& range_at(std::uint64_t offset)
    {
        if (ranges_.empty() || offset >= ranges_.back().offset + range_bytes_)
            ranges_.push_back({offset / range_bytes_ * range_bytes_, 0, 0, 0});
        return ranges_.back();
    }

    std::vector<RangeCost>& ranges_;
    std::uint64_t range_bytes_;
};

}  // namespace

CostMap map_costs(const std::uint8_t* stream, std::size_t size, std::uint64_t range_bytes)
{
    CostMap map;
    range_bytes = std::max<std::uint64_t>(range_bytes, 1);
    RangeCharger charger(map.ranges, range_bytes);
    std::uint64_t produced = 0;
    std::uint64_t tokens = 0;
    bool under_run = false;
    std::size_t end = for_each_token(stream, size, [&](const Token& token) {
        std::uint64_t units = COST_UNITS_PER_BYTE * token_table[token.token].bytes + FLAG_SHARE;
        ++tokens;
        if (token.token == END_MARK) {
            // The last group's unused flag bits are the end mark's too.
            std::uint64_t unused = (TOKENS_PER_GROUP - tokens % TOKENS_PER_GROUP) % TOKENS_PER_GROUP;
            map.end_units = units + unused * FLAG_SHARE;
            return true;
        }
        bool literal = token.token == LITERAL_LOW || token.token == LITERAL_HIGH;
        if (!literal && token.distance > produced) {
            under_run = true;
            return false;
        }
        charger.charge(produced, token.length, units, literal);
        produced += token.length;
        return true;
    });
    if (end == 0 || under_run)
        return CostMap{};
    charger.charge_last(map.end_units);
    map.well_formed = true;
    map.stream_size = end;
    map.output_size = produced;
    return map;
}

}  // namespace codec
