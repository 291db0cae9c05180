// Parsing lzsunpack's command line (see command_line.h), one argument at a
// time, without getopt: the flags are few.
#include "lzsunpack/command_line.h"

namespace lzsunpack {
namespace {

// Reads one argument of flags ("-v", "-vf", "-ft lzs"), taking -t's kind
// from the next argument at `next`. Returns false with `line` saying why
// when a flag is not known or -t has no valid kind.
bool read_flags(const std::string& arg, const std::vector<std::string>& args, std::size_t& next,
                CommandLine& line)
{
    for (std::size_t at = 1; at < arg.size(); ++at) {
        switch (arg[at]) {
        case 'v':
            line.options.verbose = true;
            break;
        case 'f':
            line.options.force = true;
            break;
        case 'c':
            line.options.to_standard_output = true;
            break;
        case 't':
            // The kind is the next argument, so -t ends its cluster.
            if (at + 1 != arg.size()) {
                line.action = Action::UNKNOWN_FLAG;
                line.flag = std::string("-") + arg[at + 1];
                return false;
            }
            if (next >= args.size()) {
                line.action = Action::NO_KIND;
                return false;
            }
            line.options.kind = kind_named(args[next]);
            if (!line.options.kind) {
                line.action = Action::BAD_KIND;
                line.bad_kind = args[next];
                return false;
            }
            ++next;
            break;
        default:
            line.action = Action::UNKNOWN_FLAG;
            line.flag = std::string("-") + arg[at];
            return false;
        }
    }
    return true;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args)
{
    CommandLine line;
    std::vector<std::string> files;
    bool flags_ended = false;
    std::size_t next = 0;
    while (next < args.size()) {
        const std::string& arg = args[next++];
        if (flags_ended || arg.size() < 2 || arg[0] != '-') {
            files.push_back(arg);  // "-" alone is a file name
            flags_ended = true;    // flags come first: after a file, all are files
        } else if (arg == "--") {
            flags_ended = true;
        } else if (arg[1] == '-') {
            ReportOption read = read_report_option(arg, args, next, line.options.report);
            if (read == ReportOption::READ)
                continue;
            line.action = read == ReportOption::NOT_ONE ? Action::UNKNOWN_FLAG : Action::BAD_REPORT;
            line.flag = arg;
            return line;
        } else if (!read_flags(arg, args, next, line)) {
            return line;
        }
    }
    if (files.empty() || files.size() > 2 || (line.options.to_standard_output && files.size() == 2))
        return line;
    Options& options = line.options;
    options.infile = files[0];
    options.from_standard_input = files[0] == "-";
    if (files.size() == 2 && files[1] == "-")
        options.to_standard_output = true;
    else if (files.size() == 2)
        options.outfile = files[1];
    else if (options.from_standard_input)
        options.to_standard_output = true;
    line.action = Action::UNPACK;
    return line;
}

}  // namespace lzsunpack
