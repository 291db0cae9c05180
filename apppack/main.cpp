// apppack: splits an application executable into its header record and its
// compressed body, and proves the compressed body.
//
// The executable is a 2048-byte header followed by the body. Out of it come
//   app_head.bin  the 60-byte record at header offset 16, as it stands;
//   zq_app.bin    the body length (32-bit little-endian), then the body's
//                 token stream.
// Both names are fixed and lie in the current directory, so a run holds the
// directory's lock while it writes them: two runs in one directory take
// turns. Both are written to temporary files, zq_app.bin is proved there,
// and only then are the two committed together: a run that fails or is
// interrupted anywhere leaves the previous pair, and one that succeeds the
// new pair, never a header beside another executable's body.
#include "liblzs/chain_files.h"
#include "packing/packed_file.h"
#include "packing/ratio.h"
#include "platform/directory_lock.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"
#include "toolrt/file_io.h"
#include "toolrt/help.h"
#include "toolrt/run.h"
#include "toolrt/temp_output.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace toolrt;

constexpr const char* HEAD_NAME = liblzs::APP_HEAD_NAME;
constexpr const char* IMAGE_NAME = liblzs::APP_CONTAINER.fixed_name;
constexpr int HEADER_SIZE = 2048;
constexpr int RECORD_OFFSET = 16;
constexpr int RECORD_SIZE = 60;
constexpr const liblzs::ContainerFormat& IMAGE_FORMAT = liblzs::APP_CONTAINER;

constexpr char MSG_USAGE[] = "Usage: %s infile\n";
constexpr char HELP_USAGE[] = "Usage: %s [--best] [--] infile\n";
constexpr char MSG_INPUT_TOO_SHORT[] = "Can't pack %s: shorter than its 2048-byte header!\n";

// --help, after the usage line.
constexpr char HELP_SUMMARY[] =
    "Splits an application executable (a 2048-byte header, then the body) in the\n"
    "current directory: app_head.bin gets the 60 header bytes at offset 16,\n"
    "zq_app.bin the body length and the compressed body. Prints the ratio line\n"
    "and proves zq_app.bin by decoding it and comparing it with the body.\n"
    "With --best first, zq_app.bin holds the smallest stream the format allows\n"
    "(slower). See apppack(1).\n";

static_assert(RECORD_OFFSET + RECORD_SIZE <= HEADER_SIZE);

// The outputs have fixed names: refuse an input that is one of them.
void refuse_to_overwrite_input(const char* infile)
{
    for (const char* output : {HEAD_NAME, IMAGE_NAME})
        refuse_output_over_input(infile, output);
}

// The body's length, refused before any output if it cannot be packed.
std::uint32_t checked_body_length(const OpenedInput& input, const char* infile)
{
    std::uint32_t length = packable_length(input, infile);
    if (length < HEADER_SIZE)
        fail(EXIT_DATA, MSG_INPUT_TOO_SHORT, infile);
    return static_cast<std::uint32_t>(length - HEADER_SIZE);
}

// Reads the header, leaving the input at the body, and writes its record
// to a pending output.
void write_header_record(std::FILE* input)
{
    unsigned char header[HEADER_SIZE] = {};
    std::fread(header, 1, sizeof header, input);
    std::FILE* out = temp_output_open(HEAD_NAME, input);
    std::fwrite(header + RECORD_OFFSET, 1, RECORD_SIZE, out);
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args = start_run(argc, argv);
    PackerCommand command = packer_command(args, "apppack", MSG_USAGE, HELP_USAGE, HELP_SUMMARY);
    const char* infile = command.infile;
    auto choice = command.smallest ? packing::StreamChoice::SMALLEST : packing::StreamChoice::STANDARD;

    OpenedInput opened = open_input(infile);
    std::FILE* input = opened.stream;
    refuse_to_overwrite_input(infile);
    std::uint32_t body_length = checked_body_length(opened, infile);

    if (!platform::lock_current_directory())
        fail(EXIT_OPEN, MSG_CANT_LOCK_DIRECTORY);
    write_header_record(input);
    packing::PackedFile packed =
        packing::write_packed_file(input, infile, IMAGE_NAME, IMAGE_FORMAT, body_length, choice);
    packing::print_ratio(infile, body_length, packed.bytes_written);
    std::fflush(stdout);

    // A device or FIFO written in place holds nothing to read back.
    if (!temp_output_in_place())
        packing::verify_packed_file(packed.stream, IMAGE_FORMAT, input, infile, HEADER_SIZE);
    if (std::FILE* committed = temp_output_commit())
        std::fclose(committed);
    std::fclose(input);
    finish_run(EXIT_OK);
}
