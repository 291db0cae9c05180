// A fresh directory per test, removed afterwards, with file helpers.
#pragma once

#include "memory_stream.h"

#include <filesystem>
#include <set>
#include <string>

namespace testing_support {

// Writes `bytes` as the file `path` (any name the system takes, whatever the
// narrow code page).
void write_file(const std::filesystem::path& path, const Bytes& bytes);

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    void write(const std::string& name, const Bytes& bytes) const;
    void write(const std::string& name, const std::string& text) const;
    Bytes read(const std::string& name) const;
    bool exists(const std::string& name) const;
    // Every entry's name, hidden ones included.
    std::set<std::string> entries() const;

private:
    std::filesystem::path path_;
};

}  // namespace testing_support
