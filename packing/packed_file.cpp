#include "packed_file.h"

#include "codec_failures.h"
#include "file_bytes.h"
#include "messages.h"
#include "progress_line.h"

#include "codec/lazy/encoder.h"
#include "codec/smallest_stream/smallest_stream.h"
#include "codec/token_stream.h"
#include "liblzs/chain_files.h"
#include "platform/files.h"
#include "platform/large_buffer.h"
#include "toolrt/exit_status.h"
#include "toolrt/fail.h"
#include "toolrt/file_io.h"
#include "toolrt/temp_output.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>

namespace packing {

using codec::make_token_writer;
using codec::TokenWriter;

static_assert(static_cast<std::uint64_t>(toolrt::MAX_INPUT_SIZE) == liblzs::MAX_INPUT_SIZE,
              "the packers refuse what the containers cannot declare");

namespace {

// The input as the encoder's reader, telling the progress line of each
// block it hands over.
struct ReportingReader {
    codec::ByteReader file;
    const codec::Progress* progress;
    std::uint64_t done = 0;
};

std::size_t read_reporting(void* context, std::uint8_t* into, std::size_t size)
{
    auto& reader = *static_cast<ReportingReader*>(context);
    std::size_t got = reader.file.read(reader.file.context, into, size);
    reader.done += got;
    codec::report_progress(reader.progress, reader.done, reader.progress->input_size);
    return got;
}

codec::EncodeError encode(std::FILE* input, TokenWriter& writer, StreamChoice choice,
                          const codec::Progress& progress)
{
    if (choice == StreamChoice::STANDARD) {
        ReportingReader reader{file_reader(input), &progress};
        return codec::encode_stream(codec::ByteReader{read_reporting, &reader}, writer);
    }
    WholeInput whole = read_to_end(input);
    return codec::encode_smallest(std::span<const std::uint8_t>(whole.data.get(), whole.size), writer,
                                  &progress);
}

}  // namespace

PackedFile write_packed_file(std::FILE* input, const char* input_name, const char* final_name,
                             const liblzs::ContainerFormat& format, std::uint32_t declared,
                             StreamChoice choice)
{
    std::FILE* out = toolrt::temp_output_open(final_name, input);
    for (unsigned i = 0; i < format.header_words; ++i)
        toolrt::write_le32(out, liblzs::header_word(format, i, declared));
    TokenWriter writer =
        make_token_writer(file_sink(out), static_cast<std::int64_t>(liblzs::header_size(format)));
    std::int64_t start = platform::file_position(input);
    codec::Progress progress = progress_line(input_name, declared);
    codec::EncodeError error = encode(input, writer, choice, progress);
    end_progress_line();
    fail_on_encode_error(writer, error);

    // The proof may read the file back before the commit would flush it.
    if (std::fflush(out) != 0 || std::ferror(out))
        toolrt::fail(toolrt::EXIT_DATA, toolrt::MSG_SHORT_WRITE);
    // The encoder takes a short read for the end of the input. Before the
    // stream replaces anything, make sure it was the end.
    if (std::ferror(input) || start < 0)
        toolrt::fail(toolrt::EXIT_DATA, MSG_CANT_READ_INPUT, input_name);
    if (platform::file_position(input) - start != std::int64_t{declared})
        toolrt::fail(toolrt::EXIT_DATA, MSG_INPUT_CHANGED, input_name);
    return PackedFile{writer.bytes_written, out};
}

namespace {

// The proof's buffers, the compressed bytes ("src") and the decoded ones
// ("dst"), each owned by the step that needs it, and never cleared: the
// read and the decoder overwrite them. Not from new: a buffer that cannot
// be had has its own message, not the new-handler's.
using Buffer = platform::LargeBuffer;

// At least one byte, so that an empty file still has a buffer; empty if
// memory runs out.
Buffer allocate(std::size_t size) { return platform::allocate_large_buffer(size); }

// The input is read back in blocks of this size for the comparison: one
// small buffer, reused, instead of a second copy of the whole input.
constexpr std::size_t COMPARE_BLOCK = std::size_t{1} << 16;

struct LoadedFile {
    std::int32_t declared;  // the original length the header declares
    Buffer stream;          // the token stream
    std::size_t stream_size;
};

// Reads the packed file whole, from its start.
LoadedFile load_packed_file(std::FILE* packed, const liblzs::ContainerFormat& layout)
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
    Buffer src = allocate(static_cast<std::size_t>(size));
    if (src == nullptr)
        toolrt::fail(toolrt::EXIT_MEMORY, MSG_NO_MEMORY_SRC,
                     static_cast<int>(std::min<std::int64_t>(size, toolrt::MAX_INPUT_SIZE)));
    std::size_t stream_size = std::fread(src.get(), 1, static_cast<std::size_t>(size), packed);
    return LoadedFile{declared, std::move(src), stream_size};
}

// Reads the input from `offset` to its end, block by block, and compares
// it with the `decoded` bytes.
void compare_with_input(std::FILE* input, const char* input_name, std::int64_t offset,
                        const unsigned char* decoded, std::size_t decoded_size)
{
    std::int64_t size = toolrt::file_length(input) - offset;
    // An input that changed length since it was packed cannot match.
    if (size != static_cast<std::int64_t>(decoded_size))
        toolrt::fail(toolrt::EXIT_DATA, MSG_INPUT_CHANGED, input_name);
    if (!platform::seek_file(input, offset))
        toolrt::fail(toolrt::EXIT_DATA, MSG_DECODE_MISMATCH);
    Buffer block = allocate(std::min(decoded_size, COMPARE_BLOCK));
    if (block == nullptr)
        toolrt::fail(toolrt::EXIT_MEMORY, MSG_NO_MEMORY_SRC, static_cast<int>(size));
    for (std::size_t done = 0; done < decoded_size;) {
        std::size_t want = std::min(decoded_size - done, COMPARE_BLOCK);
        std::size_t read = std::fread(block.get(), 1, want, input);
        if (read != want || std::memcmp(block.get(), decoded + done, want) != 0)
            toolrt::fail(toolrt::EXIT_DATA, MSG_DECODE_MISMATCH);
        done += want;
    }
}

}  // namespace

void verify_packed_file(std::FILE* packed_file, const liblzs::ContainerFormat& layout, std::FILE* input,
                        const char* input_name, std::int64_t input_offset)
{
    LoadedFile packed = load_packed_file(packed_file, layout);
    std::int32_t declared = packed.declared;
    Buffer dst = declared < 0 ? nullptr : allocate(static_cast<std::size_t>(declared));
    if (dst == nullptr)
        toolrt::fail(toolrt::EXIT_MEMORY, toolrt::MSG_NO_MEMORY_DST, declared);

    std::size_t capacity = static_cast<std::size_t>(declared);
    std::size_t decoded = decode_tokens(packed.stream.get(), packed.stream_size, dst.get(), capacity);
    packed.stream.reset();  // no longer needed while the input is read again
    if (decoded != capacity)
        toolrt::fail(toolrt::EXIT_DATA, MSG_DECODE_SIZE, declared, static_cast<int>(decoded));

    compare_with_input(input, input_name, input_offset, dst.get(), capacity);
}

}  // namespace packing
