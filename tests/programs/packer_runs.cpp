#include "packer_runs.h"

#include <filesystem>
#include <system_error>

namespace packer_runs {
namespace {

namespace fs = std::filesystem;

constexpr char TEMP_PREFIX[] = ".lzstmp-";  // a named temporary file

// The size of a file, or -1.
long long size_of(const fs::path& path)
{
    std::error_code error;
    auto size = fs::file_size(path, error);
    return error ? -1 : static_cast<long long>(size);
}

// A nameless temporary file is only seen through the descriptor of the
// process writing it, whose working directory is `dir`: /proc shows it as
// "<dir>/#<inode> (deleted)".
long long nameless_temporary_size(const fs::path& dir)
{
    std::error_code error;
    for (const auto& process : fs::directory_iterator("/proc", error)) {
        std::error_code ignored;
        if (fs::read_symlink(process.path() / "cwd", ignored) != dir)
            continue;
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", ignored)) {
            std::string target = fs::read_symlink(fd.path(), ignored).string();
            if (target.rfind((dir / "#").string(), 0) == 0)
                return size_of(fd.path());
        }
    }
    return -1;
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
    for (const auto& entry : fs::directory_iterator(dir.path(), error))
        if (entry.path().filename().string().rfind(TEMP_PREFIX, 0) == 0)
            return size_of(entry.path());
    return nameless_temporary_size(fs::canonical(dir.path(), error));
}

}  // namespace packer_runs
