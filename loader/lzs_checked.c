/* The checked decoder (see lzs_checked.h). Its token loop decodes one
 * token at a time, each bound checked before the byte it protects is read or written, in the order the
 * tools' decoder checks them, so that a malformed stream gives the same
 * error at the same token:
 *   - a flag byte, a lead byte and the token's other bytes lie in the
 *     source (else LZS_TRUNCATED);
 *   - a literal lands below the capacity (else LZS_OVER_RUN);
 *   - a match starts no earlier than the output (else LZS_UNDER_RUN) and
 *     ends within the capacity (else LZS_OVER_RUN);
 *   - in place, a match ends at or before the next unread stream byte
 *     (else LZS_OVERLAP). A literal never can pass it: its byte has just
 *     been read, and the output is never ahead of the reading.
 *
 * A group is a flag byte and up to eight tokens; bit i of the flag byte
 * belongs to the i-th token. Under flag bit 0 a lead byte below 0x80 is a
 * literal, 0x80-0xBF a 3-byte match (d >> 8 in its low 6 bits, then d's low
 * byte), 0xC0-0xFE a match of 5-11 bytes (d >> 8 in bits 3-5, length - 5
 * in bits 0-2, then d's low byte), 0xFF the end mark. Under flag bit 1 a
 * lead byte of 0x80 or above is a literal, 0x40-0x7F a 4-byte match, below
 * 0x40 a match whose length - 5 follows d's low byte. A match copies from
 * d + 1 bytes back, byte by byte, so that it may overlap its own output.
 *
 * A build for size (-Os) is the token loop alone, the one to pick when
 * every byte of code counts. Other builds run the group loop first (see
 * LZS_FAST): while a whole group, and then some, fits in what is left of
 * both the source and the output, no token can pass either, so it checks
 * only that a match starts within the output, and copies in words:
 *   - at each step, the run of literals that opens the rest of the group
 *     with one 8-byte load and store, whatever its length, even none; the
 *     run's length, and so the next token's place, found from that word
 *     and the flag bits alone;
 *   - a match of up to 32 bytes from 16 or more back as two 16-byte
 *     copies; others 16 or 8 bytes at a time when their distance allows, a
 *     run of one byte 16 at a time; a match's fields from a table, not by
 *     branching on its class;
 *   - a copy may write up to 31 bytes past its end, which the room allows
 *     and the next token overwrites.
 * In place it runs only while the unread stream lies a whole group's
 * output ahead, so nothing it writes reaches a byte not yet read. Once it
 * stops, at a group's start, the token loop finishes the stream: the rooms
 * only shrink (in place, the gap grows by no more than a flag byte a
 * group). Both loops reach the same outcome at the same token, with the
 * same bytes before it. The work is linear in the output. */
#include "lzs_checked.h"

/* The flag register: a group's flag byte under eight 1-bits that count its
 * tokens; it drops below GROUP_LEFT once they have all shifted out. */
#define GROUP_COUNTER 0xFF00u
#define GROUP_LEFT 0x100u

/* LZS_FAST 1 compiles the group loop in, LZS_FAST 0 leaves the token loop
 * alone; by default it is in unless the build optimises for size. It makes
 * the decoder more than twice as fast on most data, and six times larger. */
#ifndef LZS_FAST
#if defined(__OPTIMIZE_SIZE__)
#define LZS_FAST 0
#else
#define LZS_FAST 1
#endif
#endif

#if LZS_FAST
/* What a whole group may need: a flag byte, eight 3-byte tokens and the
 * 8 bytes a literal run loads; eight of the longest (260-byte) matches and
 * the 32 bytes a match copy may write from its start. */
#define GROUP_SOURCE_ROOM 33u
#define GROUP_OUTPUT_ROOM (8u * 260u + 32u)

/* The top bit of each byte of a word: where a literal has its flag bit. */
#define TAG_BITS UINT64_C(0x8080808080808080)

/* Eight bytes as one little-endian word, and back: compilers make each a
 * single load or store, and the copy needs no memcpy. */
static uint64_t load_word(const uint8_t* p)
{
    return (uint64_t)p[0] | (uint64_t)p[1] << 8 | (uint64_t)p[2] << 16 | (uint64_t)p[3] << 24 |
           (uint64_t)p[4] << 32 | (uint64_t)p[5] << 40 | (uint64_t)p[6] << 48 | (uint64_t)p[7] << 56;
}

static void store_word(uint8_t* p, uint64_t word)
{
    p[0] = (uint8_t)word;
    p[1] = (uint8_t)(word >> 8);
    p[2] = (uint8_t)(word >> 16);
    p[3] = (uint8_t)(word >> 24);
    p[4] = (uint8_t)(word >> 32);
    p[5] = (uint8_t)(word >> 40);
    p[6] = (uint8_t)(word >> 48);
    p[7] = (uint8_t)(word >> 56);
}

/* A flag byte's bit i at the top bit of byte i. The low seven bits are
 * multiplied into seven copies 7 bits apart, which cannot carry into one
 * another; copy i holds bit i at bit 8i. */
static uint64_t flag_tags(unsigned flags)
{
    uint64_t low = ((flags & 0x7Fu) * UINT64_C(0x0002040810204081)) & UINT64_C(0x0101010101010101);
    return (low | (uint64_t)(flags >> 7) << 56) << 7;
}

/* Bit i is the top bit of byte i: the eight top bits, each moved by the
 * multiplication to its own place in the top byte, none carrying into it. */
static unsigned top_bits(uint64_t word)
{
    return (unsigned)(((word & TAG_BITS) * UINT64_C(0x0002040810204081)) >> 56);
}

/* The lowest set bit of a nonzero x. A 32-bit target counts in halves:
 * its compiler would call a library function for the whole word. */
static unsigned lowest_bit(uint64_t x)
{
#if defined(__GNUC__) && UINTPTR_MAX > 0xFFFFFFFFu
    return (unsigned)__builtin_ctzll(x);
#elif defined(__GNUC__)
    uint32_t low = (uint32_t)x;
    return low != 0 ? (unsigned)__builtin_ctz(low) : 32u + (unsigned)__builtin_ctz((uint32_t)(x >> 32));
#else
    unsigned n = 0;
    while ((x & 1u) == 0) {
        x >>= 1;
        n++;
    }
    return n;
#endif
}

/* 16 bytes from `from` to `to`, which lie at least 16 apart, and a run of
 * one byte, 16 at a time (up to 15 past its end). With 16-byte stores a
 * long run of zeros decodes about 1.5 times as fast as with 8-byte ones;
 * GNU C's vectors say it portably, and a target without them gets pairs of
 * word loads and stores. */
#if defined(__GNUC__)
typedef uint64_t word_pair __attribute__((vector_size(16), aligned(1), may_alias));

static void copy16(uint8_t* to, const uint8_t* from) { *(word_pair*)to = *(const word_pair*)from; }

static void fill(uint8_t* out, uint8_t value, unsigned length)
{
    uint64_t word = value * UINT64_C(0x0101010101010101);
    word_pair pair = {word, word};
    unsigned i;
    for (i = 0; i < length; i += 16)
        *(word_pair*)(out + i) = pair;
}
#else
static void copy16(uint8_t* to, const uint8_t* from)
{
    store_word(to, load_word(from));
    store_word(to + 8, load_word(from + 8));
}

static void fill(uint8_t* out, uint8_t value, unsigned length)
{
    uint64_t word = value * UINT64_C(0x0101010101010101);
    unsigned i;
    for (i = 0; i < length; i += 8)
        store_word(out + i, word);
}
#endif

/* A match of `length` bytes from `distance` back, in order, for it may
 * overlap its own output; writes up to 31 bytes past its end. */
static void copy_match(uint8_t* out, size_t distance, unsigned length)
{
    const uint8_t* from = out - distance;
    unsigned i;
    if (distance >= 16) {
        /* Each chunk's source lies wholly before it. Most matches are 32
         * bytes or shorter: two chunks, no loop. */
        copy16(out, from);
        copy16(out + 16, from + 16);
        for (i = 32; i < length; i += 16)
            copy16(out + i, from + i);
    } else if (distance >= 8) {
        for (i = 0; i < length; i += 8)
            store_word(out + i, load_word(from + i));
    } else if (distance == 1) {
        fill(out, *from, length);
    } else {
        for (i = 0; i < length; i++)
            out[i] = from[i];
    }
}

/* A match's fields, by its flag bit and the top two bits of its lead byte
 * (the rows of literals are never read): the token loop's branches as a
 * table, for the classes of matches mix too unpredictably to branch on.
 * The length is `length`, plus the lead byte's `length_bits`, plus the
 * third byte's `length_byte`; d >> 8 is the lead byte shifted right by
 * `high_shift`, under `high_bits`. */
struct match_fields {
    uint8_t length, length_bits, length_byte, high_shift, high_bits;
};
static const struct match_fields MATCHES[8] = {
    {0, 0, 0, 0, 0},       /* flag 0, 0x00-0x3F: a literal */
    {0, 0, 0, 0, 0},       /* flag 0, 0x40-0x7F: a literal */
    {3, 0, 0, 0, 0x3F},    /* flag 0, 0x80-0xBF: 3 bytes */
    {5, 7, 0, 3, 7},       /* flag 0, 0xC0-0xFE: 5-11 bytes (0xFF: the end mark) */
    {5, 0, 0xFF, 0, 0x3F}, /* flag 1, 0x00-0x3F: 5-260 bytes */
    {4, 0, 0, 0, 0x3F},    /* flag 1, 0x40-0x7F: 4 bytes */
    {0, 0, 0, 0, 0},       /* flag 1, 0x80-0xBF: a literal */
    {0, 0, 0, 0, 0},       /* flag 1, 0xC0-0xFF: a literal */
};

/* The group loop: whole groups, while they fit. Returns LZS_MORE, with *in
 * and *out at a group's start, when the room runs out; else the outcome.
 *
 * Each step copies the run of literals that opens the rest of the group
 * (8 bytes, whatever its length, even none), then the match that ends the
 * run, unless the group ended first. The next token's place is found from
 * the loaded word alone: one load, a few logical operations and an add lie
 * between one step and the next. */
static int decode_groups(const uint8_t** in_at, const uint8_t* in_end, uint8_t** out_at, uint8_t* destination,
                         uint8_t* out_end, int in_place)
{
    const uint8_t* in = *in_at;
    uint8_t* out = *out_at;
    int status = LZS_MORE;
    while (status == LZS_MORE && (size_t)(in_end - in) >= GROUP_SOURCE_ROOM &&
           (size_t)(out_end - out) >= GROUP_OUTPUT_ROOM &&
           (!in_place || (uintptr_t)in - (uintptr_t)out >= GROUP_OUTPUT_ROOM)) {
        /* The flag bits left, under a 1-bit that is alone once the group is
         * done; and, at the top bit of the bytes of the word at the next
         * token, the flag bits and which bytes are still in the group. */
        unsigned pending = 0x100u | in[0];
        uint64_t first = load_word(in + 1);
        uint64_t flags, live;
        if (top_bits(first) == pending - 0x100u) {
            /* Eight literals: the commonest group of data that does not
             * compress, copied without working out a run's length. */
            store_word(out, first);
            in += 9;
            out += 8;
            continue;
        }
        flags = flag_tags(*in++);
        live = TAG_BITS;
        for (;;) {
            /* A literal's top bit is its flag bit: the run stops at the
             * first byte where they differ, or at the group's end; never
             * past the word, for the group is not eight literals. */
            uint64_t word = load_word(in);
            uint64_t stops = ((word ^ flags) | ~live) & TAG_BITS;
            const uint8_t* token;
            const struct match_fields* match;
            unsigned stop, run, lead, flag, length;
            size_t distance;
            store_word(out, word);
            stop = lowest_bit(stops);
            run = stop / 8;
            token = in + run;
            out += run;
            pending >>= run;
            if (pending == 1) {
                in = token;
                break;
            }
            /* A match or the end mark; the room allows reading all three
             * bytes. Under flag bit 1 a lead byte whose top two bits are 0
             * has a length byte. */
            in = token + 2 + (unsigned)((~word & ~(word << 1) & flags) >> stop & 1u);
            lead = *token;
            flag = pending & 1u;
            pending >>= 1;
            if ((flag << 8 | lead) == 0xFFu) { /* flag bit 0 and 0xFF: the end mark */
                status = LZS_DONE;
                break;
            }
            match = &MATCHES[flag << 2 | lead >> 6];
            length = match->length + (lead & match->length_bits) + (token[2] & match->length_byte);
            distance = ((size_t)(lead >> match->high_shift & match->high_bits) << 8 | token[1]) + 1;
            if (distance > (size_t)(out - destination)) {
                status = LZS_UNDER_RUN;
                break;
            }
            if (distance >= 16 && length <= 32) {
                /* The second chunk may read what the first wrote. */
                copy16(out, out - distance);
                copy16(out + 16, out + 16 - distance);
            } else {
                copy_match(out, distance, length);
            }
            out += length;
            if (pending == 1)
                break;
            /* Past the run and the match: at most seven tokens. */
            flags >>= stop + 1;
            live >>= stop + 1;
        }
    }
    *in_at = in;
    *out_at = out;
    return status;
}
#endif

int lzs_decode(const uint8_t* source, size_t size, uint8_t* destination, size_t capacity, size_t* produced)
{
    const uint8_t* in = source;
    const uint8_t* const in_end = source + size;
    uint8_t* out = destination;
    uint8_t* const out_end = destination + capacity;
    /* As integers: pointers into different objects may not be compared,
     * and a stream apart from the output is the common case. */
    const int in_place = (uintptr_t)in - (uintptr_t)out < capacity;
    unsigned flags = 0;
    int status = LZS_MORE;
#if LZS_FAST
    status = decode_groups(&in, in_end, &out, destination, out_end, in_place);
#endif
    /* The token loop, from a group's start. */
    while (status == LZS_MORE) {
        unsigned lead, flag, length, high, far;
        size_t distance;
        flags >>= 1;
        if (flags < GROUP_LEFT) {
            if (in == in_end) {
                status = LZS_TRUNCATED;
                break;
            }
            flags = GROUP_COUNTER | *in++;
        }
        if (in == in_end) {
            status = LZS_TRUNCATED;
            break;
        }
        lead = *in;
        flag = flags & 1u;
        if (lead >> 7 == flag) {
            if (out == out_end) {
                status = LZS_OVER_RUN;
                break;
            }
            *out++ = (uint8_t)lead;
            in++;
            continue;
        }
        high = lead & 0x3Fu;
        length = 3 + flag;
        far = 0;
        if (flag != 0) {
            far = lead < 0x40u;
        } else if (lead == 0xFFu) {
            status = LZS_DONE;
            break;
        } else if (lead >= 0xC0u) {
            length = (lead & 7u) + 5;
            high = (lead >> 3) & 7u;
        }
        /* The lead byte, d's low byte and, for a far match, the length. */
        if ((size_t)(in_end - in) <= 1 + far) {
            status = LZS_TRUNCATED;
            break;
        }
        distance = ((size_t)high << 8 | in[1]) + 1;
        in += 2;
        if (far)
            length = *in++ + 5u;
        if (distance > (size_t)(out - destination)) {
            status = LZS_UNDER_RUN;
            break;
        }
        if (length > (size_t)(out_end - out)) {
            status = LZS_OVER_RUN;
            break;
        }
        if (in_place && length > (size_t)(in - out)) {
            status = LZS_OVERLAP;
            break;
        }
        do {
            *out = *(out - distance);
            out++;
        } while (--length != 0);
    }
    *produced = (size_t)(out - destination);
    return status;
}
