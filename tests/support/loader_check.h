// The loader's decoders (loader/) held against the codec's checked decoder,
// for the unit tests, the differential fuzz target and the benchmark's
// check of its corpus. Each check returns an empty string when all agree,
// else what disagreed first, so that a test can print it and a fuzz target
// abort on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testing_support {

// Decodes [stream, stream + size) into `capacity` bytes with the codec's
// checked decoder and with every loader decoder that applies: the checked
// one apart and in place (the stream `in_place_offset` bytes into the
// output buffer: the outcome is the codec's, or an overlap reported before
// it with the codec's bytes so far), the byte-fed one in pieces cut at
// random from `cut_seed`, and, for a stream the codec decodes, the minimal
// one. Every buffer is a heap block of exactly its size.
std::string loader_disagreement(const std::uint8_t* stream, std::size_t size, std::size_t capacity,
                                std::size_t in_place_offset, std::uint32_t cut_seed);

// For a stream the codec decodes, proves the in-place margin exact: in
// place at S the checked and the minimal decoders give the codec's output
// (and the stream's length and output agree with the margin's), at S - 1
// the checked one reports the overlap. A stream that does not decode must
// have no margin.
std::string margin_disagreement(const std::uint8_t* stream, std::size_t size);

}  // namespace testing_support
