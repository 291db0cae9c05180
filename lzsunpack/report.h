// What lzsunpack prints on stdout after a successful run.
//
// One line per file, in the shape of the packers' ratio line:
//   "%12s: %-4s %8d --> %8d\n"   name, kind, packed size, unpacked size
// (the name padded to 12 characters, not bytes, so a UTF-8 name keeps the
// columns)
// and with -v the token statistics of the stream, one line per class of
// token, then the mean match:
//   "  literals  %8d tokens %8d bytes\n"   (and match 3, match 4, ...)
//   "  mean match length %.2f, distance %.2f\n"   or "  mean match: none\n"
// and, for the kinds a scrambler takes (a .lzs for chkps.pak, zq_app.bin for
// zq_app2.bin), whether the file fits that image:
//   "  fits chkps.pak: 2748 of 3600 bytes, 852 free\n"
//   "  does not fit chkps.pak: 3712 bytes, 112 more than the 3600-byte image\n"
#pragma once

#include "codec/decoder.h"
#include "lzsunpack/image_kind.h"

#include <cstdint>
#include <string>

namespace lzsunpack {

std::string format_report(const char* name, ImageKind kind, std::uint64_t packed, std::uint64_t unpacked);

std::string format_statistics(const codec::DecodeStats& stats);

// The fit line for a file of `packed` bytes; empty for the scrambled kinds.
std::string format_fit(ImageKind kind, std::uint64_t packed);

}  // namespace lzsunpack
