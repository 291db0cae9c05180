#include "run.h"

#include "exit_status.h"
#include "fail.h"

#include "platform/program.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace toolrt {
namespace {

// The one place every failed `new` ends, whatever allocated: no allocation
// in the programs is worth a different message, and none may abort.
void out_of_memory() { fail(EXIT_MEMORY, MSG_NO_MEMORY); }

}  // namespace

std::vector<std::string> start_run(int argc, char** argv, MessageEnd end)
{
    set_message_end(end);
    std::set_new_handler(out_of_memory);
    return platform::start_program(argc, argv);
}

void finish_run(int status)
{
    bool lost = std::ferror(stdout) != 0;
    lost = std::fclose(stdout) != 0 || lost;
    if (lost)
        fail(EXIT_DATA, MSG_CANT_WRITE_STDOUT);
    std::exit(status);
}

}  // namespace toolrt
