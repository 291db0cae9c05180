// The two packers as the fault tests drive them: what each reads and
// writes, and snapshots of a scratch directory to compare before and after a
// run that went wrong.
#pragma once

#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace packer_runs {

using testing_support::Bytes;
using testing_support::ScratchDir;

struct Packer {
    const char* name;  // for test names
    const char* path;
    std::string input;                 // the input's name in the directory
    std::vector<std::string> outputs;  // in the order they are committed; the packed file last
};

// Test parameters print as the packer's name.
inline void PrintTo(const Packer& packer, std::ostream* os) { *os << packer.name; }

const Packer& lzspack();
const Packer& apppack();

// Every regular file of a directory and its bytes.
using Files = std::map<std::string, Bytes>;
Files files_in(const ScratchDir& dir);

// Writes the input, and an earlier version of each output that a failed run
// must leave alone. Returns the directory's files.
Files prepare(const ScratchDir& dir, const Packer& packer, const Bytes& input);

testing_support::RunResult run(const Packer& packer, const ScratchDir& dir,
                               const testing_support::RunOptions& options = {});

// The size of the largest file a program running in `dir` has open for
// writing there (its pending outputs, named or nameless), or -1 if there is
// none.
long long temporary_size(const ScratchDir& dir);

}  // namespace packer_runs
