// printf into a std::string, as long as the text needs: the programs' lines
// carry file names of any length, which a fixed buffer would cut.
#pragma once

#include <cstddef>
#include <string>

namespace toolrt {

std::string format_text(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// `text` right-aligned in `width` characters, as "%*s" aligns it in bytes:
// a UTF-8 name takes as many columns as it has characters (code points), so
// the columns after it line up.
std::string pad_to_characters(const std::string& text, std::size_t width);

}  // namespace toolrt
