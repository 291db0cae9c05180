// The report line and the token statistics (formats in report.h).
#include "lzsunpack/report.h"

#include "codec/in_place_margin.h"
#include "codec/token_stream.h"
#include "lzsunpack/unscramble.h"
#include "scramble/image.h"
#include "toolrt/format.h"

#include <cinttypes>
#include <cstdio>
#include <initializer_list>
#include <optional>

namespace lzsunpack {
namespace {

using codec::TokenClass;

struct StatisticsRow {
    const char* label;
    const char* key;
    std::initializer_list<TokenClass> classes;
};

// Literals are one row: the flag bit that splits them is the stream's
// business, not the user's. The end mark is always one and not shown.
const StatisticsRow STATISTICS_ROWS[] = {
    {"literals  ", "literals", {codec::LITERAL_LOW, codec::LITERAL_HIGH}},
    {"match 3   ", "match_3", {codec::MATCH_3}},
    {"match 4   ", "match_4", {codec::MATCH_4}},
    {"match near", "match_near", {codec::MATCH_NEAR}},
    {"match far ", "match_far", {codec::MATCH_FAR}},
};

const TokenClass MATCH_CLASSES[] = {codec::MATCH_3, codec::MATCH_4, codec::MATCH_NEAR, codec::MATCH_FAR};

}  // namespace

std::string format_report(const char* name, ImageKind kind, std::uint64_t packed, std::uint64_t unpacked)
{
    // Padded by characters, not bytes as the packers' ratio line is.
    constexpr std::size_t NAME_WIDTH = 12;
    return toolrt::format_text("%s: %-4s %8" PRIu64 " --> %8" PRIu64 "\n",
                               toolrt::pad_to_characters(name, NAME_WIDTH).c_str(), kind_info(kind).name,
                               packed, unpacked);
}

std::vector<TokenCounts> token_counts(const codec::DecodeStats& stats)
{
    std::vector<TokenCounts> rows;
    for (const StatisticsRow& row : STATISTICS_ROWS) {
        TokenCounts counts{row.label, row.key, 0, 0};
        for (TokenClass token : row.classes) {
            counts.tokens += stats.tokens[token];
            counts.bytes += stats.bytes[token];
        }
        rows.push_back(counts);
    }
    return rows;
}

MatchTotals match_totals(const codec::DecodeStats& stats)
{
    MatchTotals totals{0, 0};
    for (TokenClass token : MATCH_CLASSES) {
        totals.matches += stats.tokens[token];
        totals.bytes += stats.bytes[token];
    }
    return totals;
}

std::string format_statistics(const codec::DecodeStats& stats)
{
    std::string text;
    for (const TokenCounts& row : token_counts(stats))
        text += toolrt::format_text("  %s %8" PRIu64 " tokens %8" PRIu64 " bytes\n", row.label, row.tokens,
                                    row.bytes);

    MatchTotals totals = match_totals(stats);
    if (totals.matches == 0)
        return text + "  mean match: none\n";
    double count = static_cast<double>(totals.matches);
    return text + toolrt::format_text("  mean match length %.2f, distance %.2f\n",
                                      static_cast<double>(totals.bytes) / count,
                                      static_cast<double>(stats.distance_sum) / count);
}

std::string format_fit(ImageKind kind, std::uint64_t packed)
{
    // The scrambled image each unscrambled kind is made into.
    ImageKind target;
    if (kind == ImageKind::LZS)
        target = ImageKind::PAK;
    else if (kind == ImageKind::APP)
        target = ImageKind::APP2;
    else
        return "";
    const KindInfo& image = kind_info(target);
    std::uint64_t size = image.fixed_size;
    if (packed <= size)
        return toolrt::format_text("  fits %s: %" PRIu64 " of %" PRIu64 " bytes, %" PRIu64 " free\n",
                                   image.fixed_name, packed, size, size - packed);
    return toolrt::format_text("  does not fit %s: %" PRIu64 " bytes, %" PRIu64 " more than the %" PRIu64
                               "-byte image\n",
                               image.fixed_name, packed, packed - size, size);
}

std::string format_in_place(const std::optional<InPlace>& in_place)
{
    if (!in_place)
        return "";
    return toolrt::format_text("  in place, token stream: S %zu, D %zu\n"
                               "  in place, whole file:   S %zu, D %zu\n",
                               in_place->stream.offset, in_place->stream.end_margin, in_place->file.offset,
                               in_place->file.end_margin);
}

}  // namespace lzsunpack
