// What lzsunpack knows of an image once it is unpacked, in the form its
// three further reports print it: the --map table (here), the JSON object
// (json_report.h) and the picture (svg_map.h). Every number they show is
// made here once, as the text the table prints, so that the three never
// disagree.
//
// The --map table, after the report line (and the -v lines):
//   "  cost map: %d stream bytes in %d ranges of %d bytes\n" (1 range, 1 byte)
//   a table of offset, length, packed (stream bytes, exact to the eighth),
//   per byte (packed bytes per original byte) and literals (the part of
//   the packed bytes that literals cost), one row per range and a total;
//   "  costliest ranges:\n" and the same columns for the five costliest;
//   "  capacity of chkps.pak: %d of %d bytes, %d under\n" (or "%d over").
// Columns are as wide as their widest cell, so any size lines up.
#pragma once

#include "codec/byte_costs.h"
#include "codec/decoder.h"
#include "codec/in_place_margin.h"
#include "lzsunpack/image_kind.h"
#include "lzsunpack/report_options.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lzsunpack {

inline constexpr std::size_t COSTLIEST_RANGES = 5;

// How much of its scrambled image a file takes: a .lzs or zq_app.bin as it
// is, the file inside a chkps.pak or zq_app2.bin as its header and stream.
struct Headroom {
    const char* image;          // chkps.pak, zq_app2.bin
    std::uint64_t used;         // bytes of the image the file takes
    std::uint64_t capacity;     // the image's size
    std::uint64_t stream_room;  // of the capacity, what is left for the stream
};

// One range's cells as printed; "-" where a number has no meaning (a
// range of no bytes, or one that cost nothing).
struct MapRow {
    std::string offset, length, packed, per_byte, literals;
};

struct MapView {
    std::uint64_t range_bytes = 0;
    codec::CostMap costs;
    std::vector<MapRow> rows;            // one per range
    MapRow total;                        // offset "total"
    std::vector<std::size_t> costliest;  // indexes of rows, costliest first
};

// The in-place margins of the token stream and of the whole file.
struct InPlace {
    codec::InPlaceMargin stream;
    codec::InPlaceMargin file;
};

struct ImageFacts {
    std::string name;
    ImageKind kind = ImageKind::LZS;
    std::uint64_t packed = 0;  // the image file's size
    std::uint64_t unpacked = 0;
    std::uint64_t stream = 0;  // the token stream's size, with its end mark
    codec::DecodeStats stats = {};
    std::optional<Headroom> headroom;
    std::optional<MapView> map;       // with --map or an SVG
    std::optional<InPlace> in_place;  // with a kept stream that decodes
};

// The token stream's size from what the decoder counted: every token's
// bytes and one flag byte per group of eight tokens.
std::uint64_t stream_size(const codec::DecodeStats& stats);

// Gathers the facts of an image unpacked to `unpacked` bytes; the map only
// when `options` asks for one, from `stream` (the image's token stream).
ImageFacts gather_facts(const std::string& name, ImageKind kind, std::uint64_t packed, std::uint64_t unpacked,
                        const codec::DecodeStats& stats, const std::vector<std::uint8_t>& stream,
                        const ReportOptions& options);

// The map's cells: packed bytes exact to the eighth ("61.250"), a count of
// units over `bytes` bytes per byte to three decimals ("0.638"), and a part
// of `whole` as a percentage to one decimal ("82.4").
std::string packed_bytes(std::uint64_t units);
std::string per_byte(std::uint64_t units, std::uint64_t bytes);
std::string percentage(std::uint64_t part, std::uint64_t whole);

// "64 ranges of 96 bytes", "1 range of 1 byte".
std::string ranges_of(const MapView& map);

// The --map table and the capacity line, as in the block above.
std::string format_map(const ImageFacts& facts);

}  // namespace lzsunpack
