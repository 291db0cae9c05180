// Looking kinds up in the table of image_kind.h.
#include "lzsunpack/image_kind.h"

#include <cstdlib>

namespace lzsunpack {

const KindInfo& kind_info(ImageKind kind)
{
    for (const KindInfo& info : KIND_TABLE)
        if (info.kind == kind)
            return info;
    std::abort();  // every ImageKind has a row
}

std::optional<ImageKind> kind_named(std::string_view name)
{
    for (const KindInfo& info : KIND_TABLE)
        if (name == info.name)
            return info.kind;
    return std::nullopt;
}

}  // namespace lzsunpack
