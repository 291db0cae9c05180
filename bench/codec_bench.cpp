// In-process throughput, one benchmark of each kind per file: the default
// encoder (encode/), the smallest-stream search of --best (best/), the
// decoder (decode/), memcpy of the same size (memcpy/, the ceiling a decoder
// is measured against), the first, plain encoder (plain_encode/, the
// baseline of the default one; slow on the hash-adversarial inputs, so
// compare.sh leaves it out) and the default encoder held to each of its
// two searches from the first byte (encode_plain_chains/,
// encode_prefix_chains/: what its choice between them is worth).
//
//   codec_bench [benchmark flags] [file ...]
//
// Without files it measures a few generated inputs. Encoding reads from a
// span and writes to a sink that keeps nothing, so the figures are the codec's
// own; compare.sh measures whole processes.
#include "codec/decoder.h"
#include "codec/lazy/encoder.h"
#include "codec/smallest_stream/smallest_stream.h"
#include "codec/token_stream.h"
#include "tests/reference/plain_encoder.h"
#include "tests/support/memory_codec.h"
#include "tests/support/synthetic_inputs.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

using testing_support::Bytes;

struct Input {
    std::string name;
    Bytes bytes;
};

std::vector<Input> generated_inputs()
{
    using namespace testing_support;
    constexpr std::size_t SIZE = 1 << 20;
    return {
        {"phrase_mutated", mutated_phrase(SIZE, "the window slides and every chain is rebased; ", 1000, 4)},
        {"random_4_symbols", random_over(SIZE, letters(4), 3)},
        {"hash_overlapping_bits", overlapping_bits(SIZE, 6)},
    };
}

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using EncodeFunction = codec::EncodeError (*)(codec::ByteReader input, codec::TokenWriter& writer);

// Takes every group and keeps none, as /dev/null would.
std::size_t discard(void*, const std::uint8_t*, std::size_t size) { return size; }

codec::EncodeError encode_plain_chains(codec::ByteReader input, codec::TokenWriter& writer)
{
    return codec::encode_stream_with(input, writer, codec::SearchMode::PLAIN_CHAINS);
}

codec::EncodeError encode_prefix_chains(codec::ByteReader input, codec::TokenWriter& writer)
{
    return codec::encode_stream_with(input, writer, codec::SearchMode::PREFIX_CHAINS);
}

struct NamedEncoder {
    std::string prefix;
    EncodeFunction encode_stream;
};
const NamedEncoder ENCODERS[] = {
    {"encode/", codec::encode_stream},
    {"encode_plain_chains/", encode_plain_chains},
    {"encode_prefix_chains/", encode_prefix_chains},
    {"plain_encode/", reference::plain_encode_stream},
};

// Encodes `input` from memory into a sink that keeps nothing.
void encode(const Bytes& input, EncodeFunction encode_stream = codec::encode_stream)
{
    codec::SpanReader in{std::span<const std::uint8_t>(input)};
    codec::TokenWriter writer = codec::make_token_writer(codec::ByteSink{discard, nullptr}, 0);
    benchmark::DoNotOptimize(encode_stream(codec::read_from(in), writer));
}

void bench_encode(benchmark::State& state, const Bytes* input, EncodeFunction encode_stream)
{
    for (auto _ : state)
        encode(*input, encode_stream);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input->size()));
}

void bench_best(benchmark::State& state, const Bytes* input)
{
    for (auto _ : state) {
        codec::TokenWriter writer = codec::make_token_writer(codec::ByteSink{discard, nullptr}, 0);
        benchmark::DoNotOptimize(codec::encode_smallest(std::span<const std::uint8_t>(*input), writer));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input->size()));
}

void bench_decode(benchmark::State& state, const Bytes* input)
{
    Bytes stream = testing_support::encode_bytes(input->data(), input->size()).stream;
    auto output = std::make_unique<std::uint8_t[]>(input->size() + 1);
    for (auto _ : state) {
        codec::DecodeResult result =
            codec::decode_tokens_checked(stream.data(), stream.size(), output.get(), input->size());
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input->size()));
}

void bench_memcpy(benchmark::State& state, const Bytes* input)
{
    auto output = std::make_unique<std::uint8_t[]>(input->size() + 1);
    for (auto _ : state) {
        std::memcpy(output.get(), input->data(), input->size());
        benchmark::DoNotOptimize(output.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input->size()));
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    static std::vector<Input> inputs;
    for (int i = 1; i < argc; ++i)
        inputs.push_back({std::filesystem::path(argv[i]).filename().string(), read_file(argv[i])});
    if (inputs.empty())
        inputs = generated_inputs();
    for (const Input& input : inputs) {
        for (const NamedEncoder& encoder : ENCODERS)
            benchmark::RegisterBenchmark((encoder.prefix + input.name).c_str(), bench_encode, &input.bytes,
                                         encoder.encode_stream)
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("best/" + input.name).c_str(), bench_best, &input.bytes)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("decode/" + input.name).c_str(), bench_decode, &input.bytes)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("memcpy/" + input.name).c_str(), bench_memcpy, &input.bytes)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
