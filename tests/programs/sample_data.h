// Large inputs for the program tests: compressible, but not so uniform that
// they exercise only the encoder's fast paths.
#pragma once

#include "tests/support/memory_stream.h"

#include <cstddef>
#include <cstdint>

namespace testing_support {

// Words drawn from a vocabulary of a few thousand made-up words, with a
// stray random byte now and then: about half its size once packed, with
// matches of every length and distance. The same size and seed always give
// the same bytes.
Bytes word_soup(std::size_t size, std::uint32_t seed);

}  // namespace testing_support
