// lzsunpack's command line:
//
//   lzsunpack [-v] [-f] [-c] [-t KIND] [--] file [outfile]
//
// "-" as the file reads standard input (the kind then comes from -t), and
// writes standard output unless an outfile is named; "-" as the outfile, or
// -c, writes standard output.
// (--help and --version, as the only argument, are answered before this;
// the long options of the report are in report_options.h.)
// Flags come first and may be combined (-vf; -t takes the next argument,
// also after others: -vt lzs); "--" or the first file ends them, so a file
// whose name starts with '-' can still be named (`lzsunpack x.lzs -f` writes
// a file named -f; it does not force).
#pragma once

#include "lzsunpack/image_kind.h"
#include "lzsunpack/report_options.h"

#include <optional>
#include <string>
#include <vector>

namespace lzsunpack {

struct Options {
    bool verbose = false;              // -v: the stream's token statistics
    bool force = false;                // -f: replace an existing output
    std::optional<ImageKind> kind;     // -t: instead of the kind the name tells
    bool from_standard_input = false;  // the file is "-"
    bool to_standard_output = false;   // -c, "-" as the outfile, or "-" as the file alone
    std::string infile;
    std::optional<std::string> outfile;  // derived from infile when absent
    ReportOptions report;                // --map, --svg, --json
};

enum class Action {
    UNPACK,
    USAGE_ERROR,   // an argument count that does not fit the usage (-c with an outfile too)
    UNKNOWN_FLAG,  // `flag` holds the one not known, e.g. "-x"
    NO_KIND,       // -t is the last argument
    BAD_KIND,      // -t names no kind; `bad_kind` holds the name
    BAD_REPORT,    // --map or --svg without what it takes; `flag` holds the argument
};

struct CommandLine {
    Action action = Action::USAGE_ERROR;
    Options options;
    std::string bad_kind;
    std::string flag;
};

// `args` are the arguments after the program name.
CommandLine parse_command_line(const std::vector<std::string>& args);

}  // namespace lzsunpack
