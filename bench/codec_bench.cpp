// In-process encode and decode throughput, one benchmark per file, and the
// first, plain encoder's throughput on the same file as the baseline.
//
//   codec_bench [benchmark flags] [file ...]
//
// Without files it measures a few generated inputs. Encoding reads from an
// in-memory stream and writes to /dev/null, so the figures are the codec's
// own; compare.sh measures whole processes.
#include "codec/decoder.h"
#include "codec/encoder.h"
#include "codec/token_stream.h"
#include "tests/reference/plain_encoder.h"
#include "tests/support/memory_codec.h"
#include "tests/support/synthetic_inputs.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
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

using EncodeFunction = void (*)(std::FILE* input, codec::TokenWriter& writer);

// Encodes `input` into `sink` as the tools do.
void encode(const Bytes& input, std::FILE* sink, EncodeFunction encode_stream = codec::encode_stream)
{
    std::uint8_t empty = 0;
    void* buffer = input.empty() ? &empty : const_cast<std::uint8_t*>(input.data());
    std::FILE* in = fmemopen(buffer, input.size(), "rb");
    codec::TokenWriter writer = codec::make_token_writer(sink, 0);
    encode_stream(in, writer);
    std::fclose(in);
}

void bench_encode(benchmark::State& state, const Bytes* input, EncodeFunction encode_stream)
{
    std::FILE* sink = std::fopen("/dev/null", "wb");
    for (auto _ : state)
        encode(*input, sink, encode_stream);
    std::fclose(sink);
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
        benchmark::RegisterBenchmark(("encode/" + input.name).c_str(), bench_encode, &input.bytes,
                                     codec::encode_stream)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("plain_encode/" + input.name).c_str(), bench_encode, &input.bytes,
                                     reference::plain_encode_stream)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("decode/" + input.name).c_str(), bench_decode, &input.bytes)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
