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
// named as the output is written into, not replaced. When the original bytes
// go to standard output ("-", -c, or a name that leads to it), the report
// goes to standard error, so that a pipe carries the data alone.
#include "lzsunpack/command_line.h"
#include "lzsunpack/cost_map.h"
#include "lzsunpack/file_names.h"
#include "lzsunpack/json_report.h"
#include "lzsunpack/messages.h"
#include "lzsunpack/report.h"
#include "lzsunpack/svg_map.h"
#include "lzsunpack/unpack_image.h"
#include "platform/files.h"
#include "platform/large_buffer.h"
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
#include <string_view>
#include <utility>
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
    case Action::BAD_REPORT:
        fail(toolrt::EXIT_USAGE, MSG_BAD_REPORT, line.flag.c_str());
    }
    return line.options;
}

ImageKind choose_kind(const Options& options)
{
    if (options.from_standard_input && !options.kind)
        fail(toolrt::EXIT_USAGE, MSG_STDIN_NEEDS_KIND);
    std::optional<ImageKind> kind = options.kind ? options.kind : kind_of_file(options.infile);
    if (!kind)
        fail(toolrt::EXIT_USAGE, MSG_UNKNOWN_KIND, options.infile.c_str());
    return *kind;
}

// The input, standard input for "-", with its length (-1 for a pipe, which
// has none). Unbuffered: the image is read in one piece straight into its
// own buffer, so stdio's would only add a copy.
toolrt::OpenedInput open_image(const Options& options)
{
    toolrt::OpenedInput opened = options.from_standard_input
                                     ? toolrt::OpenedInput{stdin, toolrt::file_length(stdin)}
                                     : toolrt::open_input(options.infile.c_str());
    std::setvbuf(opened.stream, nullptr, _IONBF, 0);
    return opened;
}

// Refuses `outfile` if writing it would lose a file the user has: early,
// so that a refused run does no work; the commit checks again.
void refuse_lost_output(const Options& options, const std::string& outfile)
{
    if (!options.from_standard_input)
        toolrt::refuse_output_over_input(options.infile.c_str(), outfile.c_str());
    bool written_into = platform::written_in_place(outfile.c_str());
    if (!options.force && !written_into && platform::name_exists(outfile.c_str()))
        fail(toolrt::EXIT_USAGE, toolrt::MSG_OUTPUT_EXISTS, outfile.c_str());
}

// The output's name, empty for standard output; the picture's is checked
// too, as an output like it.
std::string choose_output(const Options& options, ImageKind kind)
{
    if (options.report.svg)
        refuse_lost_output(options, *options.report.svg);
    if (options.to_standard_output)
        return "";
    std::string outfile = options.outfile ? *options.outfile : derived_output_name(options.infile, kind);
    refuse_lost_output(options, outfile);
    return outfile;
}

// The first buffer for a stream that cannot tell its length (a pipe on
// standard input); it grows by doubling from there.
constexpr std::size_t FIRST_STREAM_BUFFER = std::size_t{1} << 20;

// A buffer for the image, or the end of the run as if new had failed.
platform::LargeBuffer room_for(std::size_t size)
{
    platform::LargeBuffer buffer = platform::allocate_large_buffer(size);
    if (buffer == nullptr)
        fail(toolrt::EXIT_MEMORY, toolrt::MSG_NO_MEMORY);
    return buffer;
}

// Reads `input` to its end or to `limit` bytes into a buffer of
// `capacity`, grown by doubling (up to `limit`) when a stream fills it.
// Nothing is cleared that the read is about to fill.
OwnedBytes read_up_to(std::FILE* input, std::size_t capacity, std::size_t limit)
{
    platform::LargeBuffer buffer = room_for(capacity);
    std::size_t size = 0;
    for (;;) {
        size += std::fread(buffer.get() + size, 1, capacity - size, input);
        if (size < capacity || capacity == limit)
            return OwnedBytes(std::move(buffer), size);
        std::size_t larger =
            static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t{2} * capacity, limit));
        platform::LargeBuffer grown = room_for(larger);
        std::copy_n(buffer.get(), size, grown.get());
        buffer = std::move(grown);
        capacity = larger;
    }
}

// Reads the image whole; of a file too large for its kind, only enough to
// tell so. A file is read into a buffer of its length in one piece.
OwnedBytes read_image(const toolrt::OpenedInput& opened, const std::string& infile, ImageKind kind)
{
    std::uint64_t limit = largest_image_size(kind) + 1;
    std::FILE* input = opened.stream;
    std::int64_t length = opened.length;
    std::uint64_t capacity = length < 0 ? std::min<std::uint64_t>(FIRST_STREAM_BUFFER, limit)
                                        : std::min(static_cast<std::uint64_t>(length), limit);
    // A file of known length is read to that length: one that grows
    // meanwhile is taken as it was when it was measured.
    std::uint64_t grows_to = length < 0 ? limit : capacity;
    OwnedBytes image =
        read_up_to(input, static_cast<std::size_t>(capacity), static_cast<std::size_t>(grows_to));
    if (std::ferror(input) != 0)
        fail(toolrt::EXIT_OPEN, toolrt::MSG_CANT_OPEN_FILE, infile.c_str());
    return image;
}

// For a map, -v or --json, `stats` gets the stream's token counts and
// `stream` the stream itself. Without them the decoder counts nothing: the
// counting costs a plain run a third of its decoding on literals.
OwnedBytes unpack(OwnedBytes& image, ImageKind kind, const Options& options, codec::DecodeStats& stats,
                  Bytes& stream)
{
    const std::string& infile = options.infile;
    bool reported = options.verbose || options.report.json || options.report.wants_map();
    UnpackResult result = unpack_image(image.span(), kind, reported ? &stats : nullptr, reported);
    if (result.error == UnpackError::NO_MEMORY)
        fail(toolrt::EXIT_MEMORY, toolrt::MSG_NO_MEMORY_DST, static_cast<int>(result.found));
    if (result.error != UnpackError::NONE)
        fail(toolrt::EXIT_DATA, MSG_CANT_UNPACK, infile.c_str(), unpack_error_reason(result, kind).c_str());
    stream = std::move(result.stream);
    return std::move(result.data);
}

// The output takes the permission bits of `input`, the image (0666 within
// the umask for standard input). An empty name is standard output.
void write_output(const std::string& outfile, std::string_view data, std::FILE* input, bool force)
{
    if (outfile.empty()) {
        if (!data.empty() && std::fwrite(data.data(), 1, data.size(), stdout) != data.size())
            fail(toolrt::EXIT_DATA, toolrt::MSG_CANT_WRITE_STDOUT);
        return;
    }
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
    toolrt::OpenedInput opened = open_image(options);
    std::FILE* input = opened.stream;
    ImageKind kind = choose_kind(options);
    std::string outfile = choose_output(options, kind);
    bool data_on_stdout = outfile.empty() || platform::is_standard_output(outfile.c_str());

    OwnedBytes image = read_image(opened, options.infile, kind);
    std::uint64_t packed = image.size();
    codec::DecodeStats stats = {};
    Bytes stream;
    OwnedBytes data = unpack(image, kind, options, stats, stream);
    image = OwnedBytes();
    std::FILE* permissions = options.from_standard_input ? nullptr : input;
    write_output(outfile, {reinterpret_cast<const char*>(data.data()), data.size()}, permissions,
                 options.force);
    ImageFacts facts = gather_facts(options.infile, kind, packed, data.size(), stats, stream, options.report);
    if (options.report.svg)
        write_output(*options.report.svg, format_svg(facts), permissions, options.force);
    if (!options.from_standard_input)
        std::fclose(input);

    std::FILE* report = data_on_stdout ? stderr : stdout;
    if (options.report.json) {
        std::fputs(format_json(facts).c_str(), report);
        toolrt::finish_run(toolrt::EXIT_OK);
    }
    std::fputs(format_report(options.infile.c_str(), kind, packed, data.size()).c_str(), report);
    if (options.verbose) {
        std::fputs(format_statistics(stats).c_str(), report);
        std::fputs(format_fit(kind, packed).c_str(), report);
        std::fputs(format_in_place(facts.in_place).c_str(), report);
    }
    if (options.report.map_table)
        std::fputs(format_map(facts).c_str(), report);
    toolrt::finish_run(toolrt::EXIT_OK);
}
