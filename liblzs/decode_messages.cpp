// The decoder's error texts: see decode_messages.h.
#include "liblzs/decode_messages.h"

namespace liblzs {

const char* decode_error_message(codec::DecodeError error)
{
    switch (error) {
    case codec::DecodeError::UNDER_RUN:
        return "Decode data error! under run.";
    case codec::DecodeError::OVER_RUN:
        return "Decode data error! over run.";
    case codec::DecodeError::TRUNCATED:
        return "Decode data error! stream ends without its end mark.";
    case codec::DecodeError::NONE:
        break;
    }
    return "";
}

}  // namespace liblzs
