// Generated inputs for the tests, the benchmarks and the fuzz seeds: noise
// over any alphabet, text-like and code-like data, and inputs that stress the
// encoder's search (repeated phrases with rare mutations, inputs built
// against its three-byte hash so that a whole window falls into a handful
// of buckets).
//
// Every generator is deterministic: the same size and seed give the same
// bytes on every machine (the raw mt19937 sequence is fixed by the language;
// word_soup's xorshift is written out below).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

// Bytes drawn uniformly from `symbols`.
Bytes random_over(std::size_t size, const Bytes& symbols, std::uint32_t seed);

// Uniformly random bytes: random_over(size, all_byte_values(), seed).
Bytes random_bytes(std::size_t size, std::uint32_t seed);

// The 256 byte values, for random_over.
Bytes all_byte_values();

// The first `count` of the symbols "acgt" and then other letters, so that 2
// and 4 give the familiar low-entropy texts.
Bytes letters(unsigned count);

// `phrase` repeated, with about one byte in `mutation_interval` replaced by
// a random one.
Bytes mutated_phrase(std::size_t size, const std::string& phrase, unsigned mutation_interval,
                     std::uint32_t seed);

// Random bytes that differ only in their top three bits, which the hash
// ignores in the first byte of a triple: 8 symbols, 64 buckets.
Bytes top_bits_noise(std::size_t size, std::uint32_t seed);

// A random bit sequence spread over the hash's overlapping bits: bit 0 of
// byte i and bit 5 of byte i + 1 carry the same random bit, which cancels in
// the hash of every triple but its last byte, so the whole input falls into
// two buckets while its content is as rich as random binary text.
Bytes overlapping_bits(std::size_t size, std::uint32_t seed);

// Zeros with one 0x01 at a random place in each `block` bytes: a few
// prefixes (runs of zeros, a 0x01 at each offset) fill most of the window,
// and no match is much longer than a few blocks.
Bytes sparse_ones(std::size_t size, std::size_t block, std::uint32_t seed);

// In every `period` bytes, the first `text_span` continue `text` and the
// rest are random: compressible, but not into a handful of long matches.
Bytes striped(std::size_t size, const std::string& text, std::size_t period, std::size_t text_span,
              std::uint32_t seed);

// Words drawn from a vocabulary of a few thousand made-up words, with a
// stray random byte now and then: about half its size once packed, with
// matches of every length and distance. Cheap enough that tens of megabytes
// come quickly even in the sanitizer build.
Bytes word_soup(std::size_t size, std::uint32_t seed);

// A machine-code-like mix: short records of fixed opcodes, counters and
// random operands.
Bytes code_like(std::size_t size, std::uint32_t seed);

// Runs of one byte, up to 2000 long, between stretches of 50 random bytes.
Bytes runs_between_noise(std::size_t size, std::uint32_t seed);

// Lines of numbers and words with a random byte now and then: it packs,
// but not into a handful of long matches (6000 bytes fit chkps.pak once
// packed).
Bytes table_text(std::size_t size, std::uint32_t seed);

}  // namespace testing_support
