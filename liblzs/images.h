// The two scrambled images, built the one way the scramblers and the
// library share: the packed file is laid over the built-in filler first
// (the scramblers read it straight into the image), then these finish the
// image in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace liblzs {

// chkps.pak: the word count of an input of `input_length` bytes (none: 0),
// the key, the input's words from word 2 on XORed with it.
void finish_pak_image(std::span<std::uint8_t> image, std::optional<std::size_t> input_length);

// zq_app2.bin: words 1 to 1506 XORed with the two keys when there is an
// input, word 0 cleared either way.
void finish_app_image(std::span<std::uint8_t> image, std::optional<std::size_t> input_length);

}  // namespace liblzs
