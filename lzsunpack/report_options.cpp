// Reading lzsunpack's long options (see report_options.h).
#include "lzsunpack/report_options.h"

#include <charconv>

namespace lzsunpack {
namespace {

constexpr char SVG_EXTENSION[] = ".svg";

bool names_svg(const std::string& value)
{
    std::size_t extension = sizeof SVG_EXTENSION - 1;
    return value.size() > extension && value.compare(value.size() - extension, extension, SVG_EXTENSION) == 0;
}

// A count of bytes above 0, digits only.
std::optional<std::uint64_t> byte_count(const std::string& value)
{
    std::uint64_t count = 0;
    const char* end = value.data() + value.size();
    auto [stop, error] = std::from_chars(value.data(), end, count);
    if (value.empty() || error != std::errc() || stop != end || count == 0)
        return std::nullopt;
    return count;
}

}  // namespace

ReportOption read_report_option(const std::string& arg, const std::vector<std::string>& args,
                                std::size_t& next, ReportOptions& options)
{
    static constexpr char MAP_WITH_VALUE[] = "--map=";
    if (arg == "--json") {
        options.json = true;
    } else if (arg == "--map") {
        options.map_table = true;
    } else if (arg == "--svg") {
        if (next >= args.size() || args[next].empty())
            return ReportOption::BAD_VALUE;
        options.svg = args[next++];
    } else if (arg.starts_with(MAP_WITH_VALUE)) {
        std::string value = arg.substr(sizeof MAP_WITH_VALUE - 1);
        if (names_svg(value)) {
            options.svg = value;
        } else if (std::optional<std::uint64_t> count = byte_count(value)) {
            options.map_table = true;
            options.range_bytes = *count;
        } else {
            return ReportOption::BAD_VALUE;
        }
    } else {
        return ReportOption::NOT_ONE;
    }
    return ReportOption::READ;
}

std::uint64_t range_bytes_for(const ReportOptions& options, std::uint64_t size)
{
    if (options.range_bytes != 0)
        return options.range_bytes;
    return size <= MAP_RANGES ? 1 : (size + MAP_RANGES - 1) / MAP_RANGES;
}

}  // namespace lzsunpack
