// lzsunpack --svg FILE (or --map=FILE.svg): the cost map as a picture, a
// standalone SVG (no script, no external fonts or files) that any browser
// or SVG viewer shows.
//
// One bar per range along the original's offsets, as high as the packed
// bytes each of its bytes cost, the part that literals cost shaded darker.
// A dashed line marks what the image allows: its room for the stream over
// the original's size, the average packed bytes per byte that still fits
// (a map whose mean lies under it fits). A dotted line marks the mean. The
// title names the file and its sizes; the axes carry their units.
#pragma once

#include "lzsunpack/cost_map.h"

#include <string>

namespace lzsunpack {

inline constexpr int SVG_WIDTH = 960;  // pixels
inline constexpr int SVG_HEIGHT = 540;

// The picture of `facts`, which must hold a map.
std::string format_svg(const ImageFacts& facts);

}  // namespace lzsunpack
