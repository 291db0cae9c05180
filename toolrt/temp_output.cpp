// The packing tools' outputs through the platform layer, with their
// messages and statuses.
#include "temp_output.h"

#include "exit_status.h"
#include "fail.h"

#include "platform/files.h"

#include <cerrno>
#include <string>

namespace toolrt {
namespace {

struct Record {
    std::string final_name;
    std::FILE* stream = nullptr;
    bool in_place = false;
};

Record g_record;

}  // namespace

std::FILE* temp_output_open(const char* final_name, std::FILE* mode_from)
{
    g_record.final_name = final_name;
    g_record.in_place = platform::file_kind(final_name) == platform::FileKind::SPECIAL;
    platform::OutputError error = platform::OutputError::NONE;
    std::FILE* stream = platform::begin_output(final_name, mode_from, error);
    if (stream == nullptr) {
        if (errno == ENAMETOOLONG)
            fail(EXIT_OPEN, MSG_OUTPUT_NAME_TOO_LONG, final_name);
        fail(EXIT_OPEN, MSG_CANT_OPEN_TEMP);
    }
    g_record.stream = stream;
    return stream;
}

std::FILE* temp_output_commit(platform::Replace replace)
{
    std::FILE* stream = g_record.stream;
    g_record.stream = nullptr;
    const char* name = g_record.final_name.c_str();
    switch (platform::commit_output(replace)) {
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
    if (g_record.in_place) {
        std::fclose(stream);
        return nullptr;
    }
    return stream;
}

void temp_output_cleanup() { platform::abandon_output(); }

}  // namespace toolrt
