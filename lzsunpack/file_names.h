// What a file's name tells lzsunpack, and the name it gives its output.
//
// Both '/' and '\' end a directory name, as for lzspack. A file's extension
// runs from the last '.' of its base name, unless that '.' starts the base
// name (".lzs" is a name, not an extension).
#pragma once

#include "lzsunpack/image_kind.h"

#include <optional>
#include <string>
#include <string_view>

namespace lzsunpack {

// The kind the name of `path` tells: one of the fixed names, else one of
// the extensions of the kind table, compared as the system compares names
// (on Windows IO.LZS is a .lzs and CHKPS.PAK is chkps.pak).
std::optional<ImageKind> kind_of_file(std::string_view path);

// `path` with its extension, if any, replaced by the kind's output
// extension, in the same directory: "x.lzs" gives "x", "out/zq_app.bin"
// gives "out/zq_app.body", "chkps.pak" gives "chkps.unpak". The result may
// name a file that exists, even the input itself; the caller decides.
std::string derived_output_name(std::string_view path, ImageKind kind);

}  // namespace lzsunpack
