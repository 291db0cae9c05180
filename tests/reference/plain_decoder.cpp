#include "plain_decoder.h"

#include "codec/token_layout.h"

namespace reference {

using codec::DecodeError;
using codec::DecodeResult;

DecodeResult plain_decode_tokens(const std::uint8_t* source, std::size_t source_size,
                                 std::uint8_t* destination, std::size_t capacity, codec::DecodeStats* stats)
{
    std::size_t at = 0;
    std::size_t produced = 0;
    auto tally = [stats](codec::TokenClass token, std::size_t length, std::size_t distance) {
        if (stats == nullptr)
            return;
        stats->tokens[token] += 1;
        stats->bytes[token] += length;
        stats->distance_sum += distance;
    };
    for (;;) {
        if (at == source_size)
            return {DecodeError::TRUNCATED, produced};
        unsigned flags = source[at++];
        for (unsigned i = 0; i < codec::TOKENS_PER_GROUP; ++i) {
            if (at == source_size)
                return {DecodeError::TRUNCATED, produced};
            unsigned lead = source[at];
            const codec::LeadInfo& info = codec::lead_info(flags >> i & 1, lead);
            if (source_size - at < info.bytes)
                return {DecodeError::TRUNCATED, produced};
            if (info.token == codec::END_MARK) {
                tally(codec::END_MARK, 0, 0);
                return {DecodeError::NONE, produced};
            }
            if (info.token == codec::LITERAL_LOW || info.token == codec::LITERAL_HIGH) {
                if (produced == capacity)
                    return {DecodeError::OVER_RUN, produced};
                destination[produced++] = static_cast<std::uint8_t>(lead);
                at += 1;
                tally(info.token, 1, 0);
                continue;
            }
            std::size_t distance = (info.high_d | source[at + 1]) + std::size_t{1};
            std::size_t length = info.length + (info.far != 0 ? source[at + 2] : 0u);
            at += info.bytes;
            if (distance > produced)
                return {DecodeError::UNDER_RUN, produced};
            if (length > capacity - produced)
                return {DecodeError::OVER_RUN, produced};
            for (std::size_t k = 0; k < length; ++k, ++produced)
                destination[produced] = destination[produced - distance];
            tally(info.token, length, distance);
        }
    }
}

}  // namespace reference
