// Drawing the cost map (see svg_map.h). Bars are placed in the original's
// byte offsets scaled to the plot's width, so ranges of any count and size
// share one layout; ranges thinner than a pixel simply merge on screen.
#include "lzsunpack/svg_map.h"

#include "lzsunpack/text_escape.h"
#include "toolrt/format.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>

namespace lzsunpack {
namespace {

// The plot's box inside the picture: room for the title above, the tick
// labels and axis names left and below.
constexpr double PLOT_LEFT = 80;
constexpr double PLOT_TOP = 84;
constexpr double PLOT_WIDTH = SVG_WIDTH - PLOT_LEFT - 30;
constexpr double PLOT_HEIGHT = SVG_HEIGHT - PLOT_TOP - 76;
constexpr double PLOT_BOTTOM = PLOT_TOP + PLOT_HEIGHT;
constexpr int Y_TICKS = 5;  // about this many steps up the axis
constexpr int X_TICKS = 8;  // and along it, which is wider

constexpr char LITERAL_COLOUR[] = "#c2410c";
constexpr char MATCH_COLOUR[] = "#93c5fd";
constexpr char CAPACITY_COLOUR[] = "#b91c1c";
constexpr char MEAN_COLOUR[] = "#374151";

constexpr double UNITS = codec::COST_UNITS_PER_BYTE;
// Labels over the bars keep a white edge, so they read on any colour.
constexpr char HALO[] = " paint-order=\"stroke\" stroke=\"#ffffff\" stroke-width=\"3\"";

// A step of 1, 2 or 5 times a power of ten that splits `span` into about
// `ticks` steps.
double tick_step(double span, int ticks)
{
    double rough = span / ticks;
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough)
            return factor * power;
    return 10 * power;
}

std::string number_text(double value, double step)
{
    // As many decimals as the step needs.
    int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return toolrt::format_text("%.*f", decimals, value);
}

std::string text(double x, double y, const std::string& content, const char* anchor = "start", int size = 12,
                 const char* extra = "")
{
    return toolrt::format_text(
        "<text x=\"%.1f\" y=\"%.1f\" font-size=\"%d\" text-anchor=\"%s\"%s>%s</text>\n", x, y, size, anchor,
        extra, content.c_str());
}

std::string line(double x1, double y1, double x2, double y2, const char* colour, const char* extra = "")
{
    return toolrt::format_text("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"%s\"%s/>\n",
                               x1, y1, x2, y2, colour, extra);
}

std::string rect(double x, double y, double width, double height, const char* colour)
{
    return toolrt::format_text("<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" fill=\"%s\"/>\n",
                               x, y, width, height, colour);
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
        svg += line(PLOT_LEFT, y, PLOT_LEFT + PLOT_WIDTH, y, "#e5e7eb");
        svg += text(PLOT_LEFT - 6, y + 4, number_text(value, scale.y_step), "end");
    }
    double x_step = std::max(1.0, tick_step(scale.bytes, X_TICKS));
    for (double offset = 0; offset <= scale.bytes + x_step / 2 && offset <= scale.bytes; offset += x_step) {
        double x = scale.x(offset);
        svg += line(x, PLOT_BOTTOM, x, PLOT_BOTTOM + 5, "#111827");
        svg += text(x, PLOT_BOTTOM + 19, number_text(offset, 1), "middle");
    }
    svg += line(PLOT_LEFT, PLOT_BOTTOM, PLOT_LEFT + PLOT_WIDTH, PLOT_BOTTOM, "#111827");
    svg += line(PLOT_LEFT, PLOT_TOP, PLOT_LEFT, PLOT_BOTTOM, "#111827");
    svg += text(PLOT_LEFT + PLOT_WIDTH / 2, PLOT_BOTTOM + 42, "offset in the original (bytes)", "middle", 13);
    svg += toolrt::format_text("<text x=\"20\" y=\"%.1f\" font-size=\"13\" text-anchor=\"middle\" "
                               "transform=\"rotate(-90 20 %.1f)\">packed bytes per original byte</text>\n",
                               PLOT_TOP + PLOT_HEIGHT / 2, PLOT_TOP + PLOT_HEIGHT / 2);
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
            svg += rect(x, top, width, literal_top - top, MATCH_COLOUR);
        if (range.literal_units > 0)
            svg += rect(x, literal_top, width, PLOT_BOTTOM - literal_top, LITERAL_COLOUR);
    }
    return svg;
}

std::string legend()
{
    double y = PLOT_TOP - 22;
    double x = PLOT_LEFT + PLOT_WIDTH - 250;
    return rect(x, y - 10, 12, 12, LITERAL_COLOUR) + text(x + 17, y, "literals") +
           rect(x + 85, y - 10, 12, 12, MATCH_COLOUR) + text(x + 102, y, "matches") +
           line(x + 180, y - 4, x + 200, y - 4, CAPACITY_COLOUR,
                " stroke-width=\"2\" stroke-dasharray=\"6 4\"") +
           text(x + 205, y, "capacity");
}

// The mean, and what the image allows, as lines across the plot: a mean
// under the capacity line fits.
std::string reference_lines(const ImageFacts& facts, const Scale& scale, double mean, double allowed)
{
    std::string svg;
    double mean_y = scale.y(mean);
    svg += line(PLOT_LEFT, mean_y, PLOT_LEFT + PLOT_WIDTH, mean_y, MEAN_COLOUR, " stroke-dasharray=\"2 3\"");
    svg += text(PLOT_LEFT + 6, mean_y - 5, "mean " + facts.map->total.per_byte, "start", 11, HALO);
    if (!facts.headroom)
        return svg;
    const Headroom& room = *facts.headroom;
    bool over = room.used > room.capacity;
    std::string label = toolrt::format_text(
        "%s allows %.3f packed bytes per byte (%" PRIu64 " stream bytes): %" PRIu64 " bytes %s", room.image,
        allowed, room.stream_room, over ? room.used - room.capacity : room.capacity - room.used,
        over ? "over" : "free");
    std::string colour = toolrt::format_text(" fill=\"%s\"%s", CAPACITY_COLOUR, HALO);
    if (allowed > scale.top)
        return svg + text(PLOT_LEFT + PLOT_WIDTH - 4, PLOT_TOP + 14, label + " (above the plot)", "end", 12,
                          colour.c_str());
    double y = scale.y(allowed);
    svg += line(PLOT_LEFT, y, PLOT_LEFT + PLOT_WIDTH, y, CAPACITY_COLOUR,
                " stroke-width=\"2\" stroke-dasharray=\"6 4\"");
    return svg + text(PLOT_LEFT + PLOT_WIDTH - 4, y - 6, label, "end", 12, colour.c_str());
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
    double top = std::max({highest, mean, allowed <= 2 * std::max(highest, 0.5) ? allowed : 0.0, 0.1});
    double step = tick_step(top, Y_TICKS);
    Scale scale{bytes, std::ceil(top / step * 1.0001) * step, step};

    std::string title =
        xml_text(facts.name) + toolrt::format_text(" (%s): %" PRIu64 " bytes packed into %" PRIu64
                                                   " bytes, %" PRIu64 " of them the token stream",
                                                   kind_info(facts.kind).name, facts.unpacked, facts.packed,
                                                   facts.stream);
    std::string subtitle = ranges_of(map) + "; mean " + map.total.per_byte + " packed bytes per byte";
    std::string svg = toolrt::format_text(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
        "font-family=\"sans-serif\" fill=\"#111827\">\n",
        SVG_WIDTH, SVG_HEIGHT, SVG_WIDTH, SVG_HEIGHT);
    svg += "<title>Cost map of " + title + "</title>\n";
    svg += rect(0, 0, SVG_WIDTH, SVG_HEIGHT, "#ffffff");
    svg += text(PLOT_LEFT, 26, title, "start", 15, " font-weight=\"bold\"");
    svg += text(PLOT_LEFT, 46, subtitle, "start", 12);
    svg += axes(scale) + bars(map, scale) + legend();

    if (facts.unpacked == 0)
        svg += text(PLOT_LEFT + PLOT_WIDTH / 2, PLOT_TOP + PLOT_HEIGHT / 2,
                    toolrt::format_text("the original is empty: its stream is the end mark alone"), "middle",
                    14);
    else
        svg += reference_lines(facts, scale, mean, allowed);
    return svg + "</svg>\n";
}

}  // namespace lzsunpack
