// The facts of an unpacked image and the --map table (see cost_map.h).
// Every number is made with integer arithmetic from the map's units, so the
// packed column of the ranges adds up to the stream size to the last digit.
#include "lzsunpack/cost_map.h"

#include "toolrt/format.h"

#include <algorithm>
#include <array>
#include <cinttypes>

namespace lzsunpack {
namespace {

constexpr std::uint64_t UNITS = codec::COST_UNITS_PER_BYTE;
constexpr std::uint64_t THOUSANDTHS = 1000;  // three decimals
constexpr std::uint64_t TENTHS = 10;
constexpr std::uint64_t EIGHTH_IN_THOUSANDTHS = THOUSANDTHS / UNITS;  // 0.125: an eighth prints exactly
static_assert(EIGHTH_IN_THOUSANDTHS * UNITS == THOUSANDTHS, "an eighth of a byte prints in three decimals");

// `numerator` / `denominator` rounded half up, in units of 1 / `scale`,
// printed with `decimals` decimals.
std::string fixed_point(std::uint64_t numerator, std::uint64_t denominator, std::uint64_t scale, int decimals)
{
    std::uint64_t scaled = (2 * numerator * scale + denominator) / (2 * denominator);
    return toolrt::format_text("%" PRIu64 ".%0*" PRIu64, scaled / scale, decimals, scaled % scale);
}

std::optional<Headroom> headroom_of(ImageKind kind, std::uint64_t packed, std::uint64_t stream)
{
    const KindInfo& info = kind_info(kind);
    // A .lzs or zq_app.bin goes whole into its image; of a scrambled image
    // only the header and the stream are known to have come from the file.
    ImageKind target = kind == ImageKind::LZS   ? ImageKind::PAK
                       : kind == ImageKind::APP ? ImageKind::APP2
                                                : kind;
    const KindInfo& image = kind_info(target);
    std::uint64_t used = info.fixed_size == 0 ? packed : info.stream_offset + stream;
    std::uint64_t header = used - stream;
    std::uint64_t capacity = image.fixed_size;
    return Headroom{image.fixed_name, used, capacity, capacity > header ? capacity - header : 0};
}

MapRow row_of(const codec::RangeCost& range)
{
    return {std::to_string(range.offset), std::to_string(range.length), packed_bytes(range.units),
            per_byte(range.units, range.length), percentage(range.literal_units, range.units)};
}

MapView map_view(const std::vector<std::uint8_t>& stream, std::uint64_t unpacked,
                 const ReportOptions& options)
{
    MapView view;
    view.range_bytes = range_bytes_for(options, unpacked);
    view.costs = codec::map_costs(stream.data(), stream.size(), view.range_bytes);
    codec::RangeCost total{0, 0, 0, 0};
    for (const codec::RangeCost& range : view.costs.ranges) {
        view.rows.push_back(row_of(range));
        total.length += range.length;
        total.units += range.units;
        total.literal_units += range.literal_units;
    }
    view.total = row_of(total);
    view.total.offset = "total";

    std::vector<std::size_t> order(view.rows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::size_t shown = std::min(COSTLIEST_RANGES, order.size());
    const std::vector<codec::RangeCost>& ranges = view.costs.ranges;
    // Ties go to the earlier range, so the list is the same on every run.
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(shown), order.end(),
                      [&ranges](std::size_t a, std::size_t b) {
                          return ranges[a].units != ranges[b].units ? ranges[a].units > ranges[b].units
                                                                    : a < b;
                      });
    order.resize(shown);
    view.costliest = order;
    return view;
}

// Right-aligned columns as wide as their widest cell, two spaces apart.
class Table {
public:
    void add(const MapRow& row)
    {
        rows_.push_back({row.offset, row.length, row.packed, row.per_byte, row.literals});
        for (std::size_t column = 0; column < COLUMNS; ++column)
            widths_[column] = std::max(widths_[column], rows_.back()[column].size());
    }

    std::string line(std::size_t row) const
    {
        std::string text;
        for (std::size_t column = 0; column < COLUMNS; ++column)
            text += std::string(widths_[column] - rows_[row][column].size() + 2, ' ') + rows_[row][column];
        return text + "\n";
    }

private:
    static constexpr std::size_t COLUMNS = 5;
    std::vector<std::array<std::string, COLUMNS>> rows_;
    std::array<std::size_t, COLUMNS> widths_ = {};
};

const MapRow HEADINGS = {"offset", "length", "packed", "per byte", "literals"};

std::string percent_cell(const std::string& cell) { return cell == "-" ? cell : cell + "%"; }

}  // namespace

std::uint64_t stream_size(const codec::DecodeStats& stats)
{
    std::uint64_t tokens = 0;
    std::uint64_t bytes = 0;
    for (unsigned token = 0; token < codec::TOKEN_CLASSES; ++token) {
        tokens += stats.tokens[token];
        bytes += stats.tokens[token] * codec::token_table[token].bytes;
    }
    return bytes + (tokens + codec::TOKENS_PER_GROUP - 1) / codec::TOKENS_PER_GROUP;
}

ImageFacts gather_facts(const std::string& name, ImageKind kind, std::uint64_t packed, std::uint64_t unpacked,
                        const codec::DecodeStats& stats, const std::vector<std::uint8_t>& stream,
                        const ReportOptions& options)
{
    ImageFacts facts;
    facts.name = name;
    facts.kind = kind;
    facts.packed = packed;
    facts.unpacked = unpacked;
    facts.stream = stream_size(stats);
    facts.stats = stats;
    facts.headroom = headroom_of(kind, packed, facts.stream);
    if (options.wants_map())
        facts.map = map_view(stream, unpacked, options);
    if (std::optional<codec::InPlaceMargin> margin = codec::in_place_margin(stream.data(), stream.size()))
        facts.in_place =
            InPlace{*margin, codec::file_in_place_margin(*margin, kind_info(kind).stream_offset, packed)};
    return facts;
}

std::string packed_bytes(std::uint64_t units)
{
    return toolrt::format_text("%" PRIu64 ".%03" PRIu64, units / UNITS,
                               units % UNITS * EIGHTH_IN_THOUSANDTHS);
}

std::string per_byte(std::uint64_t units, std::uint64_t bytes)
{
    return bytes == 0 ? "-" : fixed_point(units, bytes * UNITS, THOUSANDTHS, 3);
}

std::string percentage(std::uint64_t part, std::uint64_t whole)
{
    return whole == 0 ? "-" : fixed_point(part * 100, whole, TENTHS, 1);
}

std::string ranges_of(const MapView& map)
{
    std::uint64_t count = map.rows.size();
    return toolrt::format_text("%" PRIu64 " range%s of %" PRIu64 " byte%s", count, count == 1 ? "" : "s",
                               map.range_bytes, map.range_bytes == 1 ? "" : "s");
}

std::string format_map(const ImageFacts& facts)
{
    std::string text;
    if (facts.map) {
        const MapView& map = *facts.map;
        text += toolrt::format_text("  cost map: %" PRIu64 " stream bytes in %s\n", map.costs.stream_size,
                                    ranges_of(map).c_str());
        // One table for both lists, so that their columns line up too.
        Table table;
        auto add = [&table](MapRow row) {
            row.literals = percent_cell(row.literals);
            table.add(row);
        };
        table.add(HEADINGS);
        for (const MapRow& row : map.rows)
            add(row);
        add(map.total);
        for (std::size_t index : map.costliest)
            add(map.rows[index]);
        std::size_t line = 0;
        for (; line < map.rows.size() + 2; ++line)
            text += table.line(line);
        text += "  costliest ranges:\n" + table.line(0);
        for (; line < map.rows.size() + 2 + map.costliest.size(); ++line)
            text += table.line(line);
    }
    if (facts.headroom) {
        const Headroom& room = *facts.headroom;
        bool over = room.used > room.capacity;
        text += toolrt::format_text("  capacity of %s: %" PRIu64 " of %" PRIu64 " bytes, %" PRIu64 " %s\n",
                                    room.image, room.used, room.capacity,
                                    over ? room.used - room.capacity : room.capacity - room.used,
                                    over ? "over" : "under");
    }
    return text;
}

}  // namespace lzsunpack
