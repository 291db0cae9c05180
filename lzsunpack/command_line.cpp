// Parsing lzsunpack's command line (see command_line.h), one argument at a
// time, without getopt: the flags are few and never combined.
#include "lzsunpack/command_line.h"

namespace lzsunpack {

CommandLine parse_command_line(const std::vector<std::string>& args)
{
    CommandLine line;
    std::vector<std::string> files;
    bool flags_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (flags_ended || arg.size() < 2 || arg[0] != '-') {
            files.push_back(arg);  // "-" alone is a file name
            flags_ended = true;    // flags come first: after a file, all are files
        } else if (arg == "--") {
            flags_ended = true;
        } else if (arg == "-v") {
            line.options.verbose = true;
        } else if (arg == "-f") {
            line.options.force = true;
        } else if (arg == "-t" && i + 1 < args.size()) {
            const std::string& name = args[++i];
            line.options.kind = kind_named(name);
            if (!line.options.kind) {
                line.action = Action::BAD_KIND;
                line.bad_kind = name;
                return line;
            }
        } else {
            return line;  // an unknown flag, or -t without its kind
        }
    }
    if (files.empty() || files.size() > 2)
        return line;
    line.options.infile = files[0];
    if (files.size() == 2)
        line.options.outfile = files[1];
    line.action = Action::UNPACK;
    return line;
}

}  // namespace lzsunpack
