// What each byte of a stream's output cost: the stream bytes that produced
// it, charged to output bytes and summed per range of the output.
//
// Costs are whole units of an eighth of a stream byte, so that a flag byte
// is shared without fractions: each of a group's tokens takes one unit of
// its flag byte, and a token costs COST_UNITS_PER_BYTE units per byte of its
// own plus that one. A literal's 9 units go to the byte it produces. A
// match's units are spread over the bytes it copies: of a match of L bytes
// costing C units, byte i gets floor(C (i + 1) / L) - floor(C i / L), so
// every byte holds whole units and the bytes of a token add up to its cost.
// The end mark takes its own units and the units of the last group's unused
// flag bits, and is charged to the last range. The units of all ranges
// therefore add up to exactly COST_UNITS_PER_BYTE times the stream's size.
//
// The walk reads each token once and copies nothing: its work is linear in
// the number of tokens and ranges, its memory one RangeCost per range.
// It checks what a decoder checks (a match reaching before the start, a
// stream ending before its end mark or inside a token) and reports such a
// stream as not well formed, but it bounds no output: a caller that maps an
// untrusted stream decodes it first, as lzsunpack does.
#pragma once

#include "token_layout.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace codec {

inline constexpr unsigned COST_UNITS_PER_BYTE = TOKENS_PER_GROUP;

// One range of the output and what it cost.
struct RangeCost {
    std::uint64_t offset;         // of its first output byte
    std::uint64_t length;         // output bytes in it
    std::uint64_t units;          // what its bytes cost, in COST_UNITS_PER_BYTE per stream byte
    std::uint64_t literal_units;  // the part of `units` that literals cost
};

struct CostMap {
    bool well_formed = false;       // false: the ranges are empty and nothing else is set
    std::uint64_t stream_size = 0;  // up to and with the end mark
    std::uint64_t output_size = 0;
    std::uint64_t end_units = 0;    // the end mark's cost, included in the last range
    std::vector<RangeCost> ranges;  // of range_bytes each, the last one shorter; one empty range
                                    // for an empty output, so that the end mark has a place
};

// Maps the costs of the stream at [stream, stream + size) onto ranges of
// `range_bytes` (at least 1) output bytes each; with 1, the cost of every
// output byte. Bytes after the end mark are not part of the stream.
CostMap map_costs(const std::uint8_t* stream, std::size_t size, std::uint64_t range_bytes);

}  // namespace codec
