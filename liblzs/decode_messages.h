// The system's texts for the decoder's errors. Part of the packers' and
// lzsunpack's interface with the scripts that run them: these texts change
// only together with those scripts.
#pragma once

#include "codec/decoder.h"

namespace liblzs {

// "Decode data error! ..."; "" for NONE.
const char* decode_error_message(codec::DecodeError error);

}  // namespace liblzs
