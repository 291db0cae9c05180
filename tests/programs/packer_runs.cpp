#include "packer_runs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace packer_runs {
namespace {

namespace fs = std::filesystem;

// Whether /proc's fdinfo of a descriptor says it was opened for writing.
bool open_for_writing(const fs::path& fdinfo)
{
    std::ifstream info(fdinfo);
    std::string key;
    std::string flags;
    while (info >> key >> flags)
        if (key == "flags:")
            return (std::stoul(flags, nullptr, 8) & 3) != 0;  // O_WRONLY or O_RDWR
    return false;
}

}  // namespace

const Packer& lzspack()
{
    static const Packer packer = {"lzspack", LZSPACK_PATH, "data.bin", {"data.lzs"}};
    return packer;
}

const Packer& apppack()
{
    static const Packer packer = {"apppack", APPPACK_PATH, "app.exe", {"app_head.bin", "zq_app.bin"}};
    return packer;
}

Files files_in(const ScratchDir& dir)
{
    Files files;
    for (const std::string& name : dir.entries())
        if (std::filesystem::is_regular_file(dir / name))
            files[name] = dir.read(name);
    return files;
}

Files prepare(const ScratchDir& dir, const Packer& packer, const Bytes& input)
{
    dir.write(packer.input, input);
    for (const std::string& output : packer.outputs)
        dir.write(output, "earlier " + output);
    return files_in(dir);
}

testing_support::RunResult run(const Packer& packer, const ScratchDir& dir,
                               const testing_support::RunOptions& options)
{
    return testing_support::run_program(packer.path, {packer.input}, dir.path(), options);
}

long long temporary_size(const ScratchDir& dir)
{
    std::error_code error;
    const fs::path where = fs::canonical(dir.path(), error);
    // A nameless file has no entry in the directory: it is seen only through
    // the descriptor of the process writing it.
    long long largest = -1;
    for (const auto& process : fs::directory_iterator("/proc", error)) {
        std::error_code ignored;
        if (fs::read_symlink(process.path() / "cwd", ignored) != where)
            continue;
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", ignored)) {
            fs::path target = fs::read_symlink(fd.path(), ignored);
            if (target.parent_path() == where &&
                open_for_writing(process.path() / "fdinfo" / fd.path().filename())) {
                auto size = fs::file_size(fd.path(), ignored);
                if (!ignored)
                    largest = std::max(largest, static_cast<long long>(size));
            }
        }
    }
    return largest;
}

}  // namespace packer_runs
