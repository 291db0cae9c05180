#include "output_name.h"

#include "liblzs/chain_files.h"

#include <string_view>

namespace lzspack {

bool output_name(const std::string& infile, std::string& out)
{
    constexpr std::string_view EXTENSION = liblzs::LZS_CONTAINER.extension;
    std::size_t dot = infile.rfind('.');
    std::size_t separator = infile.find_last_of("/\\");
    std::size_t stem = infile.size();
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator))
        stem = dot;
    if (stem + EXTENSION.size() > MAX_OUTPUT_NAME)
        return false;
    out = infile.substr(0, stem) + std::string(EXTENSION);
    return true;
}

}  // namespace lzspack
