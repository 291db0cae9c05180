#include "output_name.h"

namespace lzspack {

bool output_name(const std::string& infile, std::string& out)
{
    static constexpr char EXTENSION[] = ".lzs";
    std::size_t dot = infile.rfind('.');
    std::size_t separator = infile.find_last_of("/\\");
    std::size_t stem = infile.size();
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator))
        stem = dot;
    if (stem + sizeof EXTENSION - 1 > MAX_OUTPUT_NAME)
        return false;
    out = infile.substr(0, stem) + EXTENSION;
    return true;
}

}  // namespace lzspack
