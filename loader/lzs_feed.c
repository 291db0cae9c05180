/* The byte-fed decoder (see lzs_feed.h). It reads one byte at a time: a
 * flag byte when the register's count is spent, else a token's lead byte,
 * which tells how many bytes the token has (lzs_checked.c describes the
 * layout); a literal is written at once, a match once its two or three
 * bytes are all in. Each check comes at the byte that completes what it
 * checks, in the checked decoder's order, so that every cut of a stream
 * meets the same error at the same token: a literal that would pass the
 * capacity (LZS_OVER_RUN), then for a match one that reaches before the
 * start (LZS_UNDER_RUN), then one that would pass the capacity
 * (LZS_OVER_RUN). A stream that ends first is LZS_TRUNCATED, which only
 * lzs_feed_end can know. */
#include "lzs_feed.h"

/* The flag register: a group's flag byte under eight 1-bits that count its
 * tokens; it drops below GROUP_LEFT once they have all shifted out. */
#define GROUP_COUNTER 0xFF00u
#define GROUP_LEFT 0x100u

void lzs_feed_init(lzs_feed_state* state, uint8_t* destination, size_t capacity)
{
    state->start = destination;
    state->out = destination;
    state->end = destination + capacity;
    state->flags = 0;
    state->status = LZS_MORE;
    state->have = 0;
    state->need = 0;
}

/* The match held in `token`, whose flag bit is `flag`. */
static int copy_match(lzs_feed_state* state, unsigned flag)
{
    const unsigned char* token = state->token;
    unsigned lead = token[0];
    unsigned high = lead & 0x3Fu;
    unsigned length = 3 + flag;
    size_t distance;
    uint8_t* out = state->out;
    if (flag == 0 && lead >= 0xC0u) {
        length = (lead & 7u) + 5;
        high = (lead >> 3) & 7u;
    }
    if (state->need == 3)
        length = token[2] + 5u;
    distance = ((size_t)high << 8 | token[1]) + 1;
    if (distance > (size_t)(out - state->start))
        return LZS_UNDER_RUN;
    if (length > (size_t)(state->end - out))
        return LZS_OVER_RUN;
    do {
        *out = *(out - distance);
        out++;
    } while (--length != 0);
    state->out = out;
    return LZS_MORE;
}

int lzs_feed(lzs_feed_state* state, const uint8_t* piece, size_t size)
{
    const uint8_t* const piece_end = piece + size;
    while (state->status == LZS_MORE && piece != piece_end) {
        unsigned byte = *piece++;
        unsigned flag = state->flags & 1u;
        if (state->have == 0) {
            if (state->flags < GROUP_LEFT) {
                state->flags = GROUP_COUNTER | byte;
                continue;
            }
            if (byte >> 7 == flag) {
                if (state->out == state->end) {
                    state->status = LZS_OVER_RUN;
                    break;
                }
                *state->out++ = (uint8_t)byte;
                state->flags >>= 1;
                continue;
            }
            if (flag == 0 && byte == 0xFFu) {
                state->status = LZS_DONE;
                break;
            }
            state->need = (unsigned char)(flag != 0 && byte < 0x40u ? 3 : 2);
        }
        state->token[state->have++] = (uint8_t)byte;
        if (state->have < state->need)
            continue;
        state->have = 0;
        state->status = copy_match(state, flag);
        state->flags >>= 1;
    }
    return state->status;
}

int lzs_feed_end(const lzs_feed_state* state)
{
    return state->status == LZS_MORE ? LZS_TRUNCATED : state->status;
}
