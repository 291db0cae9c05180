// The library's stream packing, for its container functions.
#pragma once

#include "lzs.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace liblzs {

// Packs `input` in `mode` into `capacity` bytes at `output`; `written` is
// what reached the buffer.
lzs_error pack_stream(std::span<const std::uint8_t> input, std::uint8_t* output, std::size_t capacity,
                      lzs_mode mode, std::size_t& written);

}  // namespace liblzs
