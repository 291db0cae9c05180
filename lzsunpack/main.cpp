// lzsunpack: takes one image of the tool chain apart again and writes the
// original bytes: the file behind a .lzs file, the application body behind
// zq_app.bin or zq_app2.bin, the data behind chkps.pak.
//
// The run: read the command line, choose the image's kind and the output's
// name, read the image whole, unpack it in memory, and only then write the
// output through a temporary file and a rename, so that a failed run leaves
// every existing file as it was. An existing output is replaced only with
// -f (the naming itself refuses otherwise, so a file that appears meanwhile
// is kept too), and never when it is the input itself. A device or FIFO
// named as the output is written into, not replaced.
#include "lzsunpack/command_line.h"
#include "lzsunpack/file_names.h"
#include "lzsunpack/messages.h"
#include "lzsunpack/report.h"
#include "lzsunpack/unpack_image.h"
#include "platform/files.h"
#include "platform/output_file.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"
#include "toolrt/file_io.h"
#include "toolrt/help.h"
#include "toolrt/run.h"
#include "toolrt/temp_output.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace lzsunpack;
using toolrt::fail;
using Bytes = std::vector<std::uint8_t>;

// Ends the run here for --help, --version and a command line that does not fit.
Options read_command_line(const std::vector<std::string>& args)
{
    toolrt::answer_help_or_version(args, "lzsunpack", MSG_USAGE, HELP_TEXT);
    CommandLine line = parse_command_line(std::vector<std::string>(args.begin() + 1, args.end()));
    switch (line.action) {
    case Action::UNPACK:
        break;
    case Action::USAGE_ERROR:
        fail(toolrt::EXIT_USAGE, MSG_USAGE, args[0].c_str());
    case Action::UNKNOWN_FLAG:
        fail(toolrt::EXIT_USAGE, MSG_UNKNOWN_FLAG, line.flag.c_str());
    case Action::NO_KIND:
        fail(toolrt::EXIT_USAGE, MSG_NO_KIND);
    case Action::BAD_KIND:
        fail(toolrt::EXIT_USAGE, MSG_BAD_KIND, line.bad_kind.c_str());
    }
    return line.options;
}

ImageKind choose_kind(const Options& options)
{
    std::optional<ImageKind> kind = options.kind ? options.kind : kind_of_file(options.infile);
    if (!kind)
        fail(toolrt::EXIT_USAGE, MSG_UNKNOWN_KIND, options.infile.c_str());
    return *kind;
}

// The output's name, refused if writing it would lose a file the user has.
std::string choose_output(const Options& options, ImageKind kind)
{
    std::string outfile = options.outfile ? *options.outfile : derived_output_name(options.infile, kind);
    toolrt::refuse_output_over_input(options.infile.c_str(), outfile.c_str());
    // Early, so that a refused run does no work; the commit checks again.
    bool written_into = platform::written_in_place(outfile.c_str());
    if (!options.force && !written_into && platform::name_exists(outfile.c_str()))
        fail(toolrt::EXIT_USAGE, toolrt::MSG_OUTPUT_EXISTS, outfile.c_str());
    return outfile;
}

// Reads the image whole; of a file too large for its kind, only enough to
// tell so.
Bytes read_image(std::FILE* input, const std::string& infile, ImageKind kind)
{
    std::int64_t length = toolrt::file_length(input);
    if (length < 0)
        fail(toolrt::EXIT_OPEN, toolrt::MSG_CANT_OPEN_FILE, infile.c_str());
    std::uint64_t wanted =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(length), largest_image_size(kind) + 1);
    Bytes image(static_cast<std::size_t>(wanted));
    std::size_t read = image.empty() ? 0 : std::fread(image.data(), 1, image.size(), input);
    if (std::ferror(input) != 0)
        fail(toolrt::EXIT_OPEN, toolrt::MSG_CANT_OPEN_FILE, infile.c_str());
    image.resize(read);
    return image;
}

Bytes unpack(Bytes image, ImageKind kind, const std::string& infile, codec::DecodeStats& stats)
{
    UnpackResult result = unpack_image(std::move(image), kind, &stats);
    if (result.error == UnpackError::NO_MEMORY)
        fail(toolrt::EXIT_MEMORY, toolrt::MSG_NO_MEMORY_DST, static_cast<int>(result.found));
    if (result.error != UnpackError::NONE)
        fail(toolrt::EXIT_DATA, MSG_CANT_UNPACK, infile.c_str(), unpack_error_reason(result, kind).c_str());
    return std::move(result.data);
}

// The output takes the permission bits of `input`, the image.
void write_output(const std::string& outfile, const Bytes& data, std::FILE* input, bool force)
{
    std::FILE* out = toolrt::temp_output_open(outfile.c_str(), input);
    // fwrite must not see the null buffer of an empty vector.
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), out) != data.size())
        fail(toolrt::EXIT_DATA, toolrt::MSG_SHORT_WRITE);
    if (std::FILE* committed =
            toolrt::temp_output_commit(force ? platform::Replace::ALLOWED : platform::Replace::REFUSED))
        std::fclose(committed);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options = read_command_line(toolrt::start_run(argc, argv));
    std::FILE* input = toolrt::open_input(options.infile.c_str());
    ImageKind kind = choose_kind(options);
    std::string outfile = choose_output(options, kind);

    Bytes image = read_image(input, options.infile, kind);
    std::uint64_t packed = image.size();
    codec::DecodeStats stats = {};
    Bytes data = unpack(std::move(image), kind, options.infile, stats);
    write_output(outfile, data, input, options.force);
    std::fclose(input);

    std::fputs(format_report(options.infile.c_str(), kind, packed, data.size()).c_str(), stdout);
    if (options.verbose) {
        std::fputs(format_statistics(stats).c_str(), stdout);
        std::fputs(format_fit(kind, packed).c_str(), stdout);
    }
    toolrt::finish_run(toolrt::EXIT_OK);
}
