// The in-place margin (see in_place_margin.h): one walk over the tokens,
// counting the stream bytes read and the output written.
#include "in_place_margin.h"

#include "token_layout.h"

#include <algorithm>

namespace codec {

std::optional<InPlaceMargin> in_place_margin(const std::uint8_t* stream, std::size_t size, DecodeError* why)
{
    std::size_t tokens = 0;
    std::size_t token_bytes = 0;
    std::size_t produced = 0;
    std::size_t offset = 0;
    bool reaches_before_start = false;
    std::size_t stream_size = for_each_token(stream, size, [&](const Token& token) {
        if (token.token == END_MARK)
            return true;
        if (token.distance > produced) {
            reaches_before_start = true;
            return false;
        }
        tokens += 1;
        token_bytes += token_table[token.token].bytes;
        produced += token.length;
        // Read so far: a flag byte per group begun, and every token's bytes.
        std::size_t read = (tokens - 1) / TOKENS_PER_GROUP + 1 + token_bytes;
        if (produced > read)
            offset = std::max(offset, produced - read);
        return true;
    });
    if (stream_size == 0 || reaches_before_start) {
        if (why != nullptr)
            *why = reaches_before_start ? DecodeError::UNDER_RUN : DecodeError::TRUNCATED;
        return std::nullopt;
    }
    return InPlaceMargin{stream_size, produced, offset, offset + stream_size - produced};
}

InPlaceMargin file_in_place_margin(const InPlaceMargin& stream, std::size_t stream_offset,
                                   std::size_t file_size)
{
    std::size_t offset = stream.offset > stream_offset ? stream.offset - stream_offset : 0;
    return InPlaceMargin{file_size, stream.produced, offset, offset + file_size - stream.produced};
}

}  // namespace codec
