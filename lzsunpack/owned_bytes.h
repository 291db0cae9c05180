// A run of bytes in a buffer of its own, left as whoever filled it wrote it.
//
// The image and the bytes it unpacks to are the largest things lzsunpack
// holds, up to 2 GiB each. A std::vector would clear each before the read
// or the decoder overwrites it, and handing the decoder's buffer on as one
// would copy it: both touch every page once more than the work needs, and
// on a fresh buffer each touch is a page fault. This type owns the large
// buffer (platform/large_buffer.h) it was given and only reads it.
#pragma once

#include "platform/large_buffer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

namespace lzsunpack {

class OwnedBytes {
public:
    using value_type = std::uint8_t;
    using const_iterator = const std::uint8_t*;
    using iterator = const_iterator;

    OwnedBytes() = default;
    // The first `size` bytes of `buffer`, which may be larger.
    OwnedBytes(platform::LargeBuffer buffer, std::size_t size) : buffer_(std::move(buffer)), size_(size) { }

    std::uint8_t* data() { return buffer_.get(); }
    const std::uint8_t* data() const { return buffer_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const_iterator begin() const { return buffer_.get(); }
    const_iterator end() const { return buffer_.get() + size_; }
    std::span<std::uint8_t> span() { return {buffer_.get(), size_}; }

    friend bool operator==(const OwnedBytes& a, std::span<const std::uint8_t> b)
    {
        return std::ranges::equal(a, b);
    }

private:
    platform::LargeBuffer buffer_;
    std::size_t size_ = 0;
};

}  // namespace lzsunpack
