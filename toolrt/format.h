// printf into a std::string, as long as the text needs: the programs' lines
// carry file names of any length, which a fixed buffer would cut.
#pragma once

#include <string>

namespace toolrt {

std::string format_text(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace toolrt
