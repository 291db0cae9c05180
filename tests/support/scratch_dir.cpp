#include "scratch_dir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace testing_support {

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "lzstest.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code error;
    // Tests may leave read-only directories behind; make them removable.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
}

void ScratchDir::write(const std::string& name, const Bytes& bytes) const
{
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + name);
}

void ScratchDir::write(const std::string& name, const std::string& text) const
{
    write(name, bytes_of(text));
}

Bytes ScratchDir::read(const std::string& name) const
{
    std::ifstream in(path_ / name, std::ios::binary | std::ios::ate);
    if (!in)
        throw std::runtime_error("cannot read " + name);
    // One read of the whole file: byte-wise iteration takes seconds for the
    // large inputs in the sanitizer build.
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in)
        throw std::runtime_error("cannot read " + name);
    return bytes;
}

bool ScratchDir::exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

std::set<std::string> ScratchDir::entries() const
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.insert(entry.path().filename().string());
    return names;
}

}  // namespace testing_support
