// What the packer's --best would make of a packed input that is too long
// for its image: the one place a scrambler looks into the token stream.
#pragma once

#include <cstddef>
#include <optional>

namespace scramble {

// The size the packed file `name` of `length` bytes (a header of
// `header_size` bytes whose word `length_word` declares the original length,
// then the token stream) would have with the smallest stream for the same
// data. Nothing if it does not decode to exactly its declared length, or is
// too large to try.
std::optional<std::size_t> smallest_packed_size(const char* name, std::size_t length, std::size_t header_size,
                                                std::size_t length_word);

}  // namespace scramble
