// The tuned encoder writes exactly the stream of the plain reference encoder,
// byte for byte, on inputs chosen to reach every corner of the search: sizes
// around the reads and slides of the window, alphabets from one symbol to
// 256, long repeats with rare mutations, inputs built against the hash so
// that buckets crowd and the search skips and retries, and inputs whose end
// leaves stale bytes of an earlier read in the window.
#include "tests/reference/plain_encoder.h"
#include "tests/support/memory_stream.h"
#include "tests/support/synthetic_inputs.h"

#include "codec/lazy/encoder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace testing_support;

struct Case {
    std::string name;
    Bytes input;
};

void add(std::vector<Case>& cases, std::string name, Bytes input)
{
    cases.push_back({std::move(name) + "_" + std::to_string(input.size()), std::move(input)});
}

Bytes concat(const std::vector<Bytes>& parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const std::string PHRASE = "the window slides and every chain is rebased; ";

// `pattern` repeated to `size` bytes, every copy starting with its own index.
Bytes numbered_copies(const Bytes& pattern, std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = i % pattern.size() == 0 ? static_cast<std::uint8_t>(i / pattern.size())
                                           : pattern[i % pattern.size()];
    return bytes;
}

// Two copies of `record` in runs of zeros.
Bytes records_in_zeros(const Bytes& record, std::size_t lead, std::size_t gap, std::size_t tail)
{
    return concat({Bytes(lead, 0), record, Bytes(gap, 0), record, Bytes(tail, 0)});
}

std::vector<Case> make_cases()
{
    std::vector<Case> cases;
    // Around the first read (16644), the slides (every 16384) and empty input.
    const std::size_t sizes[] = {0, 1, 2, 3, 16383, 16384, 16385, 16643, 16644, 16645, 32768, 49152};
    for (std::size_t size : sizes) {
        for (unsigned count : {1u, 2u, 4u})
            add(cases, "letters" + std::to_string(count), random_over(size, letters(count), 1));
        add(cases, "bytes", random_over(size, all_byte_values(), 1));
    }
    for (std::uint32_t seed = 2; seed <= 4; ++seed) {
        const std::string s = "_seed" + std::to_string(seed);
        add(cases, "letters2" + s, random_over(40000, letters(2), seed));
        add(cases, "letters4" + s, random_over(40000, letters(4), seed));
        add(cases, "bytes" + s, random_over(40000, all_byte_values(), seed));
        add(cases, "top_bits" + s, top_bits_noise(40000, seed));
        add(cases, "overlapping_bits" + s, overlapping_bits(24000, seed));
    }
    // Long runs: matches stop at 260 bytes, at the end, and at mutations.
    for (unsigned interval : {37u, 1000u, 100000u}) {
        const std::string s = "_every" + std::to_string(interval);
        add(cases, "phrase" + s, mutated_phrase(120000, PHRASE, interval, 5));
        add(cases, "short_phrase" + s, mutated_phrase(120000, "ab", interval, 6));
        add(cases, "one_byte" + s, mutated_phrase(60000, "z", interval, 7));
    }
    // Runs of every length up to 2000, ending anywhere within a match and
    // across slides: the rest of a match is stepped over a run at a time.
    for (std::uint32_t seed : {23u, 24u})
        add(cases, "runs_seed" + std::to_string(seed), runs_between_noise(100000, seed));
    // Several windows, ending a little past a slide so that stale bytes of
    // the previous read sit right after the input's end.
    add(cases, "letters2_stale_tail", random_over(3 * 16384 + 100, letters(2), 8));
    add(cases, "letters4_stale_tail", random_over(2 * 16384 + 7, letters(4), 9));
    add(cases, "phrase_stale_tail", mutated_phrase(4 * 16384 + 300, PHRASE, 500, 10));
    // Kinds of input that change within one stream, so any switch between
    // search methods happens mid-stream, in both directions.
    add(cases, "mixed",
        concat({random_over(40000, all_byte_values(), 11), top_bits_noise(60000, 12),
                mutated_phrase(40000, PHRASE, 300, 13), Bytes(30000, 0), random_over(50000, letters(2), 14),
                random_over(40000, all_byte_values(), 15), overlapping_bits(30000, 16)}));
    // A shifted search walks the shifted bucket or the shortest prefix level,
    // whichever is shorter: the level on top_bits, either on letters4.
    add(cases, "top_bits_then_letters4",
        concat({top_bits_noise(50000, 19), random_over(50000, letters(4), 20), top_bits_noise(30000, 21)}));
    // Runs of zeros crowd their buckets, so searches shift far past them;
    // the copies give a shifted search a far match and a near one as long,
    // and the far one wins if it is in the shifted bucket.
    const Bytes record = {0x01, 0x00, 0x62, 0xE0, 0x00, 0x2A, 0xB4, 0x68};
    add(cases, "numbered_records", numbered_copies(records_in_zeros(record, 17, 30, 3), 40000));
    add(cases, "numbered_records_wide", numbered_copies(records_in_zeros(record, 40, 90, 20), 60000));
    add(cases, "numbered_phrases",
        numbered_copies(records_in_zeros(Bytes(PHRASE.begin(), PHRASE.end()), 5, 60, 9), 50000));
    // A few prefixes fill the window, so walks pick among the chains of
    // their offsets, and the rarest sits anywhere in the match.
    for (unsigned block : {16u, 64u})
        add(cases, "sparse_ones_in" + std::to_string(block), sparse_ones(70000, block, 22));
    add(cases, "large_letters4", random_over(300000, letters(4), 17));
    add(cases, "large_bytes", random_over(400000, all_byte_values(), 18));
    return cases;
}

std::string describe_difference(const Bytes& expected, const Bytes& actual)
{
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    return "streams of " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           " bytes first differ at byte " + std::to_string(at);
}

class EncoderDifferential : public ::testing::TestWithParam<Case> { };

// In every search mode: left to choose for itself, and each one forced from
// the first byte.
TEST_P(EncoderDifferential, WritesTheSameStreamAsThePlainEncoderInEveryMode)
{
    const Bytes& input = GetParam().input;
    Bytes expected = encode_with(input, reference::plain_encode_stream);
    Bytes automatic = encode(input);
    EXPECT_TRUE(expected == automatic) << "automatic: " << describe_difference(expected, automatic);
    for (auto [mode, name] : {std::pair{codec::SearchMode::PLAIN_CHAINS, "plain chains"},
                              std::pair{codec::SearchMode::PREFIX_CHAINS, "prefix chains"}}) {
        Bytes forced = encode_with(input, [mode](codec::ByteReader in, codec::TokenWriter& writer) {
            return codec::encode_stream_with(in, writer, mode);
        });
        EXPECT_TRUE(expected == forced) << name << ": " << describe_difference(expected, forced);
    }
}

std::string case_name(const ::testing::TestParamInfo<Case>& param_info) { return param_info.param.name; }

INSTANTIATE_TEST_SUITE_P(Inputs, EncoderDifferential, ::testing::ValuesIn(make_cases()), case_name);

}  // namespace
