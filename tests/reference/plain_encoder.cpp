// The encoder as it was first written: the plain, obviously faithful walk of
// every chain, kept unchanged as the reference that the tuned encoder in
// codec/ must match byte for byte. Slow on purpose; do not optimise.
//
// LZ77 over a 16384-byte window: hash chains on three-byte prefixes, a
// "crowded" mark per bucket and one-step lazy matching.
//
// The window is `text`: input enters at index DICT_SIZE, the 16384 bytes
// before it are the history, and MAX_MATCH bytes of lookahead sit past the
// end. When the position reaches 2 * DICT_SIZE the upper half slides down and
// every stored position is rebased by DICT_SIZE, so positions fit 16 bits.
//
// `head` maps a hash to its most recent position, `prev` links each position
// to the one before it with the same hash; 0 is the empty mark, since
// position 0 is never a real one. A bucket whose walk looks at more than
// CHAIN_LIMIT candidates is marked crowded until the next slide; later
// searches then try the buckets of the next few positions (a shift of `off`)
// and take a candidate whose bytes at `off` agree, measuring the true length
// from offset 0. If the shifted search finds nothing longer than off + 2
// bytes, it retries the true bucket, accepting at most off + 2 bytes.
//
// Every choice below (buffer contents past the input's end, tie-breaks,
// crowded marks) shapes the output stream, which other programs depend on
// byte for byte: the encoder reproduces the same stream for the same input.
#include "plain_encoder.h"

#include <cstdint>
#include <cstring>
#include <memory>

namespace reference {

using namespace codec;
namespace {

constexpr unsigned DICT_SIZE = 16384;  // window; positions rebase by this at each slide
constexpr unsigned MAX_MATCH = 260;    // longest match a MATCH_FAR can hold
constexpr unsigned MIN_MATCH = 3;      // shortest match worth a token
constexpr unsigned HASH_SIZE = 32768;  // 15-bit hash of three bytes
constexpr unsigned CHAIN_LIMIT = 260;  // walks longer than this mark the bucket crowded
constexpr unsigned SKIP_LIMIT = 257;   // how far a search may shift past crowded buckets
constexpr unsigned TEXT_SIZE = 2 * DICT_SIZE + MAX_MATCH;
constexpr unsigned FIRST_READ = DICT_SIZE + MAX_MATCH;  // 16644
constexpr unsigned PREV_MASK = DICT_SIZE - 1;

static_assert(static_cast<int>(MAX_MATCH) == MAX_MATCH_LENGTH);
static_assert(static_cast<int>(DICT_SIZE) == MAX_DISTANCE);
static_assert(2 * DICT_SIZE <= 65536, "positions must fit the 16-bit chain entries");
static_assert(((0x1Fu << 10) ^ (0xFFu << 5) ^ 0xFFu) < HASH_SIZE, "the hash must stay in range");

struct Encoder {
    std::uint8_t text[TEXT_SIZE];
    std::uint16_t head[HASH_SIZE];
    std::uint16_t prev[DICT_SIZE];
    std::uint8_t crowded[HASH_SIZE];
    unsigned pos;
    unsigned remainder;  // input bytes from pos to the end of what was read
    unsigned hash;       // hash of text[pos], text[pos + 1], text[pos + 2]
    int match_len;
    unsigned match_pos;
    bool slid;  // has the window slid yet?
    codec::ByteReader input;
};

unsigned hash3(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return (static_cast<unsigned>(a & 0x1F) << 10) ^ (static_cast<unsigned>(b) << 5) ^ c;
}

// The hash of the three bytes one position on, given the byte entering.
unsigned roll(unsigned hash, std::uint8_t entering) { return ((hash & 0x3FF) << 5) ^ entering; }

unsigned read_block(Encoder& e, unsigned at, unsigned size)
{
    return static_cast<unsigned>(e.input.read(e.input.context, e.text + at, size));
}

void slide(Encoder& e)
{
    std::memmove(e.text, e.text + DICT_SIZE, FIRST_READ);
    e.remainder += read_block(e, FIRST_READ, DICT_SIZE);
    e.pos -= DICT_SIZE;
    e.slid = true;
    std::memset(e.crowded, 0, sizeof e.crowded);
    for (std::uint16_t& entry : e.head)
        entry = static_cast<std::uint16_t>(entry > DICT_SIZE ? entry - DICT_SIZE : 0);
    for (std::uint16_t& entry : e.prev)
        entry = static_cast<std::uint16_t>(entry > DICT_SIZE ? entry - DICT_SIZE : 0);
}

void advance(Encoder& e)
{
    e.remainder -= 1;
    e.pos += 1;
    if (e.pos == 2 * DICT_SIZE)
        slide(e);
    e.hash = roll(e.hash, e.text[e.pos + 2]);
}

void insert(Encoder& e)
{
    e.prev[e.pos & PREV_MASK] = e.head[e.hash];
    e.head[e.hash] = static_cast<std::uint16_t>(e.pos);
}

// Searches at pos for a match longer than match_len, then links pos.
void find_and_insert(Encoder& e)
{
    if (e.match_len < 2)
        e.match_len = 2;
    unsigned max = MAX_MATCH;
    e.match_pos = e.pos;
    unsigned h = e.hash;
    unsigned off = 0;

    // Shift the search past crowded buckets.
    while (e.crowded[h] && off < SKIP_LIMIT) {
        off += 1;
        h = roll(h, e.text[e.pos + off + 2]);
    }
    if (off == SKIP_LIMIT) {
        off = 0;
        h = e.hash;
    }

    for (;;) {
        // Candidates must start inside the window and not before the input.
        unsigned scan_end;
        if (!e.slid)
            scan_end = DICT_SIZE - 1 + off;
        else if (e.pos > DICT_SIZE)
            scan_end = e.pos + off - DICT_SIZE;
        else
            scan_end = off;

        unsigned chain = 0;
        unsigned scan = e.head[h];
        while (scan > scan_end) {
            chain += 1;
            const std::uint8_t* candidate = e.text + scan - off;
            const std::uint8_t* current = e.text + e.pos;
            unsigned best = static_cast<unsigned>(e.match_len);
            if (candidate[best] == current[best]) {
                unsigned len = 0;
                while (len < max && candidate[len] == current[len])
                    len += 1;
                if (len > best) {
                    e.match_pos = scan - off;
                    e.match_len = static_cast<int>(len);
                    if (len == max)
                        break;
                }
            }
            scan = e.prev[scan & PREV_MASK];
        }
        if (chain > CHAIN_LIMIT)
            e.crowded[h] = 1;

        if (e.match_len > static_cast<int>(off + 2) || off == 0)
            break;
        // The shifted search found nothing longer than its shift could
        // promise: retry the true bucket, capped at that length.
        max = off + 2;
        off = 0;
        h = e.hash;
    }
    insert(e);
}

void clamp_to_remainder(Encoder& e)
{
    if (static_cast<unsigned>(e.match_len) > e.remainder)
        e.match_len = static_cast<int>(e.remainder);
}

}  // namespace

codec::EncodeError plain_encode_stream(codec::ByteReader input, TokenWriter& writer)
{
    // One zeroed encoder per stream: the window's bytes past the input's end
    // take part in searches, so they must start as zeros.
    auto owner = std::make_unique<Encoder>();
    Encoder& e = *owner;
    e.input = input;
    reset(writer);

    e.remainder = read_block(e, DICT_SIZE, FIRST_READ);
    e.match_len = e.remainder < 2 ? static_cast<int>(e.remainder) : static_cast<int>(MIN_MATCH - 1);
    e.pos = DICT_SIZE;
    e.hash = hash3(e.text[DICT_SIZE], e.text[DICT_SIZE + 1], e.text[DICT_SIZE + 2]);
    insert(e);

    while (e.remainder != 0) {
        int last_len = e.match_len;
        unsigned last_dist = e.pos - e.match_pos;

        e.match_len = last_len - 1;
        advance(e);
        find_and_insert(e);
        clamp_to_remainder(e);

        // Lazy matching: a longer match one byte on beats the one we hold.
        if (e.match_len > last_len || last_len < static_cast<int>(MIN_MATCH)) {
            put_literal(writer, e.text[e.pos - 1]);
            continue;
        }
        put_match(writer, last_len, static_cast<int>(last_dist));
        for (int i = 0; i < last_len - 2; ++i) {
            advance(e);
            insert(e);
        }
        advance(e);
        e.match_len = static_cast<int>(MIN_MATCH - 1);
        find_and_insert(e);
        clamp_to_remainder(e);
    }
    return finish(writer);
}

}  // namespace reference
