// What lzsunpack prints on stdout after a successful run.
//
// One line per file, in the shape of the packers' ratio line:
//   "%12s: %-4s %8d --> %8d\n"   name, kind, packed size, unpacked size
// and with -v the token statistics of the stream, one line per class of
// token, then the mean match:
//   "  literals  %8d tokens %8d bytes\n"   (and match 3, match 4, ...)
//   "  mean match length %.2f, distance %.2f\n"   or "  mean match: none\n"
#pragma once

#include "codec/decoder.h"
#include "lzsunpack/image_kind.h"

#include <cstdint>
#include <string>

namespace lzsunpack {

std::string format_report(const char* name, ImageKind kind, std::uint64_t packed, std::uint64_t unpacked);

std::string format_statistics(const codec::DecodeStats& stats);

}  // namespace lzsunpack
