/* Hand-made streams through every loader decoder, in C, so that the same
 * test runs in the tree's build and against the freestanding objects of
 * scripts/check-loader.sh for x86-64 and 32-bit x86. Each stream is decoded
 * by the checked decoder, by the byte-fed one one byte at a time and in
 * every cut into two pieces, and, when it decodes, by the minimal one; the
 * in-place cases give the margin and the overlap one byte below it. The
 * comparison with the codec's own decoder on generated data is
 * tests/unit/loader_test.cpp's and fuzz/loader_fuzzer.cpp's.
 *
 * Prints what failed and ends with status 1, or says how many passed. */
#include "loader/lzs_checked.h"
#include "loader/lzs_feed.h"
#include "loader/lzs_trusted.h"

#include <stdio.h>
#include <string.h>

#define ROOM 600 /* more than any output or stream below */

struct vector {
    const char* what;
    const char* stream; /* hex */
    size_t capacity;
    int status;
    const char* output; /* hex, what is produced up to the end or the error; "*" repeats the
                           previous byte up to `produced` */
    size_t produced;
};

static const struct vector VECTORS[] = {
    {"empty input", "00 FF", 0, LZS_DONE, "", 0},
    {"three literals", "00 61 62 63 FF", 3, LZS_DONE, "61 62 63", 3},
    {"a literal under flag bit 1", "01 E9 FF", 1, LZS_DONE, "E9", 1},
    {"0xFF under flag bit 1 is a literal", "01 FF FF", 1, LZS_DONE, "FF", 1},
    {"the end mark alone in a second group", "00 61 62 63 64 65 66 67 68 00 FF", 8, LZS_DONE,
     "61 62 63 64 65 66 67 68", 8},
    {"a 3-byte match at distance 1", "00 61 80 00 FF", 4, LZS_DONE, "61 *", 4},
    {"a 4-byte match", "02 61 40 00 FF", 5, LZS_DONE, "61 *", 5},
    {"a near match of 12 bytes, which no writer makes", "00 61 C7 00 FF", 13, LZS_DONE, "61 *", 13},
    {"the longest far match", "02 61 00 00 FF FF", 261, LZS_DONE, "61 *", 261},
    {"a match one byte past the capacity", "00 61 80 00 FF", 3, LZS_OVER_RUN, "61", 1},
    {"a far match one byte past the capacity", "02 61 00 00 FF FF", 260, LZS_OVER_RUN, "61", 1},
    {"a literal past the capacity", "00 61 62 FF", 1, LZS_OVER_RUN, "61", 1},
    {"a match before the start", "00 80 00 FF", 4, LZS_UNDER_RUN, "", 0},
    {"an under-run is told before an over-run", "00 61 80 05 FF", 1, LZS_UNDER_RUN, "61", 1},
    {"no stream at all", "", 4, LZS_TRUNCATED, "", 0},
    {"a flag byte alone", "00", 4, LZS_TRUNCATED, "", 0},
    {"no end mark", "00 61 62", 4, LZS_TRUNCATED, "61 62", 2},
    {"a match cut after its lead byte", "00 61 80", 4, LZS_TRUNCATED, "61", 1},
    {"a far match cut before its length", "01 00 00", 8, LZS_TRUNCATED, "", 0},
    {"a cut is told before an under-run", "00 80", 4, LZS_TRUNCATED, "", 0},
    {"a cut is told before an over-run", "00 61 80", 0, LZS_OVER_RUN, "", 0},
    {"no flag byte for the second group", "00 61 62 63 64 65 66 67 68", 8, LZS_TRUNCATED,
     "61 62 63 64 65 66 67 68", 8},
};

/* The far match writes 261 bytes having read 5 (the end mark still to
 * come): S = 256. */
struct in_place_case {
    const char* stream;
    size_t offset;
    int status;
    size_t produced;
};

static const struct in_place_case IN_PLACE[] = {
    {"02 61 00 00 FF FF", 256, LZS_DONE, 261},
    {"02 61 00 00 FF FF", 255, LZS_OVERLAP, 1},
    {"00 61 80 00 FF", 0, LZS_DONE, 4},
};

static int failures;

static unsigned digit(char c) { return c <= '9' ? (unsigned)(c - '0') : (unsigned)(c - 'A' + 10); }

static size_t from_hex(const char* hex, unsigned char* bytes, size_t produced)
{
    size_t size = 0;
    for (; *hex != '\0'; hex++) {
        if (*hex == '*') {
            while (size < produced) {
                bytes[size] = bytes[size - 1];
                size++;
            }
        } else if (*hex != ' ') {
            bytes[size++] = (unsigned char)(digit(hex[0]) << 4 | digit(hex[1]));
            hex++;
        }
    }
    return size;
}

static void check(const char* what, const char* decoder, int status, size_t produced,
                  const unsigned char* output, const struct vector* v, const unsigned char* expected)
{
    if (status == v->status && produced == v->produced && memcmp(output, expected, produced) == 0)
        return;
    printf("%s, %s: status %d after %zu bytes, expected %d after %zu\n", what, decoder, status, produced,
           v->status, v->produced);
    failures++;
}

/* The stream in pieces: one byte each (cut 0), or two pieces at `cut`. */
static int feed(const unsigned char* stream, size_t size, size_t cut, unsigned char* out, size_t capacity,
                size_t* produced)
{
    lzs_feed_state state;
    size_t at;
    lzs_feed_init(&state, out, capacity);
    if (cut == 0) {
        for (at = 0; at < size; at++)
            lzs_feed(&state, stream + at, 1);
    } else {
        lzs_feed(&state, stream, cut);
        lzs_feed(&state, stream + cut, size - cut);
    }
    *produced = (size_t)(state.out - state.start);
    return lzs_feed_end(&state);
}

static void run_vector(const struct vector* v)
{
    unsigned char stream[ROOM], expected[ROOM], out[ROOM];
    size_t size = from_hex(v->stream, stream, 0);
    size_t produced, cut;
    int status;
    from_hex(v->output, expected, v->produced);

    status = lzs_decode(stream, size, out, v->capacity, &produced);
    check(v->what, "checked", status, produced, out, v, expected);
    for (cut = 0; cut < size || cut == 0; cut++) {
        status = feed(stream, size, cut, out, v->capacity, &produced);
        check(v->what, cut == 0 ? "byte-fed, a byte at a time" : "byte-fed, in two pieces", status, produced,
              out, v, expected);
    }
    if (v->status == LZS_DONE) {
        produced = lzs_decode_trusted(stream, out);
        check(v->what, "minimal", LZS_DONE, produced, out, v, expected);
    }
}

static void run_in_place(const struct in_place_case* c)
{
    unsigned char stream[ROOM], buffer[ROOM];
    size_t size = from_hex(c->stream, stream, 0);
    size_t produced;
    int status;
    memcpy(buffer + c->offset, stream, size);
    status = lzs_decode_in_place(buffer, c->offset + size, c->offset, size, &produced);
    if (status != c->status || produced != c->produced) {
        printf("in place at %zu: status %d after %zu bytes, expected %d after %zu\n", c->offset, status,
               produced, c->status, c->produced);
        failures++;
    }
    if (c->status == LZS_DONE) {
        memcpy(buffer + c->offset, stream, size);
        if (lzs_decode_trusted(buffer + c->offset, buffer) != c->produced) {
            printf("minimal in place at %zu: not %zu bytes\n", c->offset, c->produced);
            failures++;
        }
    }
}

int main(void)
{
    size_t i;
    for (i = 0; i < sizeof VECTORS / sizeof VECTORS[0]; i++)
        run_vector(&VECTORS[i]);
    for (i = 0; i < sizeof IN_PLACE / sizeof IN_PLACE[0]; i++)
        run_in_place(&IN_PLACE[i]);
    if (failures != 0)
        return 1;
    printf("loader vectors: %zu streams and %zu in-place cases passed\n", sizeof VECTORS / sizeof VECTORS[0],
           sizeof IN_PLACE / sizeof IN_PLACE[0]);
    return 0;
}
