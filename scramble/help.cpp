#include "scramble/help.h"

#include "scramble/messages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace scramble {

void answer_help_or_version(int argc, char** argv, const char* name, const char* summary)
{
    if (argc != 2)
        return;
    if (std::strcmp(argv[1], "--help") == 0) {
        std::printf("Usage: %s\n", argv[0]);
        std::fputs(summary, stdout);
        std::exit(EXIT_OK);
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", name, LZSTOOLS_VERSION);
        std::exit(EXIT_OK);
    }
}

}  // namespace scramble
