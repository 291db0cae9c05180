// The four kinds of image the tool chain writes, as one table.
//
//   kind  recognised by        size     scrambled             stream at  length word
//   lzs   extension .lzs       any      no                    byte 8     word 1 (word 0: format 1)
//   app   name zq_app.bin      any      no                    byte 4     word 0
//   app2  name zq_app2.bin     204800   bytes 4-6027, 2 keys  byte 4     none (word 0 cleared)
//   pak   name chkps.pak, .pak 3600     words 2..n-1, 1 key   byte 8     none (word 0: n, word 1: key)
//
// Where the length word is gone, the stream's own end mark is all that ends
// it. Everything lzsunpack knows about a kind lives in its row.
#pragma once

#include "liblzs/chain_files.h"
#include "lzsunpack/unscramble.h"
#include "scramble/patterns.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lzsunpack {

enum class ImageKind { LZS, APP, APP2, PAK };

inline constexpr std::size_t NO_WORD = SIZE_MAX;

struct KindInfo {
    ImageKind kind;
    const char* name;        // what -t takes and the report prints
    const char* fixed_name;  // the name the chain always gives it, or nullptr
    const char* extension;   // an extension that tells the kind, or nullptr
    std::size_t fixed_size;  // 0: any size
    Scramble scramble;
    std::size_t stream_offset;  // the token stream's first byte
    std::size_t length_word;    // the word declaring the original length, or NO_WORD
    std::size_t count_word;     // the word counting the words the stream lies in, or NO_WORD
    std::size_t checked_word;   // a word with one right value, or NO_WORD
    std::uint32_t checked_value;
    const char* checked_label;     // what that word is, for the message
    const char* output_extension;  // replaces the input's extension in a derived output name
};

inline constexpr KindInfo KIND_TABLE[] = {
    {ImageKind::LZS, "lzs", nullptr, liblzs::LZS_CONTAINER.extension, 0, Scramble::NONE,
     liblzs::header_size(liblzs::LZS_CONTAINER), liblzs::LZS_CONTAINER.length_word, NO_WORD,
     liblzs::LZS_CONTAINER.format_word, liblzs::LZS_CONTAINER.format_value, "format word", ""},
    {ImageKind::APP, "app", liblzs::APP_CONTAINER.fixed_name, nullptr, 0, Scramble::NONE,
     liblzs::header_size(liblzs::APP_CONTAINER), liblzs::APP_CONTAINER.length_word, NO_WORD, NO_WORD, 0, "",
     ".body"},
    {ImageKind::APP2, "app2", liblzs::APP_IMAGE.name, nullptr, liblzs::APP_IMAGE.size, Scramble::APP_KEY_PAIR,
     4, NO_WORD, NO_WORD, 0, 0, "cleared length word", ".body"},
    {ImageKind::PAK, "pak", liblzs::PAK_IMAGE.name, liblzs::PAK_EXTENSION, liblzs::PAK_IMAGE.size,
     Scramble::PAK_KEY, 8, NO_WORD, 0, 1, scramble::CHK_KEY, "key word", ".unpak"},
};

const KindInfo& kind_info(ImageKind kind);

// The kind -t names, if `name` is one.
std::optional<ImageKind> kind_named(std::string_view name);

}  // namespace lzsunpack
