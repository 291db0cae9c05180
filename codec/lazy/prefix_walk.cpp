// The prefix walk: see prefix_walk.h.
#include "prefix_walk.h"

#include "plain_chains.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>

namespace codec::encoding {
namespace {

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
        : e_(e), h_(h), off_(off), max_(max), floor_(window_floor(e)), current_(e.text + e.pos),
          settled_(below)
    { }

    // Returns the position in bucket h of the candidate that reached `max`,
    // or 0 if the walk ran to its end.
    unsigned run()
    {
        if (probe() == Outcome::REACHED_MAX)
            return e_.match_pos + off_;
        for (;;) {
            unsigned needed = e_.match_len + 1;
            if (needed > max_)
                return 0;
            Outcome outcome = seek(needed);
            if (outcome == Outcome::EXHAUSTED)
                return 0;
            if (outcome == Outcome::REACHED_MAX)
                return e_.match_pos + off_;
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
    static constexpr unsigned NO_CHECK = ~0u;

    // Takes the newest candidate at least `needed` bytes long, more than the
    // best match so far.
    Outcome seek(unsigned needed)
    {
        if (off_ > 0 && needed <= MIN_MATCH && shifted_bucket_is_shorter())
            return scan(e_.prev, e_.head[h_], off_, 0, needed);
        // A level whose prefix fits in `needed` bytes, anchored as far in as
        // it goes, so that its prefix covers the byte where the best match so
        // far failed; on the longest level, wherever its bucket is smallest.
        // Anchoring misses the candidates too near for their anchor to be
        // inserted yet: the same level, unanchored, holds those, newest first.
        unsigned level = prefix::level_within(needed);
        unsigned shift = needed - prefix::PREFIX_LENGTHS[level];
        check_at_ = NO_CHECK;
        if (level == prefix::PREFIX_LEVELS - 1) {
            unsigned last = shift;
            shift = rarest_anchor(last);
            check_at_ = rarest_word_beside(shift, last);
        }
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
        unsigned needed = e_.match_len + 1;
        unsigned hint = std::min(e_.last_walk_len, max_);
        if (needed > prefix::LONGEST_PREFIX || hint < needed)
            return Outcome::EXHAUSTED;
        unsigned level = prefix::level_within(hint);
        if (level < prefix::level_within(needed) + 2)
            return Outcome::EXHAUSTED;
        return scan(e_.chains.prev[level], e_.chains.newest(level, current_), 0, 0,
                    prefix::PREFIX_LENGTHS[level]);
    }

    // Any candidate that may win agrees with pos on its first `needed`
    // bytes, so it is on the longest level's chain at every offset up to
    // needed - LONGEST_PREFIX: the walk may take whichever holds the fewest
    // positions. Where a few prefixes fill most of the window (sparse bytes
    // in runs of one, low-entropy text), the one the climb reached is often
    // among the fullest while a rare one lies a few bytes before it. An
    // offset's count does not change during a search and the range only
    // grows as the walk climbs, so each offset is looked at once. Among
    // equals the farthest in wins: it covers the byte where the best match
    // so far failed.
    unsigned rarest_anchor(unsigned last)
    {
        for (; next_anchor_ <= last; ++next_anchor_) {
            unsigned bucket = prefix::prefix_hash<prefix::LONGEST_PREFIX>(current_ + next_anchor_);
            unsigned count = e_.chains.longest_members[bucket];
            anchor_counts_[next_anchor_] = static_cast<std::uint16_t>(count);
            if (count <= rarest_count_) {
                rarest_count_ = count;
                rarest_anchor_ = next_anchor_;
            }
        }
        return rarest_anchor_;
    }

    // The candidates on the chain of `anchor` agree on its prefix already,
    // and on such inputs most also agree on any two bytes past it, so the
    // quick test before measuring one compares the word where another rare
    // prefix starts (the rarest offset whose word lies outside the anchor's
    // prefix): a candidate that may win agrees there too, since every such
    // word ends by last + WORD_BYTES < needed. NO_CHECK if there is none.
    unsigned rarest_word_beside(unsigned anchor, unsigned last) const
    {
        if (last < WORD_BYTES)
            return NO_CHECK;  // every word overlaps the anchor's prefix
        unsigned best = NO_CHECK;
        unsigned best_count = UNLIMITED;
        for (unsigned at = 0; at <= last; ++at) {
            bool outside = at + WORD_BYTES <= anchor || at >= anchor + prefix::LONGEST_PREFIX;
            if (outside && anchor_counts_[at] < best_count) {
                best_count = anchor_counts_[at];
                best = at;
            }
        }
        return best;
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
    Outcome scan(const std::uint16_t* links, unsigned entry, unsigned shift, unsigned lowest,
                 unsigned at_least)
    {
        for (; entry > floor_ + shift; entry = links[entry & PREV_MASK]) {
            unsigned candidate = entry - shift;
            if (candidate < lowest)
                break;
            if (off_ > 0 && budget_-- == 0)
                return Outcome::OVER_BUDGET;
            if (candidate >= settled_ || !may_beat(e_.text + candidate, current_, at_least - 1))
                continue;
            if (check_at_ != NO_CHECK &&
                load_word(e_.text + candidate + check_at_) != load_word(current_ + check_at_))
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
    unsigned settled_;             // every candidate from here on has been beaten
    unsigned budget_ = UNLIMITED;  // visits left to a walk filtered by bucket h
    unsigned next_anchor_ = 0;     // offsets below this have been weighed by rarest_anchor
    unsigned rarest_anchor_ = 0;
    unsigned rarest_count_ = UNLIMITED;
    // Per offset below next_anchor_, its longest-level bucket's count.
    std::uint16_t anchor_counts_[MAX_MATCH];
    unsigned check_at_ = NO_CHECK;  // where scan's quick test compares a word, if anywhere
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
    assert(hash_at(e, entry) == h && entry > window_floor(e));
    return static_cast<std::uint16_t>(e.insertions[h] - e.insertion_number[entry & PREV_MASK]);
}

}  // namespace

void insert_prefix(Encoder& e, unsigned at, unsigned hash)
{
    e.trigram_members[e.chains.insert(e.text, at)] += 1;
    e.insertion_number[at & PREV_MASK] = e.insertions[hash]++;
    e.members[hash] += 1;
}

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

// The walk of the true bucket through the prefix chains. Out of line (in
// this file) so that the plain path, which runs at nearly every position of
// most inputs, stays small.
void walk_prefix(Encoder& e)
{
    unsigned stopped_at = PrefixWalk(e, e.hash, 0, e.pos, MAX_MATCH).run();
    e.last_walk_len = e.match_len;
    count_walk(e, e.hash,
               stopped_at != 0 ? walk_length_to(e, e.hash, stopped_at) : plain_walk_length(e, e.hash, 0));
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
void walk_prefix_shifted(Encoder& e, unsigned h, unsigned off)
{
    const unsigned start_len = e.match_len;
    const unsigned cap = off + 2;
    const unsigned below = e.pos - off;  // the shifted walk's candidates start before this
    assert(off > 0 && off < SKIP_LIMIT && start_len >= 2);
    unsigned stopped_at = PrefixWalk(e, h, 0, below, MAX_MATCH).run();
    e.last_walk_len = e.match_len;
    if (e.match_len > cap) {
        count_walk(e, h,
                   stopped_at != 0 ? walk_length_to(e, h, stopped_at + off) : plain_walk_length(e, h, off));
        return;
    }
    count_walk(e, h, plain_walk_length(e, h, off));
    // The true bucket is crowded already (the search was shifted), so the
    // retry only counts towards the choice of search: at most its bucket.
    e.walk_work += e.members[e.hash];

    const unsigned far_len = e.match_len;
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
        e.match_len = near_len;
        e.match_pos = near_pos;
        return;
    }
    if (far_len == start_len || in_shifted_bucket(e, far_pos, h, off))
        return;  // no match at all, or the shifted walk's
    if (PrefixWalk(e, h, off, far_pos, MAX_MATCH).take_newest(far_len))
        return;
    e.match_pos = near_len == far_len ? near_pos : far_pos;  // the newest of that length
}

}  // namespace codec::encoding
