#include "packed_file.h"

#include "messages.h"
#include "progress_line.h"
#include "verify_buffers.h"

#include "codec/decoder.h"
#include "codec/encoder.h"
#include "codec/optimal_parse.h"
#include "codec/token_stream.h"
#include "platform/files.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"
#include "toolrt/file_io.h"
#include "toolrt/temp_output.h"

#include <algorithm>
#include <cstring>

namespace packing {

using codec::decode_tokens;
using codec::encode_stream_reporting;
using codec::encode_stream_smallest_reporting;
using codec::make_token_writer;
using codec::TokenWriter;

PackedFile write_packed_file(std::FILE* input, const char* input_name, const char* final_name,
                             PackedLayout layout, std::initializer_list<std::uint32_t> header,
                             StreamChoice choice)
{
    std::FILE* out = toolrt::temp_output_open(final_name, input);
    for (std::uint32_t word : header)
        toolrt::write_le32(out, word);
    TokenWriter writer = make_token_writer(out, static_cast<std::int64_t>(4 * header.size()));
    std::int64_t start = platform::file_position(input);
    std::uint64_t declared = layout.length_word < header.size() ? header.begin()[layout.length_word] : 0;
    codec::Progress progress = progress_line(input_name, declared);
    if (choice == StreamChoice::SMALLEST)
        encode_stream_smallest_reporting(input, writer, progress);
    else
        encode_stream_reporting(input, writer, progress);
    end_progress_line();

    // The encoder takes a short read for the end of the input. Before the
    // stream replaces anything, make sure it was the end.
    // The proof may read the file back before the commit would flush it.
    if (std::fflush(out) != 0 || std::ferror(out))
        toolrt::fail(toolrt::EXIT_DATA, toolrt::MSG_SHORT_WRITE);
    bool laid_out = header.size() == layout.header_words && layout.length_word < header.size();
    if (!laid_out || std::ferror(input) || start < 0)
        toolrt::fail(toolrt::EXIT_DATA, MSG_CANT_READ_INPUT, input_name);
    if (platform::file_position(input) - start != std::int64_t{header.begin()[layout.length_word]})
        toolrt::fail(toolrt::EXIT_DATA, MSG_INPUT_CHANGED, input_name);
    return PackedFile{writer.bytes_written, out};
}

namespace {

struct LoadedFile {
    std::int32_t declared;        // the original length the header declares
    const unsigned char* stream;  // the token stream, in the src buffer
    std::size_t stream_size;
};

// Reads the packed file whole, from its start.
LoadedFile load_packed_file(std::FILE* packed, PackedLayout layout)
{
    platform::seek_file(packed, 0);
    std::int32_t declared = 0;
    for (unsigned i = 0; i < layout.header_words; ++i) {
        std::uint32_t word = toolrt::read_le32(packed);
        if (i == layout.length_word)
            declared = static_cast<std::int32_t>(word);
    }
    std::int64_t size = toolrt::file_length(packed) - 4 * std::int64_t{layout.header_words};
    if (size < 0)
        size = 0;  // a file cut inside its header: the decoder reports it
    // The stream of an input that does not compress may pass 2 GiB, though
    // the input cannot: the buffer is sized in 64 bits, only the message in 32.
    unsigned char* src = verify_buffer_alloc(VerifyBuffer::SRC, static_cast<std::size_t>(size));
    if (src == nullptr)
        toolrt::fail(toolrt::EXIT_MEMORY, MSG_NO_MEMORY_SRC,
                     static_cast<int>(std::min<std::int64_t>(size, toolrt::MAX_INPUT_SIZE)));
    std::size_t stream_size = std::fread(src, 1, static_cast<std::size_t>(size), packed);
    return LoadedFile{declared, src, stream_size};
}

// Reads the input from `offset` to its end into the src buffer and
// compares it with the `decoded` bytes.
void compare_with_input(std::FILE* input, const char* input_name, std::int64_t offset,
                        const unsigned char* decoded, std::size_t decoded_size)
{
    std::int64_t size = toolrt::file_length(input) - offset;
    // An input that changed length since it was packed cannot match.
    if (size != static_cast<std::int64_t>(decoded_size))
        toolrt::fail(toolrt::EXIT_DATA, MSG_INPUT_CHANGED, input_name);
    if (!platform::seek_file(input, offset))
        toolrt::fail(toolrt::EXIT_DATA, MSG_DECODE_MISMATCH);
    unsigned char* src = verify_buffer_alloc(VerifyBuffer::SRC, decoded_size);
    if (src == nullptr)
        toolrt::fail(toolrt::EXIT_MEMORY, MSG_NO_MEMORY_SRC, static_cast<int>(size));
    std::size_t read = std::fread(src, 1, decoded_size, input);
    if (read != decoded_size || std::memcmp(src, decoded, decoded_size) != 0)
        toolrt::fail(toolrt::EXIT_DATA, MSG_DECODE_MISMATCH);
}

}  // namespace

void verify_packed_file(std::FILE* packed_file, PackedLayout layout, std::FILE* input, const char* input_name,
                        std::int64_t input_offset)
{
    LoadedFile packed = load_packed_file(packed_file, layout);
    std::int32_t declared = packed.declared;
    unsigned char* dst =
        declared < 0 ? nullptr : verify_buffer_alloc(VerifyBuffer::DST, static_cast<std::size_t>(declared));
    if (dst == nullptr)
        toolrt::fail(toolrt::EXIT_MEMORY, toolrt::MSG_NO_MEMORY_DST, declared);

    std::size_t capacity = static_cast<std::size_t>(declared);
    std::size_t decoded = decode_tokens(packed.stream, packed.stream_size, dst, capacity);
    verify_buffer_free(VerifyBuffer::SRC);
    if (decoded != capacity)
        toolrt::fail(toolrt::EXIT_DATA, MSG_DECODE_SIZE, declared, static_cast<int>(decoded));

    compare_with_input(input, input_name, input_offset, dst, capacity);
    verify_buffer_free(VerifyBuffer::SRC);
    verify_buffer_free(VerifyBuffer::DST);
}

}  // namespace packing
