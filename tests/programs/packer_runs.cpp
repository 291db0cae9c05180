#include "packer_runs.h"

#include <filesystem>
#include <system_error>

namespace packer_runs {
namespace {

bool is_temporary_of(const std::string& entry, const std::string& output)
{
    constexpr std::size_t SUFFIX = 7;  // ".XXXXXX"
    return entry.size() == output.size() + SUFFIX && entry.compare(0, output.size(), output) == 0 &&
           entry[output.size()] == '.';
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

long long temporary_size(const ScratchDir& dir, const std::string& name)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path(), error)) {
        if (is_temporary_of(entry.path().filename().string(), name)) {
            auto size = entry.file_size(error);
            return error ? 0 : static_cast<long long>(size);
        }
    }
    return -1;
}

}  // namespace packer_runs
