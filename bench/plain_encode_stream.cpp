// lzspack_plain's encoder: encode_stream (and the packers' encode_stream_reporting) routed to the plain
// reference encoder, so the baseline runs the very same program around it. Linked ahead of the codec library,
// it keeps the codec's encoder out of the program (see CMakeLists.txt).
#include "codec/encoder.h"
#include "tests/reference/plain_encoder.h"

namespace codec {

void encode_stream(std::FILE* input, TokenWriter& writer) { reference::plain_encode_stream(input, writer); }

// The packers' entry: the baseline shows no progress.
void encode_stream_reporting(std::FILE* input, TokenWriter& writer, const Progress& /*progress*/)
{
    reference::plain_encode_stream(input, writer);
}

}  // namespace codec
