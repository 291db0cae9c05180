// lzspack: compresses one file into a .lzs file beside it and proves it.
//
// .lzs layout: the format word 1, the original length, then the token
// stream; words are 32-bit little-endian. A second argument is accepted for
// the build scripts that pass one, and has no effect.
#include "codec/packed_file.h"
#include "lzspack/output_name.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"
#include "toolrt/file_io.h"
#include "toolrt/help.h"
#include "toolrt/ratio.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

using namespace toolrt;

constexpr std::uint32_t LZS_FORMAT_WORD = 1;
constexpr codec::PackedLayout LZS_LAYOUT = {2, 1};

// --help, after the usage line.
constexpr char HELP_SUMMARY[] =
    "Compresses infile into a .lzs file beside it, named after infile with its\n"
    "extension replaced (chkps.dat -> chkps.lzs), prints the ratio line, and\n"
    "proves the .lzs file by decoding it and comparing it with infile.\n"
    "outfile is accepted and has no effect. See lzspack(1).\n";

// Never let the output overwrite the input: `lzspack x.lzs`, or the same
// file reached through another name.
void refuse_to_overwrite_input(const char* infile, const std::string& outfile)
{
    std::error_code error;
    if (std::filesystem::equivalent(infile, outfile, error))
        fail(EXIT_USAGE, MSG_OUTPUT_IS_INPUT, outfile.c_str());
}

std::uint32_t checked_input_length(std::FILE* input, const char* infile)
{
    std::int64_t length = file_length(input);
    if (length < 0)
        fail(EXIT_OPEN, MSG_CANT_OPEN_FILE, infile);
    if (length > MAX_INPUT_SIZE)
        fail(EXIT_DATA, MSG_INPUT_TOO_LARGE, infile);
    return static_cast<std::uint32_t>(length);
}

}  // namespace

int main(int argc, char** argv)
{
    answer_help_or_version(argc, argv, "lzspack", MSG_USAGE_LZSPACK, HELP_SUMMARY);
    if (argc < 2)
        fail(EXIT_USAGE, MSG_USAGE_LZSPACK, argv[0]);
    const char* infile = argv[1];

    std::FILE* input = open_input(infile);
    std::string outfile;
    if (!lzspack::output_name(infile, outfile))
        fail(EXIT_USAGE, MSG_NAME_TOO_LONG, infile);
    refuse_to_overwrite_input(infile, outfile);
    std::uint32_t original = checked_input_length(input, infile);

    std::int64_t written = codec::write_packed_file(input, outfile.c_str(), {LZS_FORMAT_WORD, original});
    std::fclose(input);
    print_ratio(infile, original, written);
    std::fflush(stdout);

    codec::verify_packed_file(outfile.c_str(), LZS_LAYOUT, infile, 0);
    return EXIT_OK;
}
