/* The minimal decoder of the token stream, for a loader to copy: FOR
 * TRUSTED STREAMS ONLY.
 *
 * lzs_decode_trusted checks nothing at all. It reads the stream at `source`
 * up to and with its end mark and writes its output at `destination`, and
 * returns the number of bytes written. A stream that is damaged, forged or
 * cut makes it read and write anywhere: use it only for a stream whose
 * bytes the loader has proved (a checksum or a signature checked first, or
 * a stream in the loader's own read-only image), and lzs_decode
 * (lzs_checked.h) for everything else.
 *
 * It reads each stream byte only when it needs it (a flag byte as its group
 * starts, a token's bytes just before it writes the token's output), so it
 * decodes in place: the stream may lie inside the output buffer, at least
 * the margin `lzsunpack -v` prints after its start.
 *
 * Portable C99 that also compiles as C++: no allocation, nothing of the C
 * library but <stddef.h> and <stdint.h>. */
#ifndef LZS_TRUSTED_H
#define LZS_TRUSTED_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

size_t lzs_decode_trusted(const uint8_t* source, uint8_t* destination);

#ifdef __cplusplus
}
#endif

#endif
