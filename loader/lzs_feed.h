/* The byte-fed decoder of the token stream, for a loader to copy: it takes
 * the stream in pieces of any size, down to one byte, as they come off a
 * slow device, and checks it as lzs_decode (lzs_checked.h) does.
 *
 * All its state is one small lzs_feed_state the caller owns; it keeps no
 * window of its own, since the output buffer is the window: matches copy
 * from the bytes already written there. It writes only [destination,
 * destination + capacity) and reads only the pieces it is given.
 *
 *   lzs_feed_state state;
 *   lzs_feed_init(&state, destination, capacity);
 *   while (lzs_feed(&state, piece, piece_size) == LZS_MORE && more pieces) ...
 *   status = lzs_feed_end(&state);      LZS_DONE or an error
 *
 * lzs_feed returns LZS_MORE while the stream goes on, LZS_DONE once it has
 * read the end mark (the bytes of the piece after it are left alone), or the
 * error that stopped it; once it has returned anything but LZS_MORE it
 * returns that again. lzs_feed_end gives the outcome once there is no more
 * input: LZS_TRUNCATED for a stream still waiting for bytes. For every way
 * of cutting a stream the outcome and state.out - state.start, the bytes
 * produced, are those lzs_decode reports for the whole stream.
 *
 * Portable C99 that also compiles as C++: no allocation, nothing of the C
 * library but <stddef.h> and <stdint.h>. */
#ifndef LZS_FEED_H
#define LZS_FEED_H

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

typedef struct lzs_feed_state {
    uint8_t* start;     /* the output buffer */
    uint8_t* out;       /* the next byte to write */
    uint8_t* end;       /* the end of the capacity */
    unsigned flags;     /* the flag register of the token to come */
    int status;         /* LZS_MORE until the end mark or an error */
    unsigned char have; /* bytes of the token to come held in `token` */
    unsigned char need; /* and how many it has */
    unsigned char token[3];
} lzs_feed_state;

void lzs_feed_init(lzs_feed_state* state, uint8_t* destination, size_t capacity);

int lzs_feed(lzs_feed_state* state, const uint8_t* piece, size_t size);

int lzs_feed_end(const lzs_feed_state* state);

#ifdef __cplusplus
}
#endif

#endif
