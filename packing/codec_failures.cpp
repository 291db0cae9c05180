// The codec's errors as the packers' messages: see codec_failures.h.
#include "packing/codec_failures.h"

#include "codec/decoder.h"
#include "liblzs/decode_messages.h"
#include "packing/messages.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"

namespace packing {

void fail_on_encode_error(const codec::TokenWriter& writer, codec::EncodeError error)
{
    switch (error) {
    case codec::EncodeError::NONE:
        return;
    case codec::EncodeError::NO_MEMORY:
        toolrt::fail(toolrt::EXIT_MEMORY, toolrt::MSG_NO_MEMORY);
    case codec::EncodeError::SHORT_WRITE:
        toolrt::fail(toolrt::EXIT_DATA, toolrt::MSG_SHORT_WRITE);
    case codec::EncodeError::UNENCODABLE_MATCH:
        toolrt::fail(toolrt::EXIT_DATA, MSG_ENCODE_ERROR, writer.bad_length, writer.bad_distance);
    }
}

std::size_t decode_tokens(const std::uint8_t* source, std::size_t source_size, std::uint8_t* destination,
                          std::size_t capacity)
{
    codec::DecodeResult result = codec::decode_tokens_checked(source, source_size, destination, capacity);
    if (result.error != codec::DecodeError::NONE)
        toolrt::fail(toolrt::EXIT_DATA, "%s", liblzs::decode_error_message(result.error));
    return result.produced;
}

}  // namespace packing
