// lzspack: compresses one file into a .lzs file beside it and proves it.
//
// .lzs layout: the format word 1, the original length, then the token
// stream; words are 32-bit little-endian. A second argument is accepted for
// the build scripts that pass one, and has no effect but a warning (so that
// `lzspack *.txt` does not pass for packing them all).
#include "liblzs/chain_files.h"
#include "lzspack/output_name.h"
#include "packing/packed_file.h"
#include "packing/ratio.h"
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

constexpr char MSG_USAGE[] = "Usage: %s infile [outfile]\n";
constexpr char HELP_USAGE[] = "Usage: %s [--best] [--] infile [outfile]\n";
// A warning on stderr: the run goes on as it always did.
constexpr char MSG_NO_EFFECT[] = "lzspack packs one file: %s has no effect\n";
constexpr char MSG_NAME_TOO_LONG[] = "Can't name the output of %s: the name is too long!\n";

// --help, after the usage line.
constexpr char HELP_SUMMARY[] = "Compresses infile into a .lzs file beside it, named after infile with its\n"
                                "extension replaced (chkps.dat -> chkps.lzs), prints the ratio line, and\n"
                                "proves the .lzs file by decoding it and comparing it with infile.\n"
                                "outfile is accepted and has no effect (a warning says so). With --best,\n"
                                "the .lzs file holds the smallest stream the format allows (slower); --\n"
                                "ends the options. See lzspack(1).\n";

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args = start_run(argc, argv);
    PackerCommand command = packer_command(args, "lzspack", MSG_USAGE, HELP_USAGE, HELP_SUMMARY);
    const char* infile = command.infile;
    auto choice = command.smallest ? packing::StreamChoice::SMALLEST : packing::StreamChoice::STANDARD;

    OpenedInput opened = open_input(infile);
    std::FILE* input = opened.stream;
    // Once the input is there, so that a failed open reads as it always did.
    for (std::size_t i = command.ignored; i < args.size(); ++i)
        std::fprintf(stderr, MSG_NO_EFFECT, args[i].c_str());
    std::string outfile;
    if (!lzspack::output_name(infile, outfile))
        fail(EXIT_USAGE, MSG_NAME_TOO_LONG, infile);
    refuse_output_over_input(infile, outfile.c_str());
    std::uint32_t original = packable_length(opened, infile);

    packing::PackedFile packed =
        packing::write_packed_file(input, infile, outfile.c_str(), liblzs::LZS_CONTAINER, original, choice);
    std::FILE* committed = temp_output_commit();
    packing::print_ratio(infile, original, packed.bytes_written);
    std::fflush(stdout);

    // A device or FIFO written in place holds nothing to read back.
    if (committed != nullptr) {
        packing::verify_packed_file(committed, liblzs::LZS_CONTAINER, input, infile, 0);
        std::fclose(committed);
    }
    std::fclose(input);
    finish_run(EXIT_OK);
}
