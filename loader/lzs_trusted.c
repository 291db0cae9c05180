/* The minimal decoder (see lzs_trusted.h): the checked decoder's loop
 * (lzs_checked.c, where the layout of the tokens is described) with every
 * check taken out, as small as the format allows. */
#include "lzs_trusted.h"

/* The flag register: a group's flag byte under eight 1-bits that count its
 * tokens; it drops below GROUP_LEFT once they have all shifted out. */
#define GROUP_COUNTER 0xFF00u
#define GROUP_LEFT 0x100u

size_t lzs_decode_trusted(const uint8_t* source, uint8_t* destination)
{
    const uint8_t* in = source;
    uint8_t* out = destination;
    unsigned flags = 0;
    for (;;) {
        unsigned lead, flag, length, high;
        const uint8_t* from;
        flags >>= 1;
        if (flags < GROUP_LEFT)
            flags = GROUP_COUNTER | *in++;
        lead = *in++;
        flag = flags & 1u;
        if (lead >> 7 == flag) {
            *out++ = (uint8_t)lead;
            continue;
        }
        high = lead & 0x3Fu;
        length = 3 + flag;
        if (flag == 0) {
            if (lead == 0xFFu)
                return (size_t)(out - destination);
            if (lead >= 0xC0u) {
                length = (lead & 7u) + 5;
                high = (lead >> 3) & 7u;
            }
        }
        from = out - ((high << 8 | *in++) + 1);
        if (flag != 0 && lead < 0x40u)
            length = *in++ + 5u;
        do
            *out++ = *from++;
        while (--length != 0);
    }
}
