#include "help.h"

#include "exit_status.h"
#include "fail.h"
#include "run.h"

#include <cstdio>

namespace toolrt {

void answer_help_or_version(const std::vector<std::string>& args, const char* name, const char* usage_format,
                            const char* summary)
{
    if (args.size() != 2)
        return;
    if (args[1] == "--help") {
        std::printf(usage_format, args[0].c_str());
        std::fputs(summary, stdout);
        finish_run(EXIT_OK);
    }
    if (args[1] == "--version") {
        std::printf("%s %s\n", name, LZSTOOLS_VERSION);
        finish_run(EXIT_OK);
    }
}

const char* input_argument(const std::vector<std::string>& args, const char* name, const char* usage_format,
                           const char* summary)
{
    answer_help_or_version(args, name, usage_format, summary);
    if (args.size() < 2)
        fail(EXIT_USAGE, usage_format, args.empty() ? name : args[0].c_str());
    return args[1].c_str();
}

PackerCommand packer_command(const std::vector<std::string>& args, const char* name, const char* usage_format,
                             const char* help_usage, const char* summary)
{
    answer_help_or_version(args, name, help_usage, summary);
    std::size_t first = 1;
    bool smallest = false;
    if (args.size() > first + 1 && args[first] == "--best") {
        smallest = true;
        ++first;
    }
    if (args.size() > first + 1 && args[first] == "--")
        ++first;
    if (args.size() <= first)
        fail(EXIT_USAGE, usage_format, args.empty() ? name : args[0].c_str());
    return PackerCommand{args[first].c_str(), smallest, first + 1};
}

}  // namespace toolrt
