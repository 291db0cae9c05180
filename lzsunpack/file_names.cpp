// Kinds from file names and derived output names (see file_names.h).
#include "lzsunpack/file_names.h"

#include "platform/files.h"

namespace lzsunpack {
namespace {

std::string_view base_name(std::string_view path)
{
    std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// The extension of the base name, '.' included, or an empty view.
std::string_view extension(std::string_view path)
{
    std::string_view base = base_name(path);
    std::size_t dot = base.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return base.substr(dot);
}

}  // namespace

std::optional<ImageKind> kind_of_file(std::string_view path)
{
    std::string_view base = base_name(path);
    for (const KindInfo& info : KIND_TABLE)
        if (info.fixed_name != nullptr && platform::same_name(base, info.fixed_name))
            return info.kind;
    std::string_view ext = extension(path);
    for (const KindInfo& info : KIND_TABLE)
        if (info.extension != nullptr && !ext.empty() && platform::same_name(ext, info.extension))
            return info.kind;
    return std::nullopt;
}

std::string derived_output_name(std::string_view path, ImageKind kind)
{
    std::string_view stem = path.substr(0, path.size() - extension(path).size());
    return std::string(stem) + kind_info(kind).output_extension;
}

}  // namespace lzsunpack
