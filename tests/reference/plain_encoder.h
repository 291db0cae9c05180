// The reference encoder: the first, plain implementation of encode_stream.
#pragma once

#include "codec/token_stream.h"

#include <cstdio>

namespace reference {

// Same contract and same output as codec::encode_stream.
void plain_encode_stream(std::FILE* input, codec::TokenWriter& writer);

}  // namespace reference
