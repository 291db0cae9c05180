/* The checked decoder (see lzs_checked.h): one token at a time, each bound
 * checked before the byte it protects is read or written, in the order the
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
 * Written for size rather than speed; the work is linear in the output. */
#include "lzs_checked.h"

/* The flag register: a group's flag byte under eight 1-bits that count its
 * tokens; it drops below GROUP_LEFT once they have all shifted out. */
#define GROUP_COUNTER 0xFF00u
#define GROUP_LEFT 0x100u

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
    int status;
    for (;;) {
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
