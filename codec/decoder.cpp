#include "decoder.h"

#include "token_stream.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"

namespace codec {
namespace {

void count(DecodeStats* stats, TokenClass token, unsigned length, std::size_t distance)
{
    if (stats == nullptr)
        return;
    stats->tokens[token] += 1;
    stats->bytes[token] += length;
    stats->distance_sum += distance;
}

}  // namespace

// Every bound of the decoder goes through this guard.
#define DECODE_CHECK(condition, failure)                          \
    do {                                                          \
        if (!(condition))                                         \
            return DecodeResult{(failure), static_cast<std::size_t>(out - destination)}; \
    } while (0)

DecodeResult decode_tokens_checked(const std::uint8_t* source, std::size_t source_size,
                                   std::uint8_t* destination, std::size_t capacity,
                                   DecodeStats* stats)
{
    const std::uint8_t* in = source;
    const std::uint8_t* const in_end = source + source_size;
    std::uint8_t* out = destination;
    std::uint8_t* const out_end = destination + capacity;

    // Flag register: the group's flag byte under eight 1-bits that count
    // its tokens; a new flag byte is due when they have all shifted out.
    unsigned flags = 0;
    for (;;) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            DECODE_CHECK(in_end - in >= 1, DecodeError::TRUNCATED);
            flags = 0xFF00u | *in++;
        }
        DECODE_CHECK(in_end - in >= 1, DecodeError::TRUNCATED);
        unsigned lead = *in++;

        TokenClass token;
        unsigned length;
        unsigned d;
        if (flags & 1) {
            if (lead >= 0x80) {
                DECODE_CHECK(out < out_end, DecodeError::OVER_RUN);
                *out++ = static_cast<std::uint8_t>(lead);
                count(stats, LITERAL_HIGH, 1, 0);
                continue;
            }
            if (lead >= 0x40) {
                DECODE_CHECK(in_end - in >= 1, DecodeError::TRUNCATED);
                token = MATCH_4;
                length = 4;
                d = (lead & 0x3F) << 8 | *in++;
            } else {
                DECODE_CHECK(in_end - in >= 2, DecodeError::TRUNCATED);
                token = MATCH_FAR;
                d = lead << 8 | in[0];
                length = in[1] + 5u;
                in += 2;
            }
        } else {
            if (lead < 0x80) {
                DECODE_CHECK(out < out_end, DecodeError::OVER_RUN);
                *out++ = static_cast<std::uint8_t>(lead);
                count(stats, LITERAL_LOW, 1, 0);
                continue;
            }
            if (lead == END_MARK_BYTE) {
                count(stats, END_MARK, 0, 0);
                return DecodeResult{DecodeError::NONE, static_cast<std::size_t>(out - destination)};
            }
            DECODE_CHECK(in_end - in >= 1, DecodeError::TRUNCATED);
            if (lead < 0xC0) {
                token = MATCH_3;
                length = 3;
                d = (lead & 0x3F) << 8 | *in++;
            } else {  // low bits 7 decode as length 12, which is never written
                token = MATCH_NEAR;
                length = (lead & 7) + 5;
                d = (lead & 0x38) << 5 | *in++;
            }
        }

        std::size_t distance = d + 1;
        DECODE_CHECK(distance <= static_cast<std::size_t>(out - destination), DecodeError::UNDER_RUN);
        DECODE_CHECK(length <= static_cast<std::size_t>(out_end - out), DecodeError::OVER_RUN);
        // Byte by byte: a match may overlap the bytes it produces.
        const std::uint8_t* from = out - distance;
        for (unsigned i = 0; i < length; ++i)
            out[i] = from[i];
        out += length;
        count(stats, token, length, distance);
    }
}

#undef DECODE_CHECK

const char* decode_error_message(DecodeError error)
{
    switch (error) {
    case DecodeError::UNDER_RUN:
        return toolrt::MSG_DECODE_UNDER_RUN;
    case DecodeError::OVER_RUN:
        return toolrt::MSG_DECODE_OVER_RUN;
    case DecodeError::TRUNCATED:
        return toolrt::MSG_DECODE_TRUNCATED;
    case DecodeError::NONE:
        break;
    }
    return "";
}

std::size_t decode_tokens(const std::uint8_t* source, std::size_t source_size,
                          std::uint8_t* destination, std::size_t capacity)
{
    DecodeResult result = decode_tokens_checked(source, source_size, destination, capacity);
    if (result.error != DecodeError::NONE)
        toolrt::fail(toolrt::EXIT_DATA, "%s", decode_error_message(result.error));
    return result.produced;
}

}  // namespace codec
