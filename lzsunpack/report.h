// What lzsunpack prints on stdout after a successful run.
//
// One line per file, in the shape of the packers' ratio line:
//   "%12s: %-4s %8d --> %8d\n"   name, kind, packed size, unpacked size
// (the name padded to 12 characters, not bytes, so a UTF-8 name keeps the
// columns)
// and with -v the token statistics of the stream, one line per class of
// token, then the mean match:
//   "  literals  %8d tokens %8d bytes\n"   (and match 3, match 4, ...)
//   "  mean match length %.2f, distance %.2f\n"   or "  mean match: none\n"
// and, for the kinds a scrambler takes (a .lzs for chkps.pak, zq_app.bin for
// zq_app2.bin), whether the file fits that image:
//   "  fits chkps.pak: 2748 of 3600 bytes, 852 free\n"
//   "  does not fit chkps.pak: 3712 bytes, 112 more than the 3600-byte image\n"
// and the in-place margins (codec/in_place_margin.h) of the token stream and
// of the whole file as a loader loads it, header words read first:
//   "  in place, token stream: S 1234, D 56\n"
//   "  in place, whole file:   S 1226, D 56\n"
#pragma once

#include "codec/decoder.h"
#include "lzsunpack/cost_map.h"
#include "lzsunpack/image_kind.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lzsunpack {

std::string format_report(const char* name, ImageKind kind, std::uint64_t packed, std::uint64_t unpacked);

// The token counts of -v, one row per kind a user tells apart, with the
// name the text prints and the one the JSON report uses.
struct TokenCounts {
    const char* label;
    const char* key;
    std::uint64_t tokens;
    std::uint64_t bytes;
};
std::vector<TokenCounts> token_counts(const codec::DecodeStats& stats);

// All matches together: how many, and the bytes they produced.
struct MatchTotals {
    std::uint64_t matches;
    std::uint64_t bytes;
};
MatchTotals match_totals(const codec::DecodeStats& stats);

std::string format_statistics(const codec::DecodeStats& stats);

// The fit line for a file of `packed` bytes; empty for the scrambled kinds.
std::string format_fit(ImageKind kind, std::uint64_t packed);

// The in-place lines for `image`, an image of `kind` that unpacks.
std::string format_in_place(const std::optional<InPlace>& in_place);

}  // namespace lzsunpack
