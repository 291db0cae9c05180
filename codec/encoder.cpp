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
//
// What bounds the work. A walk of the three-byte chains has no length
// limit, and once every bucket an input uses is crowded the skip gives up
// and walks a whole bucket: thousands of candidates per byte on low-entropy
// input. So while walks run long the encoder also keeps prefix chains
// (prefix_chains.h) and searches those instead; the result is the same
// because a walk's outcome is fixed by three things, each reproduced:
//   - the winner is the newest candidate of the bucket whose length (capped
//     at `max`) is the largest, if that beats match_len; a prefix chain
//     holds every candidate that could still win, newest first;
//   - a walk stops at the first candidate that reaches `max`;
//   - the crowded mark depends on how many candidates the plain walk would
//     have visited; per-bucket counts of insertions and of window members
//     give that number without visiting them.
// A shifted search and its retry are reproduced as a pair: their outcome
// follows from the longest matches with and without the nearest positions,
// and only rarely needs the shifted bucket itself (walk_prefix_shifted).
// The skip past crowded buckets remembers how far the buckets ahead are
// known to be crowded (marks only accumulate until the next slide), so it
// costs O(1) per byte amortised instead of up to SKIP_LIMIT steps.
#include "encoder.h"

#include "prefix_chains.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

namespace codec {
namespace {

constexpr unsigned DICT_SIZE = 16384;   // window; positions rebase by this at each slide
constexpr unsigned MAX_MATCH = 260;     // longest match a MATCH_FAR can hold
constexpr unsigned MIN_MATCH = 3;       // shortest match worth a token
constexpr unsigned HASH_SIZE = 32768;   // 15-bit hash of three bytes
constexpr unsigned CHAIN_LIMIT = 260;   // walks longer than this mark the bucket crowded
constexpr unsigned SKIP_LIMIT = 257;    // how far a search may shift past crowded buckets
constexpr unsigned TEXT_SIZE = 2 * DICT_SIZE + MAX_MATCH;
constexpr unsigned FIRST_READ = DICT_SIZE + MAX_MATCH;  // 16644
constexpr unsigned PREV_MASK = DICT_SIZE - 1;
// Word-sized loads may read this far past the last byte they use; the
// padding is never written and never decides anything.
constexpr unsigned TEXT_PADDING = 8;

// How often AUTOMATIC weighs the work of its walks, in positions.
constexpr unsigned CHECK_INTERVAL = 4096;
// Candidates per position a plain walk visits before prefix chains pay for
// their upkeep, and below which they no longer do. Low, because a plain walk
// waits on each link in turn while the prefix chains' upkeep overlaps: with
// five levels they win on CPU time from about 16 (executables, tar files),
// though they run more instructions.
constexpr std::uint64_t PREFIX_ON_WORK = 16;
constexpr std::uint64_t PREFIX_OFF_WORK = 4;

static_assert(static_cast<int>(MAX_MATCH) == MAX_MATCH_LENGTH);
static_assert(static_cast<int>(DICT_SIZE) == MAX_DISTANCE);
static_assert(2 * DICT_SIZE <= 65536, "positions must fit the 16-bit chain entries");
static_assert(((0x1Fu << 10) ^ (0xFFu << 5) ^ 0xFFu) < HASH_SIZE, "the hash must stay in range");
static_assert(prefix::PREFIX_LENGTHS[0] == MIN_MATCH, "the prefix chains hold every match");
static_assert(prefix::PREFIX_LENGTHS[prefix::PREFIX_LEVELS - 1] + prefix::PREFIX_OVERREAD <=
                  MAX_MATCH + TEXT_PADDING,
              "prefix hashes at the last position must stay inside text");

// Only what the search reads before writing starts zeroed (see
// encode_stream_with): the tables below hold about 1.2 MB, and touching pages
// a run never uses costs small inputs more than their whole encoding.
struct Encoder {
    std::uint8_t text[TEXT_SIZE + TEXT_PADDING];
    std::uint16_t head[HASH_SIZE];
    // Written before it is read: a walk starts from head. Each link is kept
    // twice, at pos & PREV_MASK and DICT_SIZE above, so that a walk indexes
    // it by the position itself: a walk is a chain of dependent loads, and
    // masking would add a cycle to every step (4-5% of CPU time on prose,
    // C headers and executables).
    std::uint16_t prev[2 * DICT_SIZE];
    std::uint8_t crowded[HASH_SIZE];
    unsigned pos = DICT_SIZE;
    unsigned remainder = 0;  // input bytes from pos to the end of what was read
    unsigned hash = 0;       // hash of text[pos], text[pos + 1], text[pos + 2]
    int match_len = 0;
    unsigned match_pos = 0;
    bool slid = false;       // has the window slid yet?
    std::FILE* input = nullptr;

    // Every position in [pos, crowded_until) has a crowded bucket.
    unsigned crowded_until = 0;

    // Kept only while `prefix_on`, and set up when it turns on: the prefix
    // chains, and per bucket the number of insertions so far (mod 2^16) and
    // of positions in the window.
    SearchMode mode = SearchMode::AUTOMATIC;
    bool prefix_on = false;
    prefix::PrefixChains<DICT_SIZE> chains;
    std::uint16_t insertions[HASH_SIZE];
    std::uint16_t insertion_number[DICT_SIZE];  // per position: its bucket's count before it
    std::uint16_t members[HASH_SIZE];
    std::uint16_t trigram_members[prefix::PREFIX_HASH_SIZE];  // per bucket of the shortest level

    // Plain walk lengths (visited, or what the plain walk would have
    // visited) since the last check, and positions since then.
    std::uint64_t walk_work = 0;
    unsigned last_walk_len = 0;  // the best length after the last prefix walk
    unsigned positions_since_check = 0;
};

unsigned hash3(std::uint8_t a, std::uint8_t b, std::uint8_t c)
{
    return (static_cast<unsigned>(a & 0x1F) << 10) ^ (static_cast<unsigned>(b) << 5) ^ c;
}

unsigned hash_at(const Encoder& e, unsigned at) { return hash3(e.text[at], e.text[at + 1], e.text[at + 2]); }

// The hash of the three bytes one position on, given the byte entering.
unsigned roll(unsigned hash, std::uint8_t entering) { return ((hash & 0x3FF) << 5) ^ entering; }

// The smallest index of the first `max` at which a and b differ, or `max`.
unsigned match_length(const std::uint8_t* a, const std::uint8_t* b, unsigned max)
{
    unsigned len = 0;
    while (len + 8 <= max) {
        std::uint64_t differ = prefix::load_word(a + len) ^ prefix::load_word(b + len);
        if (differ != 0)
            return len + static_cast<unsigned>(std::countr_zero(differ)) / 8;
        len += 8;
    }
    while (len < max && a[len] == b[len])
        len += 1;
    return len;
}

// A quick test before measuring a candidate: to beat `best` (at least 2)
// it must agree at best - 1 and best. Both bytes lie within what the
// measurement would read, so the test only saves work, never changes it.
std::uint16_t load_pair(const std::uint8_t* at)
{
    std::uint16_t pair;
    std::memcpy(&pair, at, sizeof pair);
    return pair;
}

bool may_beat(const std::uint8_t* candidate, const std::uint8_t* current, unsigned best)
{
    return load_pair(candidate + best - 1) == load_pair(current + best - 1);
}

// Candidates of a walk must start after this position: inside the window
// and not before the input.
unsigned window_floor(const Encoder& e) { return e.slid ? e.pos - DICT_SIZE : DICT_SIZE - 1; }

unsigned read_block(Encoder& e, unsigned at, unsigned size)
{
    return static_cast<unsigned>(std::fread(e.text + at, 1, size, e.input));
}

void rebase(std::uint16_t* entries, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        entries[i] = static_cast<std::uint16_t>(entries[i] > DICT_SIZE ? entries[i] - DICT_SIZE : 0);
}

[[gnu::noinline]] void slide(Encoder& e)
{
    std::memmove(e.text, e.text + DICT_SIZE, FIRST_READ);
    e.remainder += read_block(e, FIRST_READ, DICT_SIZE);
    e.pos -= DICT_SIZE;
    e.slid = true;
    std::memset(e.crowded, 0, sizeof e.crowded);
    e.crowded_until = 0;
    rebase(e.head, HASH_SIZE);
    rebase(e.prev, DICT_SIZE);
    std::memcpy(e.prev + DICT_SIZE, e.prev, DICT_SIZE * sizeof e.prev[0]);  // the second copy
    if (e.prefix_on) {
        rebase(&e.chains.head[0][0], sizeof e.chains.head / sizeof(std::uint16_t));
        rebase(&e.chains.prev[0][0], sizeof e.chains.prev / sizeof(std::uint16_t));
    }
}

void insert_prefix(Encoder& e, unsigned at, unsigned hash)
{
    e.trigram_members[e.chains.insert(e.text, at)] += 1;
    e.insertion_number[at & PREV_MASK] = e.insertions[hash]++;
    e.members[hash] += 1;
}

// Builds the prefix chains and counts for the positions already in the window.
void start_prefix_chains(Encoder& e)
{
    e.prefix_on = true;
    e.chains.clear();
    std::memset(e.insertions, 0, sizeof e.insertions);
    std::memset(e.members, 0, sizeof e.members);
    std::memset(e.trigram_members, 0, sizeof e.trigram_members);
    for (unsigned at = window_floor(e) + 1; at < e.pos; ++at)
        insert_prefix(e, at, hash_at(e, at));
}

// Weighs the walks of the last CHECK_INTERVAL positions.
void choose_search(Encoder& e)
{
    std::uint64_t per_position = e.walk_work / e.positions_since_check;
    if (!e.prefix_on && per_position >= PREFIX_ON_WORK)
        start_prefix_chains(e);
    else if (e.prefix_on && per_position < PREFIX_OFF_WORK)
        e.prefix_on = false;
    e.walk_work = 0;
    e.positions_since_check = 0;
}

// Inlined: it runs once per search, and a call costs as much as its body.
[[gnu::always_inline]] inline void advance(Encoder& e)
{
    e.remainder -= 1;
    e.pos += 1;
    e.positions_since_check += 1;
    if (e.pos == 2 * DICT_SIZE) [[unlikely]]
        slide(e);
    e.hash = roll(e.hash, e.text[e.pos + 2]);
    if (e.prefix_on && e.slid) {  // a position leaves the window
        e.members[hash_at(e, e.pos - DICT_SIZE)] -= 1;
        e.trigram_members[prefix::prefix_hash<MIN_MATCH>(e.text + e.pos - DICT_SIZE)] -= 1;
    }
}

// Links position `at` to `entry`, in both copies.
[[gnu::always_inline]] inline void set_link(Encoder& e, unsigned at, std::uint16_t entry)
{
    e.prev[at & PREV_MASK] = entry;
    e.prev[(at & PREV_MASK) + DICT_SIZE] = entry;
}

void insert(Encoder& e)
{
    set_link(e, e.pos, e.head[e.hash]);
    e.head[e.hash] = static_cast<std::uint16_t>(e.pos);
    if (e.prefix_on)
        insert_prefix(e, e.pos, e.hash);
}

// Steps over `count` positions, linking each into its chain: the rest of an
// emitted match. On compressible input this runs for most bytes, so while
// only the three-byte chains are kept it runs in stretches that stop short
// of the next slide, with the state in locals.
void advance_and_insert(Encoder& e, unsigned count)
{
    while (count > 0) {
        unsigned steps = std::min(count, 2 * DICT_SIZE - 1 - e.pos);
        if (e.prefix_on || steps == 0) {
            advance(e);
            insert(e);
            count -= 1;
            continue;
        }
        unsigned pos = e.pos;
        unsigned hash = e.hash;
        for (const unsigned end = pos + steps; pos != end;) {
            pos += 1;
            hash = roll(hash, e.text[pos + 2]);
            set_link(e, pos, e.head[hash]);
            e.head[hash] = static_cast<std::uint16_t>(pos);
        }
        e.pos = pos;
        e.hash = hash;
        e.remainder -= steps;
        e.positions_since_check += steps;
        count -= steps;
    }
}

// The bucket and shift a search starts from (step 2 of the search).
struct Start {
    unsigned h;
    unsigned off;
};

Start skip_crowded_buckets(Encoder& e)
{
    if (e.crowded_until <= e.pos && !e.crowded[e.hash])
        return {e.hash, 0};  // the common case, without hashing again
    unsigned at = std::max(e.pos, e.crowded_until);
    unsigned limit = e.pos + SKIP_LIMIT;
    while (at < limit && e.crowded[hash_at(e, at)])
        at += 1;
    e.crowded_until = at;
    if (at == limit)
        return {e.hash, 0};  // every bucket ahead is crowded: search the true one
    return {hash_at(e, at), at - e.pos};
}

// Records a new best match. True when the walk must stop because it
// reached `max`.
bool take_match(Encoder& e, unsigned candidate, unsigned len, unsigned max)
{
    e.match_pos = candidate;
    e.match_len = static_cast<int>(len);
    return len == max;
}

// The plain walk of bucket h, shifted by off. Returns the candidates visited.
// Most candidates fail the quick test, so the loop keeps the best length and
// the two bytes a candidate must match in registers, and indexes the quick
// test's bytes directly from the chain entry.
[[gnu::always_inline]] inline unsigned walk_plain(Encoder& e, unsigned h, unsigned off, unsigned max)
{
    const unsigned scan_end = window_floor(e) + off;
    const std::uint8_t* const current = e.text + e.pos;
    unsigned best = static_cast<unsigned>(e.match_len);
    std::uint16_t wanted = load_pair(current + best - 1);
    // scan + quick_at, taken mod 2^32, is the index of the candidate's byte
    // best - 1; scan > scan_end >= off keeps it inside text.
    unsigned quick_at = best - 1 - off;
    unsigned chain = 0;
    for (unsigned scan = e.head[h]; scan > scan_end; scan = e.prev[scan]) {
        chain += 1;
        if (load_pair(e.text + (scan + quick_at)) != wanted)
            continue;
        const std::uint8_t* const candidate = e.text + (scan - off);
        unsigned len = match_length(candidate, current, max);
        if (len <= best)
            continue;
        best = len;
        if (take_match(e, scan - off, len, max))
            break;
        wanted = load_pair(current + best - 1);
        quick_at = best - 1 - off;
    }
    return chain;
}

// Whether `candidate` is one the plain walk of bucket h shifted by off would
// visit. Tested before the candidate is measured: on inputs whose buckets
// are all crowded most candidates of a level fail it.
bool in_shifted_bucket(const Encoder& e, unsigned candidate, unsigned h, unsigned off)
{
    return candidate + off < e.pos && hash_at(e, candidate + off) == h;  // inserted, and in h
}

// The same walk through the prefix chains: same winner, same stop. It
// considers the candidates c with window floor < c < `below` and, when off
// is not 0, c + off in bucket h: those the plain walk of bucket h shifted by
// off visits.
class PrefixWalk {
public:
    PrefixWalk(Encoder& e, unsigned h, unsigned off, unsigned below, unsigned max)
        : e_(e), h_(h), off_(off), max_(max), floor_(window_floor(e)), current_(e.text + e.pos), settled_(below)
    {
    }

    // Returns the position in bucket h of the candidate that reached `max`,
    // or 0 if the walk ran to its end.
    unsigned run()
    {
        if (probe() == Outcome::REACHED_MAX)
            return static_cast<unsigned>(e_.match_pos) + off_;
        for (;;) {
            unsigned needed = static_cast<unsigned>(e_.match_len) + 1;
            if (needed > max_)
                return 0;
            Outcome outcome = seek(needed);
            if (outcome == Outcome::EXHAUSTED)
                return 0;
            if (outcome == Outcome::REACHED_MAX)
                return static_cast<unsigned>(e_.match_pos) + off_;
        }
    }

    // Takes the newest candidate at least `needed` bytes long, if there is
    // one. Filtering a level by bucket h can cost far more visits than the
    // bucket holds (a run of one byte puts much of the window on one level),
    // so the level gets that many, and then the bucket is walked instead.
    bool take_newest(unsigned needed)
    {
        budget_ = e_.members[h_];
        Outcome outcome = seek(needed);
        if (outcome == Outcome::OVER_BUDGET) {
            budget_ = UNLIMITED;
            outcome = scan(e_.prev, e_.head[h_], off_, 0, needed);
        }
        return outcome != Outcome::EXHAUSTED;
    }

private:
    enum class Outcome { EXHAUSTED, IMPROVED, REACHED_MAX, OVER_BUDGET };
    static constexpr unsigned UNLIMITED = ~0u;

    // Takes the newest candidate at least `needed` bytes long, more than the
    // best match so far.
    Outcome seek(unsigned needed)
    {
        if (off_ > 0 && needed <= MIN_MATCH && shifted_bucket_is_shorter())
            return scan(e_.prev, e_.head[h_], off_, 0, needed);
        // A level whose prefix fits in `needed` bytes, anchored as far in as
        // it goes, so that its prefix covers the byte where the best match so
        // far failed. Anchoring misses the candidates too near for their
        // anchor to be inserted yet: the same level, unanchored, holds those,
        // newest first.
        unsigned level = prefix::level_within(needed);
        unsigned shift = needed - prefix::PREFIX_LENGTHS[level];
        const std::uint16_t* links = e_.chains.prev[level];
        Outcome outcome = Outcome::EXHAUSTED;
        if (shift > 0)
            outcome = scan(links, e_.chains.newest(level, current_), 0, e_.pos - shift, needed);
        if (outcome == Outcome::EXHAUSTED)
            outcome = scan(links, e_.chains.newest(level, current_ + shift), shift, 0, needed);
        return outcome;
    }

    // A walk climbs about one level per improvement. On inputs of one kind
    // the last walk's length is likely again, so when that is two levels or
    // more above the climb's start, first take the newest candidate at least
    // as long as the level under it. Every newer one is shorter (a match that
    // long would be on the level), so it settles them all at once; if there
    // is none, the look is all that is lost.
    Outcome probe()
    {
        unsigned needed = static_cast<unsigned>(e_.match_len) + 1;
        unsigned hint = std::min(e_.last_walk_len, max_);
        if (needed > prefix::LONGEST_PREFIX || hint < needed)
            return Outcome::EXHAUSTED;
        unsigned level = prefix::level_within(hint);
        if (level < prefix::level_within(needed) + 2)
            return Outcome::EXHAUSTED;
        return scan(e_.chains.prev[level], e_.chains.newest(level, current_), 0, 0, prefix::PREFIX_LENGTHS[level]);
    }

    // A shifted search for any match walks either the shifted bucket (its
    // candidates agree at off, rarely at pos) or the shortest level (they
    // agree at pos, rarely in the bucket): whichever holds fewer positions.
    // The shifted bucket is never crowded, but on inputs whose hash folds
    // many prefixes together the level is often far shorter.
    bool shifted_bucket_is_shorter() const
    {
        return e_.members[h_] <= e_.trigram_members[prefix::prefix_hash<MIN_MATCH>(current_)];
    }

    // Walks a chain whose entries agree with pos from offset `shift` on, for
    // candidates not before `lowest`, and stops at the first at least
    // `at_least` bytes long, more than the best match so far.
    Outcome scan(const std::uint16_t* links, unsigned entry, unsigned shift, unsigned lowest, unsigned at_least)
    {
        for (; entry > floor_ + shift; entry = links[entry & PREV_MASK]) {
            unsigned candidate = entry - shift;
            if (candidate < lowest)
                break;
            if (off_ > 0 && budget_-- == 0)
                return Outcome::OVER_BUDGET;
            if (candidate >= settled_ || !may_beat(e_.text + candidate, current_, at_least - 1))
                continue;
            if (off_ > 0 && !in_shifted_bucket(e_, candidate, h_, off_))
                continue;
            unsigned len = match_length(e_.text + candidate, current_, max_);
            if (len < at_least)
                continue;
            settled_ = candidate;
            return take_match(e_, candidate, len, max_) ? Outcome::REACHED_MAX : Outcome::IMPROVED;
        }
        return Outcome::EXHAUSTED;
    }

    Encoder& e_;
    const unsigned h_;
    const unsigned off_;
    const unsigned max_;
    const unsigned floor_;
    const std::uint8_t* const current_;
    unsigned settled_;  // every candidate from here on has been beaten
    unsigned budget_ = UNLIMITED;  // visits left to a walk filtered by bucket h
};

// How many candidates the plain walk of bucket h shifted by off visits when
// it runs to the end, as far as CHAIN_LIMIT + 1.
unsigned plain_walk_length(const Encoder& e, unsigned h, unsigned off)
{
    unsigned all = e.members[h];
    if (all <= CHAIN_LIMIT || all > CHAIN_LIMIT + off)
        return all;
    // The shift excludes the bucket's oldest positions in its first `off`.
    unsigned floor = window_floor(e);
    unsigned end = std::min(floor + off + 1, e.pos);
    for (unsigned at = floor + 1; at < end; ++at)
        if (hash_at(e, at) == h)
            all -= 1;
    return all;
}

// How many candidates the plain walk of bucket h visits when it stops at
// `entry`, one of its positions.
unsigned walk_length_to(const Encoder& e, unsigned h, unsigned entry)
{
    return static_cast<std::uint16_t>(e.insertions[h] - e.insertion_number[entry & PREV_MASK]);
}

// Marks bucket h crowded if a plain walk of it visited more than
// CHAIN_LIMIT candidates.
void count_walk(Encoder& e, unsigned h, unsigned visited)
{
    e.walk_work += visited;
    if (visited > CHAIN_LIMIT)
        e.crowded[h] = 1;
}

// The walk of the true bucket through the prefix chains. Kept out of line so
// that the plain path, which runs at nearly every position of most inputs,
// stays small.
[[gnu::noinline]] void walk_prefix(Encoder& e)
{
    unsigned stopped_at = PrefixWalk(e, e.hash, 0, e.pos, MAX_MATCH).run();
    e.last_walk_len = static_cast<unsigned>(e.match_len);
    count_walk(e, e.hash, stopped_at != 0 ? walk_length_to(e, e.hash, stopped_at) : plain_walk_length(e, e.hash, 0));
}

// The shifted walk of bucket h and the retry that may follow it, through the
// prefix chains, with the plain pair's outcome and crowded mark. Filtering
// the chains by bucket h is what costs (most candidates on a level are
// outside it), and it is rarely needed:
//   - A match longer than off + 2 agrees with pos on the three bytes at off,
//     so it is in bucket h. If the longest match that the shifted walk may
//     take (one that starts more than off before pos) is that long, the
//     shifted walk takes it, the newest of its length, and there is no retry.
//   - Otherwise the retry runs. Its candidates are the same plus the `off`
//     nearest positions, and it takes the newest of the longest, capped at
//     off + 2, unless the shifted walk already holds a match as long. That
//     can only be when no near match is longer than the far ones; then the
//     shifted walk holds the newest match of that length in bucket h, if
//     there is one.
[[gnu::noinline]] void walk_prefix_shifted(Encoder& e, unsigned h, unsigned off)
{
    const unsigned start_len = static_cast<unsigned>(e.match_len);
    const unsigned cap = off + 2;
    const unsigned below = e.pos - off;  // the shifted walk's candidates start before this
    unsigned stopped_at = PrefixWalk(e, h, 0, below, MAX_MATCH).run();
    e.last_walk_len = static_cast<unsigned>(e.match_len);
    if (e.match_len > static_cast<int>(cap)) {
        count_walk(e, h, stopped_at != 0 ? walk_length_to(e, h, stopped_at + off) : plain_walk_length(e, h, off));
        return;
    }
    count_walk(e, h, plain_walk_length(e, h, off));
    // The true bucket is crowded already (the search was shifted), so the
    // retry only counts towards the choice of search: at most its bucket.
    e.walk_work += e.members[e.hash];

    const unsigned far_len = static_cast<unsigned>(e.match_len);
    const unsigned far_pos = e.match_pos;
    const std::uint8_t* const current = e.text + e.pos;
    const unsigned nearest_floor = std::max(below, window_floor(e) + 1);
    unsigned near_len = start_len;
    unsigned near_pos = e.pos;
    for (unsigned candidate = e.pos - 1; candidate >= nearest_floor && near_len < cap; --candidate) {
        if (!may_beat(e.text + candidate, current, near_len))
            continue;
        unsigned len = match_length(e.text + candidate, current, cap);
        if (len > near_len) {
            near_len = len;
            near_pos = candidate;
        }
    }
    if (near_len > far_len) {
        e.match_len = static_cast<int>(near_len);
        e.match_pos = near_pos;
        return;
    }
    if (far_len == start_len || in_shifted_bucket(e, far_pos, h, off))
        return;  // no match at all, or the shifted walk's
    if (PrefixWalk(e, h, off, far_pos, MAX_MATCH).take_newest(far_len))
        return;
    e.match_pos = near_len == far_len ? near_pos : far_pos;  // the newest of that length
}

// One walk of bucket h shifted by off; marks the bucket crowded as the plain
// walk would. Inlined for the same reason as advance.
[[gnu::always_inline]] inline void walk_plain_chains(Encoder& e, unsigned h, unsigned off, unsigned max)
{
    count_walk(e, h, walk_plain(e, h, off, max));
}

// Searches at pos for a match longer than match_len, then links pos.
void find_and_insert(Encoder& e)
{
    if (e.mode == SearchMode::AUTOMATIC && e.positions_since_check >= CHECK_INTERVAL)
        choose_search(e);
    if (e.match_len < 2)
        e.match_len = 2;
    e.match_pos = e.pos;
    Start start = skip_crowded_buckets(e);
    if (e.prefix_on) {
        if (start.off == 0)
            walk_prefix(e);
        else
            walk_prefix_shifted(e, start.h, start.off);
    } else {
        walk_plain_chains(e, start.h, start.off, MAX_MATCH);
        // The shifted search found nothing longer than its shift could
        // promise: retry the true bucket, capped at that length.
        if (start.off != 0 && e.match_len <= static_cast<int>(start.off + 2))
            walk_plain_chains(e, e.hash, 0, start.off + 2);
    }
    insert(e);
}

void clamp_to_remainder(Encoder& e)
{
    if (static_cast<unsigned>(e.match_len) > e.remainder)
        e.match_len = static_cast<int>(e.remainder);
}

}  // namespace

void encode_stream(std::FILE* input, TokenWriter& writer)
{
    encode_stream_with(input, writer, SearchMode::AUTOMATIC);
}

void encode_stream_with(std::FILE* input, TokenWriter& writer, SearchMode mode)
{
    // One encoder per stream. The window's bytes past the input's end take
    // part in searches and an empty bucket or mark must read 0, so those
    // start zeroed; the rest is written before it is read.
    std::unique_ptr<Encoder> owner(new Encoder);
    Encoder& e = *owner;
    std::memset(e.text, 0, sizeof e.text);
    std::memset(e.head, 0, sizeof e.head);
    std::memset(e.crowded, 0, sizeof e.crowded);
    e.input = input;
    e.mode = mode;
    reset(writer);

    e.remainder = read_block(e, DICT_SIZE, FIRST_READ);
    e.match_len = e.remainder < 2 ? static_cast<int>(e.remainder) : static_cast<int>(MIN_MATCH - 1);
    e.hash = hash3(e.text[DICT_SIZE], e.text[DICT_SIZE + 1], e.text[DICT_SIZE + 2]);
    if (mode == SearchMode::PREFIX_CHAINS)
        start_prefix_chains(e);
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
        advance_and_insert(e, static_cast<unsigned>(last_len - 2));
        advance(e);
        e.match_len = static_cast<int>(MIN_MATCH - 1);
        find_and_insert(e);
        clamp_to_remainder(e);
    }
    finish(writer);
}

}  // namespace codec
