// lzspack: compresses one file into a .lzs file beside it and proves it.
//
// .lzs layout: the format word 1, the original length, then the token
// stream; words are 32-bit little-endian. A second argument is accepted for
// the build scripts that pass one, and has no effect.
#include "liblzs/chain_files.h"
#include "lzspack/output_name.h"
#include "packing/packed_file.h"
#include "packing/ratio.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"
#include "toolrt/file_io.h"
#include "toolrt/help.h"
#include "toolrt/run.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace toolrt;

constexpr char MSG_USAGE[] = "Usage: %s infile [outfile]\n";
constexpr char MSG_NAME_TOO_LONG[] = "Can't name the output of %s: the name is too long!\n";

// --help, after the usage line.
constexpr char HELP_SUMMARY[] = "Compresses infile into a .lzs file beside it, named after infile with its\n"
                                "extension replaced (chkps.dat -> chkps.lzs), prints the ratio line, and\n"
                                "proves the .lzs file by decoding it and comparing it with infile.\n"
                                "outfile is accepted and has no effect. With --best first, the .lzs file\n"
                                "holds the smallest stream the format allows (slower). See lzspack(1).\n";

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args = start_run(argc, argv);
    PackerCommand command = packer_command(args, "lzspack", MSG_USAGE, HELP_SUMMARY);
    const char* infile = command.infile;
    auto choice = command.smallest ? packing::StreamChoice::SMALLEST : packing::StreamChoice::STANDARD;

    std::FILE* input = open_input(infile);
    std::string outfile;
    if (!lzspack::output_name(infile, outfile))
        fail(EXIT_USAGE, MSG_NAME_TOO_LONG, infile);
    refuse_output_over_input(infile, outfile.c_str());
    std::uint32_t original = packable_length(input, infile);

    packing::PackedFile packed =
        packing::write_packed_file(input, infile, outfile.c_str(), liblzs::LZS_CONTAINER, original, choice);
    packing::print_ratio(infile, original, packed.bytes_written);
    std::fflush(stdout);

    // A device or FIFO written in place holds nothing to read back.
    if (packed.committed != nullptr)
        packing::verify_packed_file(packed.committed, liblzs::LZS_CONTAINER, input, 0);
    std::fclose(input);
    finish_run(EXIT_OK);
}
