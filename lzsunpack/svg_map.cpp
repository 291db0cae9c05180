// Drawing the cost map (see svg_map.h). Bars are placed in the original's
// byte offsets scaled to the plot's width, so ranges of any count and size
// share one layout; ranges thinner than a pixel simply merge on screen.
// Colours and type live in the picture's own stylesheet, the layout in the
// constants below.
#include "lzsunpack/svg_map.h"

#include "lzsunpack/text_escape.h"
#include "toolrt/format.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>

namespace lzsunpack {
namespace {

// In pixels. The plot's box leaves room for the title and the legend above,
// the tick labels and the axes' names left and below.
constexpr double PLOT_LEFT = 80;
constexpr double PLOT_TOP = 84;
constexpr double PLOT_RIGHT_MARGIN = 30;
constexpr double PLOT_BOTTOM_MARGIN = 76;
constexpr double PLOT_WIDTH = SVG_WIDTH - PLOT_LEFT - PLOT_RIGHT_MARGIN;
constexpr double PLOT_HEIGHT = SVG_HEIGHT - PLOT_TOP - PLOT_BOTTOM_MARGIN;
constexpr double PLOT_RIGHT = PLOT_LEFT + PLOT_WIDTH;
constexpr double PLOT_BOTTOM = PLOT_TOP + PLOT_HEIGHT;
constexpr double TITLE_BASELINE = 26;
constexpr double SUBTITLE_BASELINE = 46;
constexpr double LEGEND_BASELINE = PLOT_TOP - 22;
constexpr double TICK_LENGTH = 5;
constexpr double LABEL_GAP = 6;        // between a label and what it names
constexpr double HALF_CAP_HEIGHT = 4;  // centres a 12-pixel label on its tick
constexpr double X_LABEL_BASELINE = PLOT_BOTTOM + 19;
constexpr double X_NAME_BASELINE = PLOT_BOTTOM + 42;
constexpr double Y_NAME_CENTRE = 20;  // the rotated name of the vertical axis
constexpr double TOP_NOTE_BASELINE = PLOT_TOP + 14;
constexpr double SWATCH = 12;       // a legend's coloured square
constexpr double SWATCH_RISE = 10;  // its top above the baseline
constexpr double DASH_LENGTH = 20;  // the legend's sample of a line
constexpr double DASH_RISE = 4;

// One entry of the legend, placed from the legend's left end.
struct LegendEntry {
    double at;
    const char* swatch_class;  // a square of this class, or nullptr for a line
    const char* label;
};
constexpr double LEGEND_WIDTH = 250;
constexpr LegendEntry LEGEND[] = {
    {0, "literal", "literals"},
    {85, "match", "matches"},
    {180, nullptr, "capacity"},
};

constexpr int Y_TICKS = 5;  // about this many steps up the axis
constexpr int X_TICKS = 8;  // and along it, which is wider
constexpr double DECIMAL = 10;
constexpr double LOG_SLACK = 1e-9;         // so that a step of exactly 0.1 needs one decimal
constexpr double ROUNDING_SLACK = 1.0001;  // so that a top on a step stays that step
constexpr double LEAST_TOP = 0.1;          // packed bytes per byte, for a map of runs only

constexpr char STYLE[] = "<style>\n"
                         "text { font-family: sans-serif; font-size: 12px; fill: #111827 }\n"
                         ".title { font-size: 15px; font-weight: bold }\n"
                         ".name { font-size: 13px }\n"
                         ".small { font-size: 11px }\n"
                         ".note { font-size: 14px }\n"
                         ".halo { paint-order: stroke; stroke: #ffffff; stroke-width: 3px }\n"
                         ".over { fill: #b91c1c }\n"
                         ".literal { fill: #c2410c }\n"
                         ".match { fill: #93c5fd }\n"
                         ".grid { stroke: #e5e7eb }\n"
                         ".axis { stroke: #111827 }\n"
                         ".mean { stroke: #374151; stroke-dasharray: 2 3 }\n"
                         ".capacity { stroke: #b91c1c; stroke-width: 2px; stroke-dasharray: 6 4 }\n"
                         "</style>\n";

constexpr double UNITS = codec::COST_UNITS_PER_BYTE;

// A step of 1, 2 or 5 times a power of ten that splits `span` into about
// `ticks` steps.
double tick_step(double span, int ticks)
{
    double rough = span / ticks;
    double power = std::pow(DECIMAL, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough)
            return factor * power;
    return DECIMAL * power;
}

// With as many decimals as the step needs.
std::string number_text(double value, double step)
{
    int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - LOG_SLACK));
    return toolrt::format_text("%.*f", decimals, value);
}

std::string text(double x, double y, const std::string& content, const char* anchor = "start",
                 const char* classes = "")
{
    return toolrt::format_text("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"%s\" class=\"%s\">%s</text>\n", x,
                               y, anchor, classes, content.c_str());
}

std::string line(double x1, double y1, double x2, double y2, const char* classes)
{
    return toolrt::format_text("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" class=\"%s\"/>\n", x1,
                               y1, x2, y2, classes);
}

std::string rect(double x, double y, double width, double height, const char* classes)
{
    return toolrt::format_text("<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" class=\"%s\"/>\n",
                               x, y, width, height, classes);
}

struct Scale {
    double bytes;  // the original's size, at least 1
    double top;    // packed bytes per byte at the plot's top
    double y_step;
    double x(double offset) const { return PLOT_LEFT + offset / bytes * PLOT_WIDTH; }
    double y(double per_byte) const { return PLOT_BOTTOM - per_byte / top * PLOT_HEIGHT; }
};

std::string axes(const Scale& scale)
{
    std::string svg;
    for (double value = 0; value <= scale.top + scale.y_step / 2; value += scale.y_step) {
        double y = scale.y(value);
        svg += line(PLOT_LEFT, y, PLOT_RIGHT, y, "grid");
        svg += text(PLOT_LEFT - LABEL_GAP, y + HALF_CAP_HEIGHT, number_text(value, scale.y_step), "end");
    }
    double x_step = std::max(1.0, tick_step(scale.bytes, X_TICKS));
    for (double offset = 0; offset <= scale.bytes; offset += x_step) {
        double x = scale.x(offset);
        svg += line(x, PLOT_BOTTOM, x, PLOT_BOTTOM + TICK_LENGTH, "axis");
        svg += text(x, X_LABEL_BASELINE, number_text(offset, 1), "middle");
    }
    svg += line(PLOT_LEFT, PLOT_BOTTOM, PLOT_RIGHT, PLOT_BOTTOM, "axis");
    svg += line(PLOT_LEFT, PLOT_TOP, PLOT_LEFT, PLOT_BOTTOM, "axis");
    svg +=
        text(PLOT_LEFT + PLOT_WIDTH / 2, X_NAME_BASELINE, "offset in the original (bytes)", "middle", "name");
    double middle = PLOT_TOP + PLOT_HEIGHT / 2;
    svg += toolrt::format_text("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\" class=\"name\" "
                               "transform=\"rotate(-90 %.1f %.1f)\">packed bytes per original byte</text>\n",
                               Y_NAME_CENTRE, middle, Y_NAME_CENTRE, middle);
    return svg;
}

std::string bars(const MapView& map, const Scale& scale)
{
    std::string svg;
    for (const codec::RangeCost& range : map.costs.ranges) {
        if (range.length == 0)
            continue;
        double x = scale.x(static_cast<double>(range.offset));
        double width = scale.x(static_cast<double>(range.offset + range.length)) - x;
        double per_byte_units = UNITS * static_cast<double>(range.length);
        double literal_top = scale.y(static_cast<double>(range.literal_units) / per_byte_units);
        double top = scale.y(static_cast<double>(range.units) / per_byte_units);
        if (range.units > range.literal_units)
            svg += rect(x, top, width, literal_top - top, "match");
        if (range.literal_units > 0)
            svg += rect(x, literal_top, width, PLOT_BOTTOM - literal_top, "literal");
    }
    return svg;
}

std::string legend()
{
    std::string svg;
    double left = PLOT_RIGHT - LEGEND_WIDTH;
    for (const LegendEntry& entry : LEGEND) {
        double x = left + entry.at;
        if (entry.swatch_class != nullptr)
            svg += rect(x, LEGEND_BASELINE - SWATCH_RISE, SWATCH, SWATCH, entry.swatch_class);
        else
            svg += line(x, LEGEND_BASELINE - DASH_RISE, x + DASH_LENGTH, LEGEND_BASELINE - DASH_RISE,
                        "capacity");
        double width = entry.swatch_class != nullptr ? SWATCH : DASH_LENGTH;
        svg += text(x + width + LABEL_GAP, LEGEND_BASELINE, entry.label);
    }
    return svg;
}

// The mean, and what the image allows, as lines across the plot: a mean
// under the capacity line fits.
std::string reference_lines(const ImageFacts& facts, const Scale& scale, double mean, double allowed)
{
    std::string svg;
    double mean_y = scale.y(mean);
    svg += line(PLOT_LEFT, mean_y, PLOT_RIGHT, mean_y, "mean");
    svg += text(PLOT_LEFT + LABEL_GAP, mean_y - LABEL_GAP, "mean " + facts.map->total.per_byte, "start",
                "small halo");
    if (!facts.headroom)
        return svg;
    const Headroom& room = *facts.headroom;
    bool over = room.used > room.capacity;
    std::string label = toolrt::format_text(
        "%s allows %.3f packed bytes per byte (%" PRIu64 " stream bytes): %" PRIu64 " bytes %s", room.image,
        allowed, room.stream_room, over ? room.used - room.capacity : room.capacity - room.used,
        over ? "over" : "free");
    if (allowed > scale.top)
        return svg + text(PLOT_RIGHT - LABEL_GAP, TOP_NOTE_BASELINE, label + " (above the plot)", "end",
                          "over halo");
    double y = scale.y(allowed);
    svg += line(PLOT_LEFT, y, PLOT_RIGHT, y, "capacity");
    return svg + text(PLOT_RIGHT - LABEL_GAP, y - LABEL_GAP, label, "end", "over halo");
}

}  // namespace

std::string format_svg(const ImageFacts& facts)
{
    const MapView& map = *facts.map;
    double bytes = static_cast<double>(std::max<std::uint64_t>(facts.unpacked, 1));
    double highest = 0;
    for (const codec::RangeCost& range : map.costs.ranges)
        if (range.length != 0)
            highest = std::max(highest, static_cast<double>(range.units) /
                                            (UNITS * static_cast<double>(range.length)));
    double mean = facts.unpacked == 0 ? 0 : static_cast<double>(map.costs.stream_size) / bytes;
    double allowed =
        facts.headroom && facts.unpacked != 0 ? static_cast<double>(facts.headroom->stream_room) / bytes : 0;
    // The capacity line stays in view unless it lies far above every bar.
    double top = std::max({highest, mean, allowed <= 2 * std::max(highest, 0.5) ? allowed : 0.0, LEAST_TOP});
    double step = tick_step(top, Y_TICKS);
    Scale scale{bytes, std::ceil(top / step * ROUNDING_SLACK) * step, step};

    std::string title =
        xml_text(facts.name) + toolrt::format_text(" (%s): %" PRIu64 " bytes packed into %" PRIu64
                                                   " bytes, %" PRIu64 " of them the token stream",
                                                   kind_info(facts.kind).name, facts.unpacked, facts.packed,
                                                   facts.stream);
    std::string subtitle = ranges_of(map) + "; mean " + map.total.per_byte + " packed bytes per byte";
    std::string svg =
        toolrt::format_text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
                            "viewBox=\"0 0 %d %d\">\n",
                            SVG_WIDTH, SVG_HEIGHT, SVG_WIDTH, SVG_HEIGHT);
    svg += "<title>Cost map of " + title + "</title>\n";
    svg += STYLE;
    svg +=
        toolrt::format_text("<rect width=\"%d\" height=\"%d\" fill=\"#ffffff\"/>\n", SVG_WIDTH, SVG_HEIGHT);
    svg += text(PLOT_LEFT, TITLE_BASELINE, title, "start", "title");
    svg += text(PLOT_LEFT, SUBTITLE_BASELINE, subtitle);
    svg += axes(scale) + bars(map, scale) + legend();
    if (facts.unpacked == 0)
        svg += text(PLOT_LEFT + PLOT_WIDTH / 2, PLOT_TOP + PLOT_HEIGHT / 2,
                    "the original is empty: its stream is the end mark alone", "middle", "note");
    else
        svg += reference_lines(facts, scale, mean, allowed);
    return svg + "</svg>\n";
}

}  // namespace lzsunpack
