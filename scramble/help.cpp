#include "scramble/help.h"

#include "platform/program.h"
#include "scramble/messages.h"
#include "scramble/stop.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace scramble {
namespace {

void out_of_memory() { stop(EXIT_MEMORY, MSG_NO_MEMORY); }

}  // namespace

std::vector<std::string> start_scrambler(int argc, char** argv)
{
    std::set_new_handler(out_of_memory);
    return platform::start_program(argc, argv);
}

void finish_scrambler(int status)
{
    bool lost = std::ferror(stdout) != 0;
    lost = std::fclose(stdout) != 0 || lost;
    if (lost)
        stop(EXIT_DATA, MSG_CANT_WRITE_STDOUT);
    std::exit(status);
}

void answer_help_or_version(const std::vector<std::string>& args, const char* name, const char* summary)
{
    if (args.size() != 2)
        return;
    if (args[1] == "--help") {
        std::printf("Usage: %s\n", args[0].c_str());
        std::fputs(summary, stdout);
        finish_scrambler(EXIT_OK);
    }
    if (args[1] == "--version") {
        std::printf("%s %s\n", name, LZSTOOLS_VERSION);
        finish_scrambler(EXIT_OK);
    }
}

}  // namespace scramble
