// The tool chain's files as one table: the two containers the packers
// write (a few 32-bit little-endian header words, one of which declares the
// original size, then the token stream) and the two images the scramblers
// make of them. Both packers, the scramblers, lzsunpack and the library
// take the names and layouts from here.
//
//   file         written by   from         header words               stream at
//   NAME.lzs     lzspack      any file     0: format word 1, 1: size  byte 8
//   zq_app.bin   apppack      executable   0: size                    byte 4
//   chkps.pak    chkpak       chkps.lzs    3600 bytes, scrambled (scramble/patterns.h)
//   zq_app2.bin  appscramble  zq_app.bin   204800 bytes, scrambled
#pragma once

#include "scramble/patterns.h"

#include <cstddef>
#include <cstdint>

namespace liblzs {

// Containers store sizes as signed 32-bit words, so no input may reach 2 GiB.
inline constexpr std::uint64_t MAX_INPUT_SIZE = INT32_MAX;

inline constexpr unsigned NO_FORMAT_WORD = ~0u;
inline constexpr std::size_t HEADER_WORD_SIZE = 4;

struct ContainerFormat {
    const char* fixed_name;      // the name the packer always gives it, or nullptr
    const char* extension;       // the extension it is named with, or nullptr
    unsigned header_words;       // words before the token stream
    unsigned length_word;        // the word declaring the original size
    unsigned format_word;        // a word with one right value, or NO_FORMAT_WORD
    std::uint32_t format_value;  // that value
};

inline constexpr ContainerFormat LZS_CONTAINER = {nullptr, ".lzs", 2, 1, 0, 1};
inline constexpr ContainerFormat APP_CONTAINER = {"zq_app.bin", nullptr, 1, 0, NO_FORMAT_WORD, 0};
// apppack's other output: the executable's header record, as it stands.
inline constexpr char APP_HEAD_NAME[] = "app_head.bin";

struct ImageFile {
    const char* name;
    const char* input;  // the packed file it is made from
    std::size_t size;
    const char* scrambler;
    const char* packer;  // the program that writes the input
};

inline constexpr ImageFile PAK_IMAGE = {"chkps.pak", "chkps.lzs", scramble::PAK_IMAGE_SIZE, "chkpak",
                                        "lzspack"};
inline constexpr ImageFile APP_IMAGE = {"zq_app2.bin", APP_CONTAINER.fixed_name, scramble::APP_IMAGE_SIZE,
                                        "appscramble", "apppack"};
// Any .pak file is read as chkps.pak is.
inline constexpr char PAK_EXTENSION[] = ".pak";

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
