// The codec's results as the library's one error enum.
#pragma once

#include "codec/decoder.h"
#include "codec/token_stream.h"
#include "lzs.h"

namespace liblzs {

lzs_error from_decode(codec::DecodeError error);
lzs_error from_encode(codec::EncodeError error);

}  // namespace liblzs
