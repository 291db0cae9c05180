// The two packed containers as one table: a few 32-bit little-endian
// header words, one of which declares the original size, then the token
// stream. The packers, the library's container functions and their proof
// read their layouts from here.
//
//   container   file         header words               stream at
//   lzs         NAME.lzs     0: format word 1, 1: size  byte 8
//   app         zq_app.bin   0: size                    byte 4
#pragma once

#include <cstddef>
#include <cstdint>

namespace liblzs {

// Containers store sizes as signed 32-bit words, so no input may reach 2 GiB.
inline constexpr std::uint64_t MAX_INPUT_SIZE = INT32_MAX;

inline constexpr unsigned NO_FORMAT_WORD = ~0u;
inline constexpr std::size_t HEADER_WORD_SIZE = 4;

struct ContainerFormat {
    unsigned header_words;       // words before the token stream
    unsigned length_word;        // the word declaring the original size
    unsigned format_word;        // a word with one right value, or NO_FORMAT_WORD
    std::uint32_t format_value;  // that value
};

inline constexpr ContainerFormat LZS_CONTAINER = {2, 1, 0, 1};
inline constexpr ContainerFormat APP_CONTAINER = {1, 0, NO_FORMAT_WORD, 0};

inline constexpr std::size_t header_size(const ContainerFormat& format)
{
    return HEADER_WORD_SIZE * format.header_words;
}

// Word `index` of a header, given the declared size.
inline constexpr std::uint32_t header_word(const ContainerFormat& format, unsigned index, std::uint32_t size)
{
    return index == format.length_word ? size : index == format.format_word ? format.format_value : 0;
}

}  // namespace liblzs
