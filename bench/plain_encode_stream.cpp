// lzspack_plain's encoder: encode_stream routed to the plain reference
// encoder, so the baseline runs the very same program around it. Linked
// ahead of the codec library, it keeps the codec's encoder out of the
// program (see CMakeLists.txt).
#include "codec/lazy/encoder.h"
#include "tests/reference/plain_encoder.h"

namespace codec {

EncodeError encode_stream(ByteReader input, TokenWriter& writer)
{
    return reference::plain_encode_stream(input, writer);
}

}  // namespace codec
