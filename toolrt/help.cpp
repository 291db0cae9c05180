#include "help.h"

#include "exit_status.h"
#include "fail.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace toolrt {

void answer_help_or_version(int argc, char** argv, const char* name, const char* usage_format,
                            const char* summary)
{
    if (argc != 2)
        return;
    if (std::strcmp(argv[1], "--help") == 0) {
        std::printf(usage_format, argv[0]);
        std::fputs(summary, stdout);
        std::exit(EXIT_OK);
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", name, LZSTOOLS_VERSION);
        std::exit(EXIT_OK);
    }
}

const char* input_argument(int argc, char** argv, const char* name, const char* usage_format,
                           const char* summary)
{
    answer_help_or_version(argc, argv, name, usage_format, summary);
    if (argc < 2)
        fail(EXIT_USAGE, usage_format, argv[0]);
    return argv[1];
}

PackerCommand packer_command(int argc, char** argv, const char* name, const char* usage_format,
                             const char* summary)
{
    answer_help_or_version(argc, argv, name, usage_format, summary);
    int first = 1;
    bool smallest = false;
    if (argc > first + 1 && std::strcmp(argv[first], "--best") == 0) {
        smallest = true;
        ++first;
    }
    if (argc > first + 1 && std::strcmp(argv[first], "--") == 0)
        ++first;
    if (argc <= first)
        fail(EXIT_USAGE, usage_format, argv[0]);
    return PackerCommand{argv[first], smallest};
}

}  // namespace toolrt
