// lzsunpack's long options, which add to what it prints about the image:
//
//   --map          after the report, a table of 64 ranges of the original,
//                  each with the stream bytes it cost
//   --map=BYTES    the same with BYTES bytes per range
//   --map=FILE.svg the map as a picture, written to FILE.svg (a name ending
//                  in .svg); the same as --svg FILE.svg
//   --svg FILE     the picture, written to FILE
//   --json         the whole report as one JSON object instead of the text
//
// They come among the flags, before the first file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lzsunpack {

inline constexpr std::uint64_t MAP_RANGES = 64;  // without --map=BYTES: enough to see, few enough to read

struct ReportOptions {
    bool map_table = false;          // --map, --map=BYTES
    std::uint64_t range_bytes = 0;   // --map=BYTES; 0: the original over MAP_RANGES ranges
    std::optional<std::string> svg;  // --svg FILE, --map=FILE.svg
    bool json = false;               // --json

    bool wants_map() const { return map_table || svg.has_value(); }
};

enum class ReportOption {
    READ,      // taken into `options`
    NOT_ONE,   // not one of these options
    BAD_VALUE  // --map=X with X neither a count of bytes nor an .svg name, --svg without a name
};

// Reads the long option `arg`, taking --svg's name from args[next].
ReportOption read_report_option(const std::string& arg, const std::vector<std::string>& args,
                                std::size_t& next, ReportOptions& options);

// The ranges' size for an original of `size` bytes: range_bytes, or
// MAP_RANGES ranges (at least one byte each).
std::uint64_t range_bytes_for(const ReportOptions& options, std::uint64_t size);

}  // namespace lzsunpack
