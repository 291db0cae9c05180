// The reference encoder: the first, plain implementation of encode_stream.
#pragma once

#include "codec/token_stream.h"

#include <cstdio>

namespace reference {

// Same contract and same output as codec::encode_stream.
codec::EncodeError plain_encode_stream(codec::ByteReader input, codec::TokenWriter& writer);

}  // namespace reference
