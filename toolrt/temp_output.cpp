// The packing tools' outputs through the platform layer, with their
// messages and statuses.
#include "temp_output.h"

#include "exit_status.h"
#include "fail.h"

#include "platform/files.h"

#include <cerrno>
#include <string>
#include <vector>

namespace toolrt {
namespace {

struct Record {
    std::string final_name;
    std::FILE* stream = nullptr;
    bool in_place = false;
};

// The pending outputs, in the order they were begun.
std::vector<Record> g_records;

}  // namespace

std::FILE* temp_output_open(const char* final_name, std::FILE* mode_from)
{
    Record record{final_name, nullptr, platform::written_in_place(final_name)};
    platform::OutputError error = platform::OutputError::NONE;
    std::FILE* stream = platform::begin_output(final_name, mode_from, error);
    if (stream == nullptr) {
        if (errno == ENAMETOOLONG)
            fail(EXIT_OPEN, MSG_OUTPUT_NAME_TOO_LONG, final_name);
        fail(EXIT_OPEN, MSG_CANT_OPEN_TEMP);
    }
    record.stream = stream;
    g_records.push_back(record);
    return stream;
}

bool temp_output_in_place() { return !g_records.empty() && g_records.back().in_place; }

std::FILE* temp_output_commit(platform::Replace replace)
{
    std::vector<Record> records;
    records.swap(g_records);
    int failed = 0;
    platform::OutputError error = platform::commit_output(replace, &failed);
    auto at = static_cast<std::size_t>(failed);
    const char* name = at < records.size() ? records[at].final_name.c_str() : "";
    switch (error) {
    case platform::OutputError::NONE:
        break;
    case platform::OutputError::EXISTS:
        fail(EXIT_USAGE, MSG_OUTPUT_EXISTS, name);
    case platform::OutputError::CANT_RENAME:
        fail(EXIT_DATA, MSG_CANT_RENAME, name);
    case platform::OutputError::CANT_CREATE:
    case platform::OutputError::CANT_WRITE:
        fail(EXIT_DATA, MSG_SHORT_WRITE);
    }
    if (records.empty())
        return nullptr;
    for (std::size_t i = 0; i + 1 < records.size(); ++i)
        std::fclose(records[i].stream);
    if (records.back().in_place) {
        std::fclose(records.back().stream);
        return nullptr;
    }
    return records.back().stream;
}

void temp_output_cleanup()
{
    g_records.clear();
    platform::abandon_output();
}

}  // namespace toolrt
