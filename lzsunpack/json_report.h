// lzsunpack --json: the report as one JSON object on stdout, in place of
// the text (the report line, the -v lines and the --map table), for build
// scripts that fail when an image is over its budget or a range grows.
//
//   {
//     "file": "chkps.lzs", "kind": "lzs",
//     "packed": 2235, "unpacked": 6088, "stream": 2227,
//     "tokens": {"literals": {"tokens": N, "bytes": N}, "match_3": ..., "match_4": ...,
//                "match_near": ..., "match_far": ...},
//     "mean_match": {"length": 5.12, "distance": 812.40} or null,
//     "headroom": {"image": "chkps.pak", "capacity": 3600, "used": 2235, "free": 1365, "fits": true},
//     "map": {"range_bytes": 96, "ranges": [{"offset": 0, "length": 96, "packed": 61.250,
//             "per_byte": 0.638, "literals": 82.4}, ...], "total": {...}, "costliest": [3, 0, ...]},
//     "in_place": {"stream": {"S": 3863, "D": 2}, "file": {"S": 3855, "D": 2}}
//   }
//
// "map" is there with --map or an SVG, and null otherwise. Each number is
// the one the text prints, in the same digits ("-" there is null here).
// Members are one per line at the top, so that a member added later is one
// more line.
#pragma once

#include "lzsunpack/cost_map.h"

#include <string>

namespace lzsunpack {

std::string format_json(const ImageFacts& facts);

}  // namespace lzsunpack
