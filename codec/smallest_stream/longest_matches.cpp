// Longest earlier copies through binary trees of suffixes.
//
// Every position of the window sits in one tree per three-byte hash bucket:
// a search tree ordered by the bytes that follow the position (compared up to
// the longest match, MAX_MATCH_LENGTH, or the input's end), and a heap ordered
// by position, the newest at the root. Inserting a position is one walk from
// the root that splits the tree around the new suffix, and that walk is also
// the search: the positions that share a prefix of L bytes with the new one
// are a contiguous run in the tree's order, so the newest of them is the
// common ancestor of that run and lies on the walk. Every length the walk
// meets for the first time therefore comes with the nearest distance that
// reaches it, and the two longest lengths within the two distance bounds are
// exact. A node that matches the whole compared length is replaced by the new
// position, which is nearer and has the same prefix.
//
// Each node keeps two child links in a cyclic table indexed by position; a
// walk ends at the first node beyond MAX_DISTANCE (all nodes below are
// older still), so stale links are never followed. The bytes compared are
// those of the input itself, held whole in memory.
//
// What bounds the work: the walk's comparisons resume at the shorter of the
// lengths known for its two sides, and a walk ends as soon as a whole-length
// match is found, so runs and repeats cost O(1) per position. On typical input
// the trees stay shallow; no depth limit is imposed, since one would cut off
// exactly the matches the optimal parse must see.
#include "longest_matches.h"

#include "codec/token_stream.h"
#include "codec/words.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>

namespace codec {
namespace {

constexpr std::uint32_t NO_NODE = UINT32_MAX;
constexpr unsigned HASH_BITS = 16;            // buckets of the three-byte prefix
constexpr std::uint32_t CYCLIC_SIZE = 32768;  // a power of two above MAX_DISTANCE + 1
constexpr std::uint32_t CYCLIC_MASK = CYCLIC_SIZE - 1;

static_assert(CYCLIC_SIZE > static_cast<std::uint32_t>(MAX_DISTANCE), "a window's nodes need distinct slots");

// Knuth's multiplicative hash: the golden ratio's 32-bit fraction spreads
// the three bytes over the top HASH_BITS bits.
constexpr std::uint32_t GOLDEN_RATIO_32 = 2654435761u;

unsigned hash3(const std::uint8_t* p)
{
    std::uint32_t key = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                        static_cast<std::uint32_t>(p[2]) << 16;
    return (key * GOLDEN_RATIO_32) >> (32 - HASH_BITS);
}

class SuffixTrees {
public:
    SuffixTrees()
        : head_(std::make_unique<std::uint32_t[]>(std::size_t{1} << HASH_BITS)),
          children_(std::make_unique<std::uint32_t[]>(2 * CYCLIC_SIZE))
    {
        std::fill_n(head_.get(), std::size_t{1} << HASH_BITS, NO_NODE);
    }

    // Inserts position `cur` of `data` and returns its longest matches;
    // `limit` (3 or more) is how many bytes from `cur` may be compared.
    LongestMatches insert(const std::uint8_t* data, std::uint32_t cur, std::uint32_t limit)
    {
        std::uint32_t near_length = 0;
        std::uint32_t near_distance = 0;
        std::uint32_t far_length = 0;
        std::uint32_t far_distance = 0;
        auto found = [&] {
            return LongestMatches{
                static_cast<std::uint16_t>(near_length), static_cast<std::uint16_t>(near_distance),
                static_cast<std::uint16_t>(far_length), static_cast<std::uint16_t>(far_distance)};
        };
        std::uint32_t& head = head_[hash3(data + cur)];
        std::uint32_t candidate = head;
        head = cur;

        // The new node's two links, filled as the walk splits the tree:
        // `smaller` receives the subtree of suffixes below the new one.
        std::uint32_t* smaller = &children_[2 * (cur & CYCLIC_MASK)];
        std::uint32_t* larger = smaller + 1;
        std::uint32_t smaller_length = 0;  // bytes every suffix in `smaller`'s side shares
        std::uint32_t larger_length = 0;
        std::uint32_t best = MIN_MATCH_LENGTH - 1;
        const std::uint8_t* here = data + cur;

        for (;;) {
            if (candidate == NO_NODE || cur - candidate > static_cast<std::uint32_t>(MAX_DISTANCE)) {
                *smaller = NO_NODE;
                *larger = NO_NODE;
                return found();
            }
            std::uint32_t* links = &children_[2 * (candidate & CYCLIC_MASK)];
            const std::uint8_t* there = data + candidate;
            std::uint32_t length = std::min(smaller_length, larger_length);
            if (there[length] == here[length])
                length = extend_match(there, here, length + 1, limit);
            if (length > best) {
                best = length;
                std::uint32_t distance = cur - candidate;
                far_length = length;
                far_distance = distance;
                if (distance <= MAX_NEAR_DISTANCE) {
                    near_length = length;
                    near_distance = distance;
                }
            }
            if (length == limit) {
                // Same compared bytes: the new node takes the old one's place.
                *smaller = links[0];
                *larger = links[1];
                return found();
            }
            // The candidate goes to its side of the new node; its subtree
            // towards the new suffix is what remains to be split.
            if (there[length] < here[length]) {
                *smaller = candidate;
                smaller = &links[1];
                smaller_length = length;
                candidate = links[1];
            } else {
                *larger = candidate;
                larger = &links[0];
                larger_length = length;
                candidate = links[0];
            }
        }
    }

private:
    std::unique_ptr<std::uint32_t[]> head_;      // per bucket: the newest position, the root
    std::unique_ptr<std::uint32_t[]> children_;  // per slot: the smaller and the larger child
};

}  // namespace

void find_longest_matches(std::span<const std::uint8_t> input, std::span<LongestMatches> found,
                          const Progress* progress)
{
    SuffixTrees trees;
    std::size_t size = input.size();
    for (std::size_t i = 0; i < size; ++i) {
        if (i % PROGRESS_STEP == 0)
            report_progress(progress, i, 2 * std::uint64_t{size});
        std::size_t limit = std::min<std::size_t>(MAX_MATCH_LENGTH, size - i);
        // Fewer than three bytes left: no match here, and no later position
        // can use this one for three bytes either.
        found[i] = limit < MIN_MATCH_LENGTH ? LongestMatches{0, 0, 0, 0}
                                            : trees.insert(input.data(), static_cast<std::uint32_t>(i),
                                                           static_cast<std::uint32_t>(limit));
    }
}

}  // namespace codec
