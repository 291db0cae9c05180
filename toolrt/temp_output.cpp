// Every program's outputs through the platform layer: the record of what
// is pending, and the packers' messages and statuses for its failures.
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

std::FILE* temp_output_begin(const char* final_name, std::FILE* mode_from, platform::OutputError& error)
{
    bool in_place = platform::written_in_place(final_name);
    std::FILE* stream = platform::begin_output(final_name, mode_from, error);
    if (stream != nullptr)
        g_records.push_back(Record{final_name, stream, in_place});
    return stream;
}

std::FILE* temp_output_open(const char* final_name, std::FILE* mode_from)
{
    platform::OutputError error = platform::OutputError::NONE;
    std::FILE* stream = temp_output_begin(final_name, mode_from, error);
    if (stream == nullptr) {
        if (error == platform::OutputError::NAME_TOO_LONG)
            fail(EXIT_OPEN, MSG_OUTPUT_NAME_TOO_LONG, final_name);
        fail(EXIT_OPEN, MSG_CANT_OPEN_TEMP);
    }
    return stream;
}

bool temp_output_in_place() { return !g_records.empty() && g_records.back().in_place; }

CommitResult temp_output_finish(platform::Replace replace)
{
    std::vector<Record> records;
    records.swap(g_records);
    int failed = 0;
    CommitResult result;
    result.error = platform::commit_output(replace, &failed);
    if (result.error != platform::OutputError::NONE) {
        // Taken at once: the system says why only until its next call.
        result.cause = errno;
        auto at = static_cast<std::size_t>(failed);
        if (at < records.size())
            result.failed_name = records[at].final_name;
        return result;
    }
    if (records.empty())
        return result;
    for (std::size_t i = 0; i + 1 < records.size(); ++i)
        std::fclose(records[i].stream);
    if (records.back().in_place)
        std::fclose(records.back().stream);
    else
        result.stream = records.back().stream;
    return result;
}

std::FILE* temp_output_commit(platform::Replace replace)
{
    CommitResult result = temp_output_finish(replace);
    const char* name = result.failed_name.c_str();
    switch (result.error) {
    case platform::OutputError::NONE:
        break;
    case platform::OutputError::EXISTS:
        fail(EXIT_USAGE, MSG_OUTPUT_EXISTS, name);
    case platform::OutputError::CANT_RENAME:
        fail(EXIT_DATA, MSG_CANT_RENAME, name);
    case platform::OutputError::CANT_CREATE:
    case platform::OutputError::NAME_TOO_LONG:
    case platform::OutputError::CANT_WRITE:
        fail(EXIT_DATA, MSG_SHORT_WRITE);
    }
    return result.stream;
}

void temp_output_cleanup()
{
    g_records.clear();
    platform::abandon_output();
}

}  // namespace toolrt
