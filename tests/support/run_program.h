// Runs a built program as a user would and captures what it did.
#pragma once

#include "tests/support/scratch_dir.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

struct RunResult {
    int status = -1;  // exit status, or -1 if a signal ended it
    int signal = 0;   // the signal that ended it, or 0
    std::string out;
    std::string err;
};

struct RunOptions {
    // Runs in the child just before exec: limits, signal dispositions.
    std::function<void()> child_setup;
    // Sends `signal` to the child once `signal_when` returns true. It is
    // asked every few milliseconds while the child runs, so it should be
    // cheap (a look at the directory, say).
    int signal = 0;
    std::function<bool()> signal_when;
};

// Runs `program` with `args` in `directory` and waits for it.
RunResult run_program(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& directory, const RunOptions& options = {});

// The same in the scratch directory `dir`: how a program test starts one.
inline RunResult run_in(const ScratchDir& dir, const std::string& program,
                        const std::vector<std::string>& args = {}, const RunOptions& options = {})
{
    return run_program(program, args, dir.path(), options);
}

}  // namespace testing_support
