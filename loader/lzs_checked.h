/* The checked in-memory decoder of the token stream, for a loader to copy.
 *
 * lzs_decode reads only [source, source + size) and writes only
 * [destination, destination + capacity), whatever the stream holds, and
 * returns one of the LZS_ codes below; the bytes it produced, up to the end
 * mark or the error, are in *produced. It reports the same outcome, with
 * the same count, as the tools' own checked decoder for every stream.
 * Built for speed (the default unless optimised for size; LZS_FAST in
 * lzs_checked.c), it may also overwrite up to 15 bytes after those it
 * produced, never past the capacity.
 *
 * lzs_decode_in_place decodes a stream that lies inside its own output
 * buffer, `offset` bytes after its start. It reads each stream byte only
 * when it needs it (a flag byte as its group starts, a token's bytes just
 * before it writes the token's output) and reports LZS_OVERLAP, having
 * written nothing of that token, when a match would overwrite a stream
 * byte not yet read. `lzsunpack -v` prints the least offset that decodes.
 *
 * Portable C99 that also compiles as C++: no allocation, nothing of the C
 * library but <stddef.h> and <stdint.h>. */
#ifndef LZS_CHECKED_H
#define LZS_CHECKED_H

#include <stddef.h>
#include <stdint.h>

/* The outcomes every loader decoder reports (identical in each header). */
#define LZS_DONE 0      /* the end mark was read */
#define LZS_UNDER_RUN 1 /* a match reaches back before the start of the output */
#define LZS_OVER_RUN 2  /* a literal or match would pass the capacity */
#define LZS_TRUNCATED 3 /* the stream ends before its end mark, or inside a token */
#define LZS_OVERLAP 4   /* in place: the output would overwrite a stream byte not yet read */
#define LZS_MORE 5      /* byte-fed: the stream goes on in the next piece */

#ifdef __cplusplus
extern "C" {
#endif

int lzs_decode(const uint8_t* source, size_t size, uint8_t* destination, size_t capacity, size_t* produced);

/* The stream is the `size` bytes at buffer + offset; the output goes to
 * [buffer, buffer + capacity). lzs_decode itself takes a source that starts
 * inside its destination as in place: this only names the case. */
static inline int lzs_decode_in_place(uint8_t* buffer, size_t capacity, size_t offset, size_t size,
                                      size_t* produced)
{
    return lzs_decode(buffer + offset, size, buffer, capacity, produced);
}

#ifdef __cplusplus
}
#endif

#endif
