// Writes the seed corpus of the fuzz targets: small inputs that between
// them reach every token class, the window's edges and the decoder's
// failures, so a short fuzz run starts from the interesting places.
//
//   make_seed_corpus DIR   writes DIR/decode/seed-*, DIR/roundtrip/seed-*
//                          and DIR/loader/seed-*
//
// Decode seeds are two capacity bytes and a stream (see decode_fuzzer.cpp);
// round-trip seeds are a shape byte and data (see roundtrip_fuzzer.cpp);
// loader seeds a mode byte, two bytes and data or a stream (see
// loader_fuzzer.cpp).
#include "tests/support/memory_codec.h"
#include "tests/support/synthetic_inputs.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using testing_support::Bytes;

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes repeated(std::uint8_t byte, std::size_t count) { return Bytes(count, byte); }

Bytes noise(std::size_t count, std::uint32_t seed) { return testing_support::random_bytes(count, seed); }

// `block` at the start and again `distance` bytes later, noise between.
Bytes repeat_at(const Bytes& block, std::size_t distance)
{
    Bytes bytes = noise(distance + block.size(), 7);
    std::copy(block.begin(), block.end(), bytes.begin());
    std::copy(block.begin(), block.end(), bytes.begin() + static_cast<std::ptrdiff_t>(distance));
    return bytes;
}

std::vector<Bytes> samples()
{
    Bytes all_bytes(256);
    for (unsigned i = 0; i < 256; ++i)
        all_bytes[i] = static_cast<std::uint8_t>(i);
    Bytes prose = text("the packer reads the file, the packer writes the file, and the "
                       "loader reads what the packer wrote. ");
    Bytes long_prose;
    while (long_prose.size() < 20000)
        long_prose.insert(long_prose.end(), prose.begin(), prose.end());
    return {
        {},
        text("a"),
        text("abc"),
        text("aaaa"),
        text("aaaaa"),
        text("aaaaaa"),
        repeated(0, 10),
        repeated(0, 13),
        text("abcabcabcabc"),
        text("abcdabcd"),
        text("abcdeabcde"),
        text("abcdefgh"),
        repeated('a', 261),
        repeated(0, 300),
        {0x80, 0x41, 0xE9, 0xFF, 0xFF, 0xFF, 0xFF},
        all_bytes,
        prose,
        long_prose,
        noise(2048, 1),
        repeat_at(text("7 bytes"), 2048),
        repeat_at(text("7 bytes"), 2049),
        repeat_at(text("a repeat far back"), 16383),
    };
}

void write_file(const std::filesystem::path& path, const Bytes& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "can't write %s\n", path.c_str());
        std::exit(1);
    }
}

class SeedWriter {
public:
    explicit SeedWriter(std::filesystem::path dir) : dir_(std::move(dir))
    {
        std::filesystem::create_directories(dir_);
    }
    void add(const Bytes& seed) { write_file(dir_ / ("seed-" + std::to_string(count_++)), seed); }

private:
    std::filesystem::path dir_;
    int count_ = 0;
};

Bytes joined(Bytes first, const Bytes& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

Bytes decode_seed(std::size_t capacity, const Bytes& stream)
{
    Bytes seed = {static_cast<std::uint8_t>(capacity), static_cast<std::uint8_t>(capacity >> 8)};
    seed.insert(seed.end(), stream.begin(), stream.end());
    return seed;
}

Bytes roundtrip_seed(std::uint8_t shape, const Bytes& data)
{
    Bytes seed = {shape};
    seed.insert(seed.end(), data.begin(), data.end());
    return seed;
}

// The round-trip target's shapes: the data as it is, a far copy, the data
// repeated, or repeated with each copy's index.
constexpr std::uint8_t AS_IT_IS = 0;
constexpr std::uint8_t FAR_COPY = 1;
constexpr std::uint8_t REPEATED = 2;
constexpr std::uint8_t REPEATED_WITH_INDEX = 3;
// The longest input the target is given (scripts/fuzz.sh).
constexpr std::size_t ROUNDTRIP_MAX_LEN = 4096;

// A seed for the shapes that repeat `pattern` to 16384 + `extra` bytes.
Bytes stretched_seed(std::uint8_t shape, std::uint16_t extra, const Bytes& pattern)
{
    Bytes data = {static_cast<std::uint8_t>(extra), static_cast<std::uint8_t>(extra >> 8)};
    data.insert(data.end(), pattern.begin(), pattern.end());
    return roundtrip_seed(shape, data);
}

// A seed whose data comes again 16376 + `step` bytes after its start.
Bytes far_copy_seed(std::uint8_t step, const Bytes& data)
{
    Bytes seed = {FAR_COPY, step};
    seed.insert(seed.end(), data.begin(), data.end());
    return seed;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 1;
    }
    std::filesystem::path dir = argv[1];
    SeedWriter decode(dir / "decode");
    SeedWriter roundtrip(dir / "roundtrip");
    SeedWriter loader(dir / "loader");

    for (const Bytes& sample : samples()) {
        Bytes stream = testing_support::encode_bytes(sample.data(), sample.size()).stream;
        decode.add(decode_seed(sample.size(), stream));
        if (!sample.empty())
            decode.add(decode_seed(sample.size() - 1, stream));  // one byte short: an over-run
        if (sample.size() < ROUNDTRIP_MAX_LEN)
            roundtrip.add(roundtrip_seed(AS_IT_IS, sample));
        if (sample.size() <= 4096) {
            // As encoded, in the smallest stream, damaged, and one byte short.
            for (unsigned mode : {0u, 8u, 2u, 4u})
                loader.add(joined(
                    {static_cast<std::uint8_t>(mode), static_cast<std::uint8_t>(sample.size() / 3), 0x41},
                    sample));
        }
    }
    // Streams the encoder never writes: a match before the start, a stream
    // cut inside a token and one without its end mark.
    decode.add(decode_seed(4, {0x00, 0x80, 0x00, 0xFF}));
    decode.add(decode_seed(8, {0x01, 0x00, 0x00}));
    decode.add(decode_seed(8, {0x00, 0x61, 0x62}));
    for (const Bytes& stream :
         {Bytes{0x00, 0x80, 0x00, 0xFF}, Bytes{0x01, 0x00, 0x00}, Bytes{0x00, 0x61, 0x62}})
        loader.add(joined({1, 8, 0}, stream));

    for (std::uint8_t shape : {REPEATED, REPEATED_WITH_INDEX}) {
        roundtrip.add(stretched_seed(shape, 0x0800, text("abc")));
        roundtrip.add(stretched_seed(shape, 0x0FFF, text("the packer reads the file. ")));
        roundtrip.add(stretched_seed(shape, 0x0010, noise(300, 3)));
    }
    // 16388 bytes 'a': the shifted chain walk once formed a pointer before
    // the window buffer (text - off), undefined even though never read.
    roundtrip.add(stretched_seed(REPEATED, 4, text("a")));
    // A repeat at 16376 to 16391 bytes: on both sides of the window's reach.
    for (std::uint8_t step : {std::uint8_t{7}, std::uint8_t{8}, std::uint8_t{15}})
        roundtrip.add(far_copy_seed(step, text("a repeat far back")));
    return 0;
}
