#include "scratch_dir.h"

#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace testing_support {

ScratchDir::ScratchDir()
{
    // A random name, created only if no entry has it: create_directory
    // reports an existing one, so concurrent tests never share a directory.
    static constexpr char LETTERS[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof LETTERS - 2);
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "lzstest.";
        for (int i = 0; i < 8; ++i)
            name += LETTERS[pick(random)];
        if (std::filesystem::create_directory(base / name)) {
            path_ = base / name;
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch directory");
}

ScratchDir::~ScratchDir()
{
    std::error_code error;
    // Tests may leave read-only directories behind; make them removable.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 error);
    std::filesystem::remove_all(path_, error);
}

void write_file(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.filename().string());
}

void ScratchDir::write(const std::string& name, const Bytes& bytes) const { write_file(path_ / name, bytes); }

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
