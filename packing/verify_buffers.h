// The two heap buffers a packer holds while it proves its output: the
// compressed bytes ("src") and the decoded bytes ("dst"). They are
// process-wide so that an exit from anywhere, through fail(), releases them.
#pragma once

#include <cstddef>

namespace packing {

enum class VerifyBuffer { SRC, DST };

// Allocates `size` bytes (at least one) for the buffer, replacing and freeing
// any it held; nullptr if memory runs out. The first call registers the
// exit-time release.
unsigned char* verify_buffer_alloc(VerifyBuffer which, std::size_t size);

void verify_buffer_free(VerifyBuffer which);

}  // namespace packing
