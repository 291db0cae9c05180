// The JSON report (see json_report.h), written out by hand: the object is
// small and fixed, and every value is a count, a name or a number the text
// report already printed.
#include "lzsunpack/json_report.h"

#include "lzsunpack/report.h"
#include "lzsunpack/text_escape.h"
#include "toolrt/format.h"

#include <cinttypes>
#include <utility>
#include <vector>

namespace lzsunpack {
namespace {

using Member = std::pair<const char*, std::string>;

std::string number(std::uint64_t value) { return std::to_string(value); }

// A cell of the text table: "-" has no number.
std::string cell(const std::string& text) { return text == "-" ? "null" : text; }

// {"a": 1, "b": 2} on one line, or one member a line at `indent`.
std::string object(const std::vector<Member>& members, const char* indent = nullptr)
{
    std::string text = "{";
    for (std::size_t i = 0; i < members.size(); ++i) {
        text += i == 0 ? "" : ",";
        text += indent != nullptr ? std::string("\n") + indent : i == 0 ? "" : " ";
        text += json_string(members[i].first) + ": " + members[i].second;
    }
    // The closing brace one level out from the members.
    std::string outer = indent != nullptr ? std::string(indent).substr(2) : "";
    return text + (indent != nullptr ? "\n" + outer + "}" : "}");
}

std::string tokens(const codec::DecodeStats& stats)
{
    std::vector<Member> rows;
    for (const TokenCounts& row : token_counts(stats))
        rows.emplace_back(row.key, object({{"tokens", number(row.tokens)}, {"bytes", number(row.bytes)}}));
    return object(rows);
}

// As the -v line prints it, to two decimals.
std::string mean_match(const codec::DecodeStats& stats)
{
    MatchTotals totals = match_totals(stats);
    if (totals.matches == 0)
        return "null";
    double count = static_cast<double>(totals.matches);
    return object(
        {{"length", toolrt::format_text("%.2f", static_cast<double>(totals.bytes) / count)},
         {"distance", toolrt::format_text("%.2f", static_cast<double>(stats.distance_sum) / count)}});
}

std::string margin(const codec::InPlaceMargin& figures)
{
    return object({{"S", number(figures.offset)}, {"D", number(figures.end_margin)}});
}

std::string in_place(const std::optional<InPlace>& figures)
{
    if (!figures)
        return "null";
    return object({{"stream", margin(figures->stream)}, {"file", margin(figures->file)}});
}

std::string headroom(const std::optional<Headroom>& room)
{
    if (!room)
        return "null";
    std::string free = room->used > room->capacity
                           ? std::string("-").append(number(room->used - room->capacity))
                           : number(room->capacity - room->used);
    return object({{"image", json_string(room->image)},
                   {"capacity", number(room->capacity)},
                   {"used", number(room->used)},
                   {"free", free},
                   {"fits", room->used <= room->capacity ? "true" : "false"}});
}

std::string range(const MapRow& row)
{
    return object({{"offset", cell(row.offset)},
                   {"length", row.length},
                   {"packed", row.packed},
                   {"per_byte", cell(row.per_byte)},
                   {"literals", cell(row.literals)}});
}

// One range a line: a map of thousands of ranges stays readable.
std::string map(const std::optional<MapView>& view)
{
    if (!view)
        return "null";
    std::string ranges = "[";
    for (std::size_t i = 0; i < view->rows.size(); ++i)
        ranges += (i == 0 ? "\n      " : ",\n      ") + range(view->rows[i]);
    ranges += "\n    ]";
    std::string costliest = "[";
    for (std::size_t i = 0; i < view->costliest.size(); ++i)
        costliest.append(i == 0 ? "" : ", ").append(number(view->costliest[i]));
    MapRow total = view->total;
    total.offset.assign(1, '0');
    return object({{"range_bytes", number(view->range_bytes)},
                   {"ranges", ranges},
                   {"total", range(total)},
                   {"costliest", costliest + "]"}},
                  "    ");
}

}  // namespace

std::string format_json(const ImageFacts& facts)
{
    return object(
               {
                   {"file", json_string(facts.name)},
                   {"kind", json_string(kind_info(facts.kind).name)},
                   {"packed", number(facts.packed)},
                   {"unpacked", number(facts.unpacked)},
                   {"stream", number(facts.stream)},
                   {"tokens", tokens(facts.stats)},
                   {"mean_match", mean_match(facts.stats)},
                   {"headroom", headroom(facts.headroom)},
                   {"map", map(facts.map)},
                   {"in_place", in_place(facts.in_place)},
               },
               "  ") +
           "\n";
}

}  // namespace lzsunpack
